// labels: engine gui x11
// The preview with the real engine drawing into the options window and into the big-screen
// window: play, pause and frame step, a screenshot, the switch, the end of the file, Cancel.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmPlayer.h"
#include "converter/frmSplash.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/qt.h"
#include "support/PreviewFixture.h"
#include "support/paths.h"

namespace {

using zantiro::frmMain;
using zantiro::frmOptions;
using zantiro::frmPlayer;
using zantiro::frmSplash;
namespace fs = std::filesystem;
namespace z = mdlFenwoZantiro;

// Lets the windows and the preview's poll run until done() or the time is up.
template <class F>
bool RunUntil(F done, int ms = 8000) {
  return QTest::qWaitFor(done, ms);
}

// The share of a picture box's pixels on the screen that the engine has drawn: those not of the
// colour key.
double DrawnShare(vb::PictureBox& box) {
  QWidget* w = box.ClientWidget();
  const QPoint at = w->mapToGlobal(QPoint(0, 0));
  const QImage shot =
      QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), w->width(), w->height()).toImage();
  if (shot.isNull()) return 0;
  long drawn = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if ((shot.pixel(x, y) & 0xFFFFFF) != 0x030201) ++drawn;
  return static_cast<double>(drawn) / (shot.width() * shot.height());
}

class Preview : public testsupport::PreviewWindow {
 protected:
  void SetUp() override {
    PreviewWindow::SetUp();
    UseSource("clip.avi", 320, 240, 4);
  }
};

TEST_F(Preview, PlaysPausesStepsAndTakesAScreenshot) {
  frmOptions& f = Open();
  ASSERT_TRUE(RunUntil([] { return z::CurTime >= 0.5f; })) << "the engine reports its position";
  EXPECT_EQ(f.picPlayer.Tag(), "Play");
  EXPECT_EQ(f.lblTotalTime.Caption(), "00:00:04.0");
  EXPECT_FALSE(f.lblCurTime.Caption().empty());
  EXPECT_GT(f.imgSlider.Left(), f.imgSliderBG.Left() - f.imgSlider.Width() / 2) << "the thumb follows";
  EXPECT_GT(DrawnShare(f.picPlayer), 0.5) << "the engine draws into the preview";

  // Paused, the position stands; a frame step leaves the preview paused.
  f.lblPause.Click();
  EXPECT_EQ(f.picPlayer.Tag(), "Pause");
  QTest::qWait(400);
  const float paused = z::CurTime;
  QTest::qWait(400);
  EXPECT_FLOAT_EQ(z::CurTime, paused);
  f.lblPause.Click();
  QTest::qWait(300);
  EXPECT_EQ(f.picPlayer.Tag(), "Pause");
  EXPECT_TRUE(mdlConsole::IsRunning());

  // One screenshot, written into the source's folder and named in the note.
  f.lblSrceenshot.Click();
  ASSERT_TRUE(RunUntil([&] { return fs::exists(dir.file("shot0001.png")); }));
  ASSERT_TRUE(RunUntil([&] { return f.lblPlayerNote.Visible(); }));
  EXPECT_EQ(f.lblPlayerNote.Caption(), z::LngText[106] + "shot0001.png");

  // Playing on to the end of the file stops the preview without a complaint.
  f.lblPlay.Click();
  EXPECT_EQ(f.picPlayer.Tag(), "Play");
  ASSERT_TRUE(RunUntil([&] { return !f.tmrCheck.Enabled(); }, 10000));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(f.lblCurTime.Caption(), "");
  EXPECT_FALSE(mdlConsole::IsRunning());
  EXPECT_TRUE(RunUntil([&] { return DrawnShare(f.picPlayer) == 0; })) << "the stop clears the last frame";
}

TEST_F(Preview, BigScreenAndBackThenCancel) {
  frmOptions& f = Open();
  ASSERT_TRUE(RunUntil([] { return z::CurTime >= 0.3f; }));
  f.lbl2BigScreen(0).Click();
  ASSERT_NE(frmPlayer::Made(), nullptr);
  frmPlayer& p = *frmPlayer::Made();
  EXPECT_TRUE(p.Visible());
  EXPECT_TRUE(f.lbl2BigScreen(1).Visible());
  ASSERT_TRUE(RunUntil([] { return z::CurTime >= 0.5f; })) << "playing in the big-screen window";
  EXPECT_FLOAT_EQ(p.picPlayer.Width() / p.picPlayer.Height(), 320.0f / 240.0f);
  EXPECT_GT(DrawnShare(p.picPlayer), 0.5) << "the engine draws into the big screen";

  // Back to the embedded preview: the big-screen window goes.
  f.lbl2BigScreen(1).Click();
  EXPECT_EQ(frmPlayer::Made()->Visible(), false);
  EXPECT_TRUE(f.tmrCheck.Enabled());
  ASSERT_TRUE(RunUntil([] { return z::CurTime > 0; }));

  // Cancel ends the engine and hides the window.
  f.cmdOkCancel(1).Click();
  EXPECT_FALSE(f.Visible());
  EXPECT_FALSE(f.tmrCheck.Enabled());
  EXPECT_FALSE(mdlConsole::IsRunning());
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
