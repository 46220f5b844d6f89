// labels: e2e x11
// libs: xcb
// Every frame the screen shows while a window comes into view or grows: the viewer growing to a
// large picture shows, in each of them, its own pixels in the part of the screen it covers, never
// what lay behind it (the desktop's colour, made one no window of ours has); the options window's
// first frames are its own, not black, also under a compositing manager.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/Desktop.h"
#include "support/ZantiroOnScreen.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;

constexpr QRgb kDesktop = 0xFF00FF;  // the root window's colour: no window of ours has it

// The root window shows one colour where no window lies.
class DesktopColour {
 public:
  DesktopColour() { set(kDesktop); }
  ~DesktopColour() { set(0); }
  DesktopColour(const DesktopColour&) = delete;
  DesktopColour& operator=(const DesktopColour&) = delete;

 private:
  static void set(uint32_t pixel) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return xcb_disconnect(c);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXEL, &pixel);
    xcb_clear_area(c, 0, root, 0, 0, 0, 0);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // the server has done it
    xcb_disconnect(c);
  }
};

long Count(const QImage& img, QRgb colour) {
  long n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == colour) ++n;
  return n;
}

void WritePng(const std::string& path, QSize size, QRgb colour) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(colour);
  ASSERT_TRUE(img.save(QString::fromStdString(path), "PNG"));
}

class Frames : public DesktopTest {};

// The viewer steps from a small picture to one of 1000 x 700: each frame while its window
// grows shows the window's own pixels wherever the window is, until the picture stands whole.
TEST_P(Frames, TheViewerGrowingToALargePictureShowsNoDesktopThroughIt) {
  DesktopColour desktop;
  testsupport::TempDir dir("frames");
  constexpr QRgb kSmall = 0x20C040, kLarge = 0x2040C0;
  WritePng(dir.file("a.png"), QSize(100, 80), kSmall);
  WritePng(dir.file("b.png"), QSize(1000, 700), kLarge);

  Program app("Fenwo.Lumtak");
  ASSERT_TRUE(app.Start({QString::fromStdString(dir.file("a.png"))}));
  const Window viewer = WaitForWindow("^ Fenwo\\.Lumtak .* %$");
  ASSERT_NE(viewer.id, 0u) << app.Output();
  ASSERT_TRUE(WaitUntil([&] { return Count(Area(Place(viewer.id)), kSmall) >= 100 * 80; }))
      << Keep(Screen(), "frames-small");
  ASSERT_TRUE(Xdo({"windowfocus", "--sync", QString::number(viewer.id)}));
  // The key goes while the screen is already being looked at.
  QProcess key;
  key.start("xdotool", {"key", "Next"});
  ASSERT_TRUE(key.waitForStarted());

  // Looks at the screen as often as it can until the large picture has stood whole five times.
  int frames = 0, bad = 0, still = 0;
  long worst = 0;
  QImage worstFrame;
  const bool done = WaitUntil(
      [&] {
        const QRect before = Place(viewer.id);
        const QImage in = Area(before);
        if (Place(viewer.id) != before || before.isEmpty()) return false;  // moved while looked at
        ++frames;
        const long desk = Count(in, kDesktop);
        if (desk > 0) ++bad;
        if (desk > worst) worst = desk, worstFrame = in;
        still = Count(in, kLarge) >= 1000 * 700 ? still + 1 : 0;
        return still >= 5;
      },
      20000);
  key.waitForFinished();
  std::printf("[%s] viewer growing to 1000x700: %d frames looked at, %d with the desktop showing through "
              "(most %ld pixels)\n",
              DeskName().c_str(), frames, bad, worst);
  EXPECT_TRUE(done) << "the large picture stands whole: " << Keep(Screen(), "frames-large");
  EXPECT_EQ(bad, 0) << Keep(worstFrame, "frames-desktop-through");
  EXPECT_NE(Find("^ Fenwo\\.Lumtak .* - 100 %$").id, 0u) << "at its own size: " << OnScreen();
}

INSTANTIATE_TEST_SUITE_P(Desktops, Frames, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

class FirstFrames : public DesktopTest {};

// From the first frame that shows the options window on, its fields and buttons (all but the
// preview box, which is the engine's) are drawn: little of them black.
TEST_P(FirstFrames, TheOptionsWindowShowsItselfFromItsFirstFrame) {
  Program app("Fenwo.Zantiro");
  app.Settings({"Language=en"});
  ASSERT_TRUE(app.Start());
  const Window main = MainAfterSplash();
  ASSERT_NE(main.id, 0u) << app.Output();
  const std::string clip = app.Folder() + "/clip.avi";
  std::filesystem::copy_file(testsupport::media("sparse-keys.avi"), clip);
  ASSERT_TRUE(ChooseSource(main, clip)) << OnScreen() << Keep(Screen(), "first-frames-source");
  ASSERT_TRUE(ClickAt(main.rect.topLeft() + QPoint(76, 225)));

  int frames = 0;
  double worst = 0, last = 1;
  QImage worstFrame;
  const bool done = WaitUntil(
      [&] {
        const Window w = Find(" - Options$");
        if (!w.id) return false;
        const QImage part = Area(QRect(424, 0, 216, 420).translated(w.rect.topLeft()).intersected(w.rect));
        ++frames;
        last = BlackShare(part);
        if (last > worst) worst = last, worstFrame = part;
        return frames >= 20;
      },
      60000);
  std::printf("[%s] options window: %d frames from its first, black share at most %.3f, last %.3f\n",
              DeskName().c_str(), frames, worst, last);
  EXPECT_TRUE(done) << "the options window opens: " << OnScreen() << Keep(Screen(), "first-frames") << "\n"
                    << app.Output();
  EXPECT_LT(worst, 0.2) << Keep(worstFrame, "first-frames-black");
}

INSTANTIATE_TEST_SUITE_P(Desktops, FirstFrames, ::testing::Values(Desk::Bare, Desk::Openbox, Desk::Composited),
                         DeskParamName);

}  // namespace
