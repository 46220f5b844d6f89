// labels: engine gui x11
// What reaches the screen while the real engine draws into the options window and into the
// big-screen window, driven by real mouse and key events: the crop outline over the playing and
// the paused picture, the paused picture kept under it, the video filling its box, a colour step
// changing the picture (paused, on the same frame), the notes over the video, Tab leaving the fields; with no window manager and
// with openbox.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>
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
#include "support/WindowManager.h"
#include "support/paths.h"

namespace {

using zantiro::frmMain;
using zantiro::frmOptions;
using zantiro::frmPlayer;
using zantiro::frmSplash;
namespace fs = std::filesystem;
namespace z = mdlFenwoZantiro;

constexpr QRgb kKey = 0x030201;      // the picture box's colour key as the screen shows it
constexpr QRgb kOutline = 0x9AD357;  // shpCrop's border colour (&H0057D39A&)

// Lets the windows and the preview's poll run until done() or the time is up.
template <class F>
bool RunUntil(F done, int ms = 15000) {
  return QTest::qWaitFor(done, ms);
}

QRgb rgb(QRgb p) { return p & 0xFFFFFF; }

// The screen's pixels where a widget lies (what a user sees, whatever window drew them).
QImage OnScreen(QWidget* w) {
  const QPoint at = w->mapToGlobal(QPoint(0, 0));
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, at.x(), at.y(), w->width(), w->height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}
QImage OnScreen(vb::PictureBox& box) { return OnScreen(box.ClientWidget()); }

// The box around the pixels that are not of the colour key, and their share of the whole.
struct Extent {
  QRect box;
  double share = 0;
};
Extent Drawn(const QImage& shot) {
  Extent e;
  long n = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (rgb(shot.pixel(x, y)) != kKey) {
        ++n;
        e.box |= QRect(x, y, 1, 1);
      }
  e.share = shot.isNull() ? 0 : static_cast<double>(n) / (shot.width() * shot.height());
  return e;
}

// The mean of the three colour channels, 0 to 255.
double Brightness(const QImage& shot) {
  double sum = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QRgb p = shot.pixel(x, y);
      sum += (qRed(p) + qGreen(p) + qBlue(p)) / 3.0;
    }
  return sum / (shot.width() * shot.height());
}

// Real input through the X server: xdotool with these words, while the windows keep running.
void Xdo(const QStringList& words) {
  QProcess p;
  p.start("xdotool", words);
  ASSERT_TRUE(p.waitForStarted());
  ASSERT_TRUE(RunUntil([&] { return p.state() == QProcess::NotRunning; }));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

// A drag with the left button from one point of a widget to another, a step at a time as a hand
// gives them (the X server hands steps sent at once to the program out of order).
void Drag(QWidget* w, QPoint from, QPoint to) {
  const QPoint a = w->mapToGlobal(from), b = w->mapToGlobal(to), mid = (a + b) / 2;
  auto n = [](int v) { return QString::number(v); };
  Xdo({"mousemove", n(a.x()), n(a.y()), "sleep", "0.1", "mousedown", "1", "sleep", "0.1",  //
       "mousemove", n(mid.x()), n(mid.y()), "sleep", "0.1", "mousemove", n(b.x()), n(b.y()), "sleep", "0.1",
       "mouseup", "1"});
}

// Each test runs with no window manager and with openbox.
class PreviewPixels : public testsupport::PreviewWindow, public ::testing::WithParamInterface<bool> {
 protected:
  // A 160x120 video of 10 s: a sixth of the preview box at its own size.
  void SetUp() override {
    if (GetParam()) wm_.Start();
    if (IsSkipped() || HasFatalFailure()) return;
    PreviewWindow::SetUp();
    UseSource("sparse-keys.avi", 160, 120, 10);
  }
  testsupport::WindowManager wm_;

  // Playing the source, once the engine draws.
  frmOptions& Playing() {
    frmOptions& f = Open();
    EXPECT_TRUE(RunUntil([&] { return z::CurTime >= 0.3f && Drawn(OnScreen(f.picPlayer)).share > 0.9; }))
        << "the engine draws into the preview";
    return f;
  }
  // Paused, once the picture stands still.
  QImage Paused(frmOptions& f) {
    f.lblPause.Click();
    QImage before = OnScreen(f.picPlayer), now;
    EXPECT_TRUE(RunUntil([&] {
      QTest::qWait(200);
      now = OnScreen(f.picPlayer);
      const bool still = now == before;
      before = now;
      return still;
    }));
    return now;
  }
};

// The pixels of a widget's outline ring (one pixel wide, along its edges) in this picture of its
// container, and the share of them in the colour.
double RingShare(const QImage& shot, const QRect& r, QRgb color) {
  long on = 0, all = 0;
  auto at = [&](int x, int y) {
    ++all;
    if (rgb(shot.pixel(x, y)) == color) ++on;
  };
  for (int x = r.left(); x <= r.right(); ++x) {
    at(x, r.top());
    at(x, r.bottom());
  }
  for (int y = r.top() + 1; y < r.bottom(); ++y) {
    at(r.left(), y);
    at(r.right(), y);
  }
  return static_cast<double>(on) / static_cast<double>(all);
}
bool OnRing(const QRect& r, int x, int y) {
  return r.contains(x, y) && (x == r.left() || x == r.right() || y == r.top() || y == r.bottom());
}
// The pixels that differ between two pictures of the same place, leaving out a ring.
long Changed(const QImage& a, const QImage& b, const QRect& ring = QRect()) {
  long n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (!OnRing(ring, x, y) && rgb(a.pixel(x, y)) != rgb(b.pixel(x, y))) ++n;
  return n;
}
// The mean difference of two pictures, channel by channel, 0 to 255.
double MeanChange(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q))) / 3.0;
    }
  return sum / (a.width() * a.height());
}

// A crop rectangle drawn with the mouse while the video plays and while it is paused: its outline
// stays on the screen in its colour, and the picture under it is the engine's, also where an
// earlier outline was.
TEST_P(PreviewPixels, CropOutlineOverThePlayingAndThePausedPicture) {
  frmOptions& f = Playing();
  QWidget* surface = f.picPlayer.ClientWidget();
  QWidget* outline = f.shpCrop.Widget();
  auto drawn = [&](QPoint from, QPoint to) {
    Drag(surface, from, to);
    EXPECT_TRUE(RunUntil([&] {
      return f.shpCrop.Visible() && f.shpCrop.Tag().empty() && outline->geometry() == QRect(from, to - QPoint(1, 1));
    })) << "the rectangle follows the mouse";
    return outline->geometry();
  };

  const QRect playing = drawn({100, 80}, {300, 220});
  double least = 1;
  QImage first = OnScreen(f.picPlayer), shot;
  for (int i = 0; i < 8; ++i) {
    QTest::qWait(150);
    shot = OnScreen(f.picPlayer);
    least = std::min(least, RingShare(shot, playing, kOutline));
  }
  std::printf("[figures] playing: outline pixels in the border colour, least of 8 pictures: %.3f\n", least);
  EXPECT_EQ(least, 1.0) << "the outline stays over every frame";
  EXPECT_GT(Changed(first, shot, playing), 1000) << "the video plays on inside and around it ";

  // A click without a drag takes the rectangle away; paused, the picture stands.
  Xdo({"click", "1"});
  ASSERT_TRUE(RunUntil([&] { return !f.shpCrop.Visible(); }));
  const QImage still = Paused(f);
  EXPECT_LT(RingShare(still, playing, kOutline), 0.05) << "no outline left on the picture";

  // Each rectangle drawn on the paused picture: its outline, and the rest of the picture as it was.
  for (const auto& [from, to] : {std::pair{QPoint(60, 50), QPoint(260, 200)}, {QPoint(150, 120), QPoint(380, 280)}}) {
    const QRect r = drawn(from, to);
    long changed = -1;
    double ring = 0;
    EXPECT_TRUE(RunUntil([&] {
      shot = OnScreen(f.picPlayer);
      ring = RingShare(shot, r, kOutline);
      changed = Changed(still, shot, r);
      return ring == 1.0 && changed == 0;
    })) << "outline " << ring << ", pixels changed off it " << changed;
    std::printf("[figures] paused, rectangle %dx%d: outline share %.3f, picture pixels changed off the outline %ld\n",
                r.width(), r.height(), ring, changed);
  }
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0]);
}

// The video fills the preview box, and the big-screen window at any size it is given, also on its
// second showing.
TEST_P(PreviewPixels, VideoFillsThePreviewAndTheBigScreen) {
  frmOptions& f = Playing();
  const Extent inBox = Drawn(OnScreen(f.picPlayer));
  std::printf("[figures] preview box %dx%d: video drawn over %dx%d, %.3f of it\n", f.picPlayer.ClientWidget()->width(),
              f.picPlayer.ClientWidget()->height(), inBox.box.width(), inBox.box.height(), inBox.share);
  EXPECT_EQ(f.picPlayer.ClientWidget()->size(), QSize(400, 300)) << "the box keeps the video's 4:3 in 400x304";
  EXPECT_EQ(inBox.box, QRect(0, 0, 400, 300));
  EXPECT_GT(inBox.share, 0.98);

  for (int showing = 1; showing <= 2; ++showing) {
    f.lbl2BigScreen(0).Click();
    ASSERT_NE(frmPlayer::Made(), nullptr);
    frmPlayer& p = *frmPlayer::Made();
    QWidget* box = p.picPlayer.ClientWidget();
    const float tx = 15, ty = 15;  // twips per pixel at 96 DPI
    for (const QSize size : {QSize(160, 120), QSize(480, 360), QSize(640, 360)}) {
      if (size != QSize(160, 120))
        p.Move(p.Left(), p.Top(), static_cast<float>(size.width()) * tx + static_cast<float>(p.plusFrmWidth),
               static_cast<float>(size.height()) * ty + static_cast<float>(p.plusFrmHeight));
      // At 640x360 the 4:3 picture is 480x360, centred.
      const QSize fit = size.width() * 3 > size.height() * 4 ? QSize(size.height() * 4 / 3, size.height()) : size;
      Extent e;
      EXPECT_TRUE(RunUntil([&] {
        e = Drawn(OnScreen(box));
        return p.ClientWidget()->size() == size && box->size() == fit && e.box == QRect(QPoint(), fit) &&
               e.share > 0.98;
      })) << "showing " << showing << ", window " << size.width() << "x" << size.height() << ": box "
          << box->width() << "x" << box->height() << ", video over " << e.box.width() << "x" << e.box.height();
      std::printf("[figures] big screen, showing %d, window %dx%d: box %dx%d at %d, video over %dx%d, %.3f of it\n",
                  showing, size.width(), size.height(), box->width(), box->height(),
                  box->mapTo(p.ClientWidget(), QPoint()).x(), e.box.width(), e.box.height(), e.share);
    }
    f.lbl2BigScreen(1).Click();
    ASSERT_TRUE(RunUntil([] { return z::CurTime > 0.3f; }));
  }
  EXPECT_TRUE(boxes.empty());
}

// Each colour step changes the picture on the screen, paused and playing, whatever the output;
// paused, the frame stays: the steps back give the paused picture again.
TEST_P(PreviewPixels, ColourStepsChangeThePicture) {
  frmOptions& f = Playing();
  ASSERT_TRUE(RunUntil([&] { return !f.lblSaturation.Tag().empty(); })) << "the engine told its colours";
  const QImage paused = Paused(f);
  QImage before = paused;
  const std::pair<const char*, vb::ControlArray<zantiro::TransArea>*> rows[] = {
      {"brightness", &f.imgBrightness}, {"contrast", &f.imgContrast}, {"hue", &f.imgHue},
      {"saturation", &f.imgSaturation}};
  for (const auto& [name, buttons] : rows) {
    for (int i = 0; i < 4; ++i) (*buttons)(1).Click();
    double change = 0;
    QImage now;
    EXPECT_TRUE(RunUntil([&] {
      now = OnScreen(f.picPlayer);
      change = MeanChange(before, now);
      return change > 3;
    })) << name << " +20 while paused changes the picture: " << change;
    std::printf("[figures] paused, %s +20: mean change of the picture %.1f of 255\n", name, change);
    before = now;
  }
  for (const auto& [name, buttons] : rows) (*buttons)(2).Click();
  EXPECT_TRUE(RunUntil([&] { return Changed(paused, OnScreen(f.picPlayer)) == 0; }))
      << "the colours reset, the paused frame again: mean change " << MeanChange(paused, OnScreen(f.picPlayer));
  const double lighter = Brightness(before);
  f.lblPlay.Click();
  QTest::qWait(300);
  for (int i = 0; i < 8; ++i) f.imgBrightness(0).Click();
  double darker = lighter;
  EXPECT_TRUE(RunUntil([&] {
    darker = Brightness(OnScreen(f.picPlayer));
    return darker < lighter - 15;
  })) << "brightness -40 while playing: " << lighter << " to " << darker;
  std::printf("[figures] playing, brightness -40: mean brightness %.1f to %.1f\n", lighter, darker);
}

// The note over the preview is read over the playing video: every-frame capture names its file.
TEST_P(PreviewPixels, NoteOverThePlayingVideo) {
  frmOptions& f = Playing();
  f.lblCut2Pic(0).Click();
  ASSERT_TRUE(RunUntil([&] { return f.lblPlayerNote.Visible() && f.lblPlayerNote.Caption().rfind(z::LngText[105], 0) == 0; }));
  QWidget* note = f.lblPlayerNote.Widget();
  const QRect inBox = note->geometry();
  EXPECT_TRUE(f.picPlayer.ClientWidget()->rect().contains(inBox)) << "the whole note lies on the preview";
  long most = 0;
  for (int i = 0; i < 8; ++i) {
    QTest::qWait(150);
    // The note names each file as it is written, so its text changes while it runs: compare once
    // the screen has caught up with the text (video drawn over the note never catches up).
    long off = 0;
    RunUntil([&] {
      off = Changed(note->grab().toImage().convertToFormat(QImage::Format_RGB32), OnScreen(note));
      return off == 0;
    }, 1000);
    most = std::max(most, off);
  }
  std::printf("[figures] capture note %dx%d: most of its pixels the video drew over, of 8 pictures: %ld\n",
              inBox.width(), inBox.height(), most);
  EXPECT_EQ(most, 0) << "the screen shows the note as it paints itself";
  f.lblCut2Pic(1).Click();
  ASSERT_TRUE(RunUntil([&] { return !f.lblPlayerNote.Visible() && f.picPlayer.Tag() == "Pause"; }));

  // A transparent note ("Playing ....") over the playing video, held there with the poll
  // stopped: its letters and their rim stand still while the video moves around them.
  f.lblPlay.Click();
  f.tmrCheck.Enabled(false);
  f.lblPlayerNote.Caption(z::LngText[72]);
  f.lblPlayerNote.BackStyle(vb::vbTransparent);
  f.lblPlayerNote.Visible(true);
  QRegion letters;
  ASSERT_TRUE(RunUntil([&] {
    letters = note->mask();
    return !letters.isEmpty() && letters.boundingRect().width() > 20;
  }));
  const QImage first = OnScreen(note);
  QImage shot;
  long moved = 0, kept = 0, drawnOver = 0;
  for (int i = 0; i < 8; ++i) {
    QTest::qWait(150);
    shot = OnScreen(note);
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const bool same = rgb(shot.pixel(x, y)) == rgb(first.pixel(x, y));
        if (!letters.contains(QPoint(x, y))) moved += !same;
        else if (same) ++kept;
        else ++drawnOver;
      }
  }
  std::printf("[figures] transparent note: %ld pixels of letters and rim, drawn over in 8 pictures: %ld; "
              "video pixels around them that changed: %ld\n",
              kept / 8, drawnOver, moved);
  EXPECT_EQ(drawnOver, 0) << "the video never draws over the letters";
  EXPECT_GT(moved, 0) << "the video shows and moves around the letters";
  f.tmrCheck.Enabled(true);
}

// Tab and Shift+Tab, typed on the keyboard, leave every field; leaving a time field checks it.
TEST_P(PreviewPixels, TabLeavesEveryField) {
  frmOptions& f = frmOptions::Default();
  f.Move(0, 0);
  f.Show();
  ASSERT_TRUE(RunUntil([&] { return f.Widget()->isActiveWindow(); }));
  std::vector<vb::TextBox*> fields{&f.txtScope(0), &f.txtScope(1), &f.txtSize(0), &f.txtSize(1), &f.txtFps};
  for (vb::TextBox* field : fields)
    for (const char* key : {"Tab", "shift+Tab"}) {
      field->SetFocus();
      ASSERT_TRUE(RunUntil([&] { return QApplication::focusWidget() == field->Widget(); }));
      Xdo({"key", key});
      EXPECT_TRUE(RunUntil([&] { return QApplication::focusWidget() != field->Widget(); }))
          << key << " leaves " << field->Name() << field->Index();
    }
  EXPECT_TRUE(boxes.empty()) << "leaving untouched fields changes and says nothing";
  EXPECT_EQ(f.lblMark(0).Tag(), "");

  // A time field left by Tab runs its check: a wrong time is refused and put back.
  f.txtScope(1).SetFocus();
  ASSERT_TRUE(RunUntil([&] { return QApplication::focusWidget() == f.txtScope(1).Widget(); }));
  Xdo({"key", "BackSpace", "Tab"});
  ASSERT_TRUE(RunUntil([&] { return !boxes.empty(); }));
  EXPECT_EQ(boxes[0].rfind(z::LngText[108], 0), 0u);
  EXPECT_EQ(f.txtScope(1).Text(), "00:00:10.0");
}

INSTANTIATE_TEST_SUITE_P(WindowManager, PreviewPixels, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "openbox" : "none"; });

}  // namespace
