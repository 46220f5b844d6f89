// labels: e2e x11
// The viewer as a user starts it (the built program with a picture), on a bare X display and under
// openbox: it opens centred on the screen, frame and all; its About menu and the About window
// opened from it are painted when they open.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;

class ViewerScreen : public DesktopTest {};

TEST_P(ViewerScreen, OpensCentredWithItsAboutMenuPainted) {
  Program app("Fenwo.Lumtak");
  ASSERT_TRUE(app.Start({QString::fromStdString(testsupport::media("pictures/png/p1.png"))}));
  // The caption tells the zoom once the window has taken the picture's size.
  const Window viewer = WaitForWindow("^ Fenwo\\.Lumtak .* %$");
  ASSERT_NE(viewer.id, 0u) << app.Output();

  int left = 0, top = 0, right = 0, bottom = 0;
  if (GetParam() == Desk::Openbox) {
    ASSERT_TRUE(win::x11::FrameExtents(viewer.id, left, top, right, bottom)) << "openbox tells the frame";
  }
  const QRect outer = viewer.rect.adjusted(-left, -top, right, bottom);
  const QPoint off = outer.center() - QGuiApplication::primaryScreen()->geometry().center();
  std::printf("[%s] viewer %dx%d at %d,%d (outer %dx%d at %d,%d): %d,%d from the screen's centre\n", DeskName().c_str(),
              viewer.rect.width(), viewer.rect.height(), viewer.rect.x(), viewer.rect.y(), outer.width(),
              outer.height(), outer.x(), outer.y(), off.x(), off.y());
  EXPECT_LE(std::abs(off.x()), 1) << "centred across";
  EXPECT_LE(std::abs(off.y()), 1) << "centred down";

  // The About menu of the menu bar, under its title; keys go to it once it is up.
  ASSERT_TRUE(ClickAt(viewer.rect.topLeft() + QPoint(27, 8)));
  const Window drop = WaitForMenu(app.Pid());
  ASSERT_NE(drop.id, 0u) << "the menu opens; on the screen:" << OnScreen() << "\n" << Keep(Screen(), "viewer-menu");
  EXPECT_LE(std::abs(drop.rect.left() - viewer.rect.left()), 8) << "under its title";
  const QImage menu = Area(drop.rect);
  std::printf("[%s] About menu: black share %.3f, mean %.1f\n", DeskName().c_str(), BlackShare(menu), Mean(menu));
  EXPECT_LT(BlackShare(menu), 0.2) << Keep(menu, "viewer-menu");

  // Its last item but one opens the About window.
  ASSERT_TRUE(Keys({"Up", "Up", "Return"}));
  const Window about = WaitForWindow("^ About Fenwo\\.Lumtak$");
  ASSERT_NE(about.id, 0u) << "the About window; on the screen:" << OnScreen() << "\n" << Keep(Screen(), "viewer-about");
  const QImage first = Area(about.rect);
  QImage now = first;
  const bool painted = WaitUntil([&] {
    now = Area(about.rect);
    return BlackShare(now) < 0.2;
  }, 3000);
  std::printf("[%s] About %dx%d: black share %.3f at its first grab, %.3f after; mean %.1f\n", DeskName().c_str(),
              about.rect.width(), about.rect.height(), BlackShare(first), BlackShare(now), Mean(now));
  EXPECT_TRUE(painted) << Keep(now, "viewer-about");
  win::x11::PostClose(about.id);
  EXPECT_TRUE(WaitUntil([] { return Find("^ About Fenwo\\.Lumtak$").id == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Desktops, ViewerScreen, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

}  // namespace
