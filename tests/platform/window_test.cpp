// labels: gui
#include "platform/window.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/window_qt.h"

namespace {

// A top-level window painted in two colours: a key-coloured left half, a grey right half.
class TwoTone : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(0, 0, width() / 2, height(), QColor(255, 0, 255));
    p.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(128, 128, 128));
  }
};

struct Window : ::testing::Test {
  void SetUp() override {
    w.resize(100, 50);
    w.move(200, 200);
    hwnd = win::RegisterWindow(&w, win::WS_CAPTION | win::WS_SYSMENU | win::WS_CLIPCHILDREN, 0);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  }
  void TearDown() override { win::SetCursorPosForTests({}); }
  TwoTone w;
  win::HWND hwnd = 0;
};

TEST_F(Window, HandleIsTheNativeWindowAndIsKeptPerWidget) {
  EXPECT_EQ(hwnd, static_cast<win::HWND>(w.winId()));
  EXPECT_EQ(win::RegisterWindow(&w, 0, 0), hwnd);  // registering again keeps the first styles
  EXPECT_EQ(win::WindowWidget(hwnd), &w);
  EXPECT_TRUE(win::IsWindow(hwnd));
  EXPECT_FALSE(win::IsWindow(hwnd + 12345));
  EXPECT_EQ(win::GetWindowLongA(hwnd + 12345, win::GWL_STYLE), 0);
  EXPECT_EQ(static_cast<uint32_t>(win::GetWindowLongA(hwnd, win::GWL_STYLE)),
            win::WS_CAPTION | win::WS_SYSMENU | win::WS_CLIPCHILDREN | win::WS_VISIBLE);
}

TEST_F(Window, TitleOfOurWindow) {
  EXPECT_TRUE(win::SetWindowTextA(hwnd, "Fenwo.Zantiro - Options"));
  EXPECT_EQ(w.windowTitle(), "Fenwo.Zantiro - Options");
}

TEST_F(Window, StyleWithoutCaptionIsFrameless) {
  const int32_t old = win::SetWindowLongA(hwnd, win::GWL_STYLE, 0x6000000);
  EXPECT_TRUE(old & static_cast<int32_t>(win::WS_CAPTION));
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(win::GetWindowLongA(hwnd, win::GWL_STYLE) & ~static_cast<int32_t>(win::WS_VISIBLE), 0x6000000);
  EXPECT_EQ(static_cast<win::HWND>(w.winId()), hwnd);
  win::SetWindowLongA(hwnd, win::GWL_STYLE, static_cast<int32_t>(win::WS_CAPTION));
  EXPECT_FALSE(w.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(Window, LayeredAlphaIsOpacity) {
  // Without WS_EX_LAYERED the call fails, as the system's does.
  EXPECT_FALSE(win::SetLayeredWindowAttributes(hwnd, 0, 128, win::LWA_ALPHA));
  win::SetWindowLongA(hwnd, win::GWL_EXSTYLE,
                      win::GetWindowLongA(hwnd, win::GWL_EXSTYLE) | static_cast<int32_t>(win::WS_EX_LAYERED));
  EXPECT_TRUE(win::SetLayeredWindowAttributes(hwnd, 0, 51, win::LWA_ALPHA));
  EXPECT_NEAR(w.windowOpacity(), 0.2, 0.01);
  EXPECT_TRUE(win::SetLayeredWindowAttributes(hwnd, 0, 255, win::LWA_ALPHA));
  EXPECT_NEAR(w.windowOpacity(), 1.0, 0.01);
}

TEST_F(Window, ColourKeyCutsItsPixelsOut) {
  win::SetWindowLongA(hwnd, win::GWL_EXSTYLE, static_cast<int32_t>(win::WS_EX_LAYERED));
  ASSERT_TRUE(win::SetLayeredWindowAttributes(hwnd, 0xFF00FF, 255, win::LWA_COLORKEY));
  const QRegion mask = w.mask();
  EXPECT_FALSE(mask.contains(QPoint(10, 10)));  // key colour: cut out
  EXPECT_TRUE(mask.contains(QPoint(80, 10)));   // other colours stay
  // Taking the key away restores the whole window.
  win::SetWindowLongA(hwnd, win::GWL_EXSTYLE, 0);
  EXPECT_TRUE(w.mask().isEmpty());
}

TEST_F(Window, TopMostIsTheStaysOnTopHint) {
  const uint32_t keep = win::SWP_NOMOVE | win::SWP_NOSIZE;
  ASSERT_TRUE(win::SetWindowPos(hwnd, win::HWND_TOPMOST, 0, 0, 0, 0, keep));
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(win::GetWindowLongA(hwnd, win::GWL_EXSTYLE) & static_cast<int32_t>(win::WS_EX_TOPMOST));
  EXPECT_EQ(static_cast<win::HWND>(w.winId()), hwnd);
  EXPECT_EQ(w.pos(), QPoint(200, 200));
  ASSERT_TRUE(win::SetWindowPos(hwnd, win::HWND_NOTOPMOST, 0, 0, 0, 0, keep));
  EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(Window, PointerAndTheWindowUnderIt) {
  win::SetCursorPosForTests([] { return win::POINT{210, 220}; });
  win::POINT p;
  ASSERT_TRUE(win::GetCursorPos(p));
  EXPECT_EQ(p.x, 210);
  EXPECT_EQ(p.y, 220);
  const QPoint inside = w.mapToGlobal(QPoint(5, 5));
  EXPECT_EQ(win::WindowFromPoint({inside.x(), inside.y()}), hwnd);
  EXPECT_EQ(win::WindowFromPoint({5000, 5000}), 0);
}

// The move is asked for a few pointer steps after the press (on the first move with the button
// held): the spot pressed stays under the pointer, from then to the release.
TEST_F(Window, DraggingByTheBodyKeepsThePressedSpotUnderThePointerUntilTheRelease) {
  const QPoint start = w.frameGeometry().topLeft();
  const QPoint press = w.mapToGlobal(QPoint(10, 10));
  QMouseEvent down(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(press), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&w, &down);
  win::SetCursorPosForTests([press] { return win::POINT{press.x() + 12, press.y() + 4}; });
  win::SetKeyStateForTests([](int vKey) { return vKey == win::VK_LBUTTON; });
  win::ReleaseCapture();
  win::SendMessageA(hwnd, win::WM_NCLBUTTONDOWN, win::HTCAPTION, 0);
  EXPECT_EQ(w.frameGeometry().topLeft(), start + QPoint(12, 4));
  auto moveTo = [&](QPoint by, Qt::MouseButtons held) {
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(press + by), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
  };
  moveTo(QPoint(30, 20), Qt::LeftButton);
  EXPECT_EQ(w.frameGeometry().topLeft(), start + QPoint(30, 20));
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(press + QPoint(30, 20)), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &up);
  QApplication::processEvents();
  moveTo(QPoint(80, 80), Qt::LeftButton);
  EXPECT_EQ(w.frameGeometry().topLeft(), start + QPoint(30, 20)) << "released: no more moving";
  win::SetKeyStateForTests({});
}

TEST_F(Window, DraggingAskedForAfterTheReleaseMovesNothing) {
  const QPoint start = w.frameGeometry().topLeft();
  const QPoint grab = w.mapToGlobal(QPoint(10, 10));
  win::SetCursorPosForTests([grab] { return win::POINT{grab.x(), grab.y()}; });
  win::SetKeyStateForTests([](int) { return false; });
  win::SendMessageA(hwnd, win::WM_NCLBUTTONDOWN, win::HTCAPTION, 0);
  QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), QPointF(grab + QPoint(30, 20)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&w, &move);
  EXPECT_EQ(w.frameGeometry().topLeft(), start);
  win::SetKeyStateForTests({});
}

TEST_F(Window, MouseButtonsDownNow) {
  EXPECT_EQ(win::GetAsyncKeyState(win::VK_LBUTTON), 0);
  QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_NE(win::GetAsyncKeyState(win::VK_LBUTTON) & 0x8000, 0);
  EXPECT_EQ(win::GetAsyncKeyState(win::VK_RBUTTON), 0);
  QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(win::GetAsyncKeyState(win::VK_LBUTTON), 0);
}

TEST(WorkArea, IsThePrimaryScreensAvailableArea) {
  win::RECT r;
  ASSERT_TRUE(win::SystemParametersInfoA(win::SPI_GETWORKAREA, 0, &r, 0));
  EXPECT_GT(r.right - r.left, 0);
  EXPECT_GT(r.bottom - r.top, 0);
  EXPECT_FALSE(win::SystemParametersInfoA(0, 0, &r, 0));
}

}  // namespace
