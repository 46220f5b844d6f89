// labels: e2e x11
// Texts and smallest sizes of the real programs as they reach the screen, on a bare X display and
// under openbox: the frame-rate button of a GIF source stands whole inside the main window, right
// after the length text, in the three languages; the viewer on a 16 x 16 picture keeps a window
// with its menu bar and frame buttons whole, the picture centred in it.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/ZantiroOnScreen.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;

class TextsScreen : public DesktopTest {};

bool Near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The longest run of columns in a row of the picture whose colour is near `colour`: [first, last].
std::pair<int, int> LongestRun(const QImage& img, int y, QRgb colour) {
  std::pair<int, int> best{-1, -2}, run{-1, -2};
  for (int x = 0; x < img.width(); ++x) {
    if (Near(img.pixel(x, y), colour, 6)) {
      if (run.first < 0) run.first = x;
      run.second = x;
      if (run.second - run.first > best.second - best.first) best = run;
    } else {
      run = {-1, -2};
    }
  }
  return best;
}

constexpr QRgb kFace = 0x2C313A;  // the small button's face (converter/skin: small_normal.gif)
constexpr QRgb kText = 0xD9DEE7;  // the length label's text

TEST_P(TextsScreen, TheFrameRateButtonStandsWholeAfterTheLengthText) {
  for (const char* lng : {"en", "gb", "tw"}) {
    SCOPED_TRACE(lng);
    Program app("Fenwo.Zantiro");
    app.Settings({std::string("Language=") + lng});
    ASSERT_TRUE(app.Start());
    const Window main = MainAfterSplash();
    ASSERT_NE(main.id, 0u) << app.Output();
    const std::string gif = app.Folder() + "/anim.gif";
    std::filesystem::copy_file(testsupport::media("anim.gif"), gif);
    ASSERT_TRUE(ChooseSource(main, gif)) << Keep(Screen(), std::string("reset-") + lng);

    // The length line's rows, from the label's top (176) to below the button's (174 + 20).
    const QImage line = Area(QRect(main.rect.topLeft() + QPoint(0, 172), QSize(main.rect.width(), 26)));
    // The face's widest row (one clear of the caption), across the whole window.
    std::pair<int, int> face{-1, -2};
    int faceRow = 0;
    for (int y = 0; y < line.height(); ++y) {
      const auto run = LongestRun(line, y, kFace);
      if (run.second - run.first > face.second - face.first) {
        face = run;
        faceRow = y;
      }
    }
    int textEnd = -1;
    for (int y = 4; y < 22; ++y)
      for (int x = 0; x < (face.first > 0 ? face.first : line.width()); ++x)
        if (Near(line.pixel(x, y), kText, 60)) textEnd = std::max(textEnd, x);
    std::printf("[%s] %s: button face at columns %d-%d (row %d) of the %d-pixel window; text ends at %d\n",
                DeskName().c_str(), lng, face.first, face.second, 172 + faceRow, line.width(), textEnd);
    const std::string shot = Keep(line, std::string("reset-line-") + lng);
    EXPECT_GE(face.second - face.first + 1, 48) << "the button's face shows whole: " << shot;
    EXPECT_LE(face.second + 3, line.width() - 1) << "its right rim inside the window: " << shot;
    ASSERT_GE(textEnd, 0) << "the length text shows: " << shot;
    EXPECT_GT(face.first, textEnd) << "right of the text: " << shot;
    EXPECT_LE(face.first - textEnd, 20) << "beside it: " << shot;
  }
}

// The viewer's window on a picture once it stands still: its client area with the menu bar, and
// its outer rectangle with openbox's frame.
struct Shown {
  Window window;
  QRect outer;
  QImage client, outerShot;
};
Shown ViewerOn(const std::string& picture, const std::string& name) {
  Shown s;
  Program app("Fenwo.Lumtak");
  app.Settings({"Language=en"});
  if (!app.Start({QString::fromStdString(picture)})) return s;
  s.window = WaitForWindow("^ Fenwo\\.Lumtak .* %$");
  if (!s.window.id) return s;
  int left = 0, top = 0, right = 0, bottom = 0;
  QImage last;
  int still = 0;
  (void)WaitUntil([&] {
    s.window.rect = Place(s.window.id);
    if (!win::x11::FrameExtents(s.window.id, left, top, right, bottom)) left = top = right = bottom = 0;
    s.outer = s.window.rect.adjusted(-left, -top, right, bottom);
    const QImage now = Area(s.outer);
    still = now == last ? still + 1 : 0;
    last = now;
    return still >= 5;
  });
  s.outerShot = last;
  s.client = Area(s.window.rect);
  std::printf("  %s: client %dx%d, outer %dx%d: %s\n", name.c_str(), s.window.rect.width(), s.window.rect.height(),
              s.outer.width(), s.outer.height(), Keep(s.outerShot, name).c_str());
  return s;
}

// The rows of the menu bar: from the top while the left column keeps the bar's colour.
int BarHeight(const QImage& client) {
  int h = 0;
  while (h < client.height() && client.pixel(1, h) == client.pixel(1, 1)) ++h;
  return h;
}

TEST_P(TextsScreen, TheViewerOnATinyPictureKeepsItsSmallestWindow) {
  testsupport::TempDir dir("tiny");
  QImage tiny(16, 16, QImage::Format_RGB32), wide(320, 200, QImage::Format_RGB32);
  tiny.fill(QColor(0xE0, 0x30, 0x30));
  wide.fill(QColor(0x30, 0x30, 0xE0));
  ASSERT_TRUE(tiny.save(QString::fromStdString(dir.file("tiny.png"))));
  ASSERT_TRUE(wide.save(QString::fromStdString(dir.file("wide.png"))));

  const Shown big = ViewerOn(dir.file("wide.png"), DeskName() + "-viewer-wide");
  ASSERT_NE(big.window.id, 0u);
  const Shown small = ViewerOn(dir.file("tiny.png"), DeskName() + "-viewer-tiny");
  ASSERT_NE(small.window.id, 0u);

  const int bar = BarHeight(small.client);
  std::printf("[%s] tiny picture: client %dx%d with a menu bar of %d rows\n", DeskName().c_str(),
              small.client.width(), small.client.height(), bar);
  EXPECT_GE(small.client.width(), 120);
  EXPECT_GE(small.client.height() - bar, 30);
  // The menu bar as it stands in the wide window: every title whole, no overflow button.
  ASSERT_EQ(bar, BarHeight(big.client));
  const int across = std::min(small.client.width(), 120);
  EXPECT_EQ(small.client.copy(0, 0, across, bar), big.client.copy(0, 0, across, bar)) << "the menu bar";
  // The frame's three buttons at its right end as on the wide window (openbox draws them there).
  if (GetParam() == Desk::Openbox) {
    const int top = small.window.rect.top() - small.outer.top();
    ASSERT_GT(top, 0) << "openbox frames the window";
    const QImage a = small.outerShot.copy(small.outerShot.width() - 50, 0, 50, top);
    const QImage b = big.outerShot.copy(big.outerShot.width() - 50, 0, 50, top);
    EXPECT_EQ(a, b) << "the frame's buttons";
  }
  // The picture centred in the client area below the bar.
  QRect red;
  for (int y = bar; y < small.client.height(); ++y)
    for (int x = 0; x < small.client.width(); ++x)
      if (Near(small.client.pixel(x, y), 0xE03030, 8)) red |= QRect(x, y, 1, 1);
  std::printf("[%s] the picture at %d,%d %dx%d\n", DeskName().c_str(), red.x(), red.y(), red.width(), red.height());
  EXPECT_EQ(red.size(), QSize(16, 16));
  EXPECT_LE(std::abs(red.center().x() - (small.client.width() - 1) / 2), 1);
  EXPECT_LE(std::abs(red.center().y() - (bar + (small.client.height() - bar - 1) / 2)), 1);
}

INSTANTIATE_TEST_SUITE_P(Desktops, TextsScreen, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

}  // namespace
