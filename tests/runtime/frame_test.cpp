// labels: gui x11
// A framed window under a real window manager: the frame it measures before its first show is
// the one it gets, so a client area asked for before or after the show comes out as asked.
#include <QTest>

#include <gtest/gtest.h>

#include "runtime/forms.h"
#include "runtime/screen.h"
#include "support/WindowManager.h"

namespace {

class Framed : public ::testing::Test {
 protected:
  void SetUp() override { wm_.Start(); }
  testsupport::WindowManager wm_;
};

TEST_F(Framed, FrameMeasuredBeforeTheShowIsTheOneTheWindowGets) {
  const float tx = static_cast<float>(vb::Screen::TwipsPerPixelX());
  const float ty = static_cast<float>(vb::Screen::TwipsPerPixelY());
  vb::Form player;
  player.ScaleMode(vb::vbPixels);
  const float frameW = player.Width() - tx * player.ScaleWidth();
  const float frameH = player.Height() - ty * player.ScaleHeight();
  EXPECT_GT(frameH, frameW) << "the caption is part of the frame";
  EXPECT_GT(frameW, 0.0f);

  // Another framed window comes and goes before this one is shown.
  {
    vb::Form other;
    other.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(other.Widget()->windowHandle()));
    other.Hide();
  }

  // As the big-screen player does: shown, then sized from the frame it measured at its load.
  player.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(player.Widget()->windowHandle()));
  QTest::qWait(100);
  player.Move(player.Left(), player.Top(), 320 * tx + frameW, 240 * ty + frameH);
  // The window manager answers when it gets to it.
  (void)QTest::qWaitFor([&] { return player.ScaleWidth() == 320.0f && player.ScaleHeight() == 240.0f; }, 10000);
  EXPECT_FLOAT_EQ(player.ScaleWidth(), 320.0f);
  EXPECT_FLOAT_EQ(player.ScaleHeight(), 240.0f);
  EXPECT_FLOAT_EQ(player.Width() - tx * player.ScaleWidth(), frameW);
  EXPECT_FLOAT_EQ(player.Height() - ty * player.ScaleHeight(), frameH);
  player.Hide();
}

}  // namespace
