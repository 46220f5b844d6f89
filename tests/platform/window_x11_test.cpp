// labels: gui x11
// On a real X display the handle is an X window that others (the engine) draw into: changing
// the frame or the stays-on-top hint must keep that window.
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include "platform/window_qt.h"

TEST(X11Window, FrameAndTopMostKeepTheHandle) {
  QWidget owner, w;
  w.resize(120, 80);
  const win::HWND h = win::RegisterWindow(&w, win::WS_CAPTION, 0);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  win::SetWindowLongA(h, win::GWL_STYLE, 0x6000000);
  win::SetWindowPos(h, win::HWND_TOPMOST, 0, 0, 0, 0, win::SWP_NOMOVE | win::SWP_NOSIZE);
  QTest::qWait(50);
  EXPECT_EQ(static_cast<win::HWND>(w.winId()), h);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(w.windowHandle()->flags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(win::WindowWidget(h), &w);
}
