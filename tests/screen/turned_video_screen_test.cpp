// labels: e2e x11
// Videos stored on their side, as phones write them, previewed by the conversion program as a
// user starts it, on a bare X display and under openbox: the options window's preview and the
// big-screen player show the upright picture (its marker in the top-left corner, its shape
// portrait), whatever rotation the container carries, and a clip without one as it is.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/TurnedClip.h"
#include "support/ZantiroOnScreen.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;
using testsupport::FindMarker;
using testsupport::MarkerPlace;

const QSize kOptions(640, 420);
const QSize kUpright(240, 320);
const QString kOptionsTitle = " - Options$";
const QString kPlayerTitle = "^ Fenwo\\.Zantiro - Player  \\( ";

Window Other(const QString& title, QSize size = {}) {
  for (const Window& w : Windows(title))
    if (w.rect.size() != kMainSize && w.rect.size() != kSplashSize && (size.isEmpty() || w.rect.size() == size))
      return w;
  return {};
}

// Waits until that part of the screen shows the upright picture: the marker in its top-left
// quarter, and the picture as tall as the upright one against its width.
bool ShowsUpright(const QRect& part, std::string& seen) {
  return WaitUntil([&] {
    const MarkerPlace place = FindMarker(Area(part));
    const bool upright = place.Upright(3, seen);
    const double shape = place.field.height() > 0 ? double(place.field.width()) / place.field.height() : 0;
    seen += ", width/height " + std::to_string(shape);
    return upright && std::abs(shape - double(kUpright.width()) / kUpright.height()) < 0.03;
  });
}

class TurnedPreview : public DesktopTest {};

TEST_P(TurnedPreview, ShowsTheUprightPicture) {
  Program app("Fenwo.Zantiro");
  app.Settings({"Language=en"});
  ASSERT_TRUE(app.Start());
  const Window main = MainAfterSplash();
  ASSERT_NE(main.id, 0u) << app.Output();
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE("rotate=" + std::to_string(rotation));
    const std::string clip = app.Folder() + "/r" + std::to_string(rotation) + ".mp4";
    ASSERT_EQ(testsupport::MakeTurnedClip(clip, rotation, kUpright, 30, 5), "");
    const QRect at = Place(main.id);
    ASSERT_TRUE(ChooseSource({main.id, at}, clip)) << Keep(Screen(), "turned-source");
    ASSERT_TRUE(ClickAt(at.topLeft() + QPoint(76, 225)));  // Options
    Window options;
    ASSERT_TRUE(WaitUntil([&] { return (options = Other(kOptionsTitle, kOptions)).id != 0; }))
        << "the options window opens: " << Keep(Screen(), "turned-options") << app.Output();

    // The preview box of the options window, the picture fitted into it.
    std::string seen;
    const QRect box(Place(options.id).topLeft() + QPoint(12, 12), QSize(400, 304));
    const bool embedded = ShowsUpright(box, seen);
    std::printf("[%s] rotate=%d, the preview: %s\n", DeskName().c_str(), rotation, seen.c_str());
    EXPECT_TRUE(embedded) << "upright in the options window: " << seen << " " << Keep(Area(box), "turned-preview");

    // The big screen, sized to the upright picture.
    ASSERT_TRUE(ClickAt(Place(options.id).topLeft() + QPoint(340, 366)));
    Window player;
    ASSERT_TRUE(WaitUntil([&] { return (player = Other(kPlayerTitle)).id != 0; }))
        << "the player window opens: " << Keep(Screen(), "turned-player");
    const bool big = ShowsUpright(Place(player.id), seen);
    std::printf("[%s] rotate=%d, the big screen %dx%d: %s\n", DeskName().c_str(), rotation, Place(player.id).width(),
                Place(player.id).height(), seen.c_str());
    EXPECT_TRUE(big) << "upright in the player window: " << seen << " " << Keep(Area(Place(player.id)), "turned-big");
    EXPECT_EQ(Place(player.id).size(), kUpright);

    // Back to the main window: the player closed, then Cancel.
    win::x11::PostClose(player.id);
    ASSERT_TRUE(WaitUntil([&] { return Other(kPlayerTitle).id == 0; })) << "the player closes";
    ASSERT_TRUE(ClickAt(Place(options.id).topLeft() + QPoint(577, 388)));
    ASSERT_TRUE(WaitUntil([&] { return Other(kOptionsTitle, kOptions).id == 0; }))
        << "Cancel closes the options window: " << Keep(Screen(), "turned-cancel");
  }
}

INSTANTIATE_TEST_SUITE_P(Desktops, TurnedPreview, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

}  // namespace
