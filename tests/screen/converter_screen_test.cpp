// labels: e2e x11
// The conversion program as a user starts it (the built program, its own folder), driven by the
// real pointer and keys, on a bare X display, under openbox and with a compositing manager: what
// reaches the screen. The splash stands centred and on top with its card and text, its white
// surround see-through; the main window fades in where the screen can show a partly transparent
// window, and is out of sight until it is mostly opaque where it cannot; the windows opened from
// the main window are painted when they open.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/ZantiroOnScreen.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;

const QSize kMain = kMainSize, kSplash = kSplashSize;
const QString kTitle = kMainTitle;
constexpr QRgb kLogo = 0x3DBE8B;  // the green of the splash card's mark

class ConverterScreen : public DesktopTest {
 protected:
  QRect ScreenRect() const { return QGuiApplication::primaryScreen()->geometry(); }
};

// How far a picture has come from the bare screen towards the window's own look, 0 to 1.
double Opacity(const QImage& now, const QImage& bare, const QImage& full) {
  double moved = 0, whole = 0;
  for (int y = 0; y < now.height(); ++y)
    for (int x = 0; x < now.width(); ++x) {
      const QRgb n = now.pixel(x, y), b = bare.pixel(x, y), f = full.pixel(x, y);
      for (int shift : {16, 8, 0}) {
        const int nb = ((n >> shift) & 0xff) - ((b >> shift) & 0xff);
        const int fb = ((f >> shift) & 0xff) - ((b >> shift) & 0xff);
        moved += nb * fb;
        whole += fb * fb;
      }
    }
  return whole > 0 ? moved / whole : 1.0;
}

TEST_P(ConverterScreen, SplashCardOnTopWhileTheMainWindowComesIn) {
  Program app("Fenwo.Zantiro");
  app.Settings({"Language=en"});
  const QImage bare = Screen();
  ASSERT_TRUE(app.Start());

  const Window splash = WaitForWindow(kTitle, kSplash);
  ASSERT_NE(splash.id, 0u) << app.Output();
  const QPoint off = splash.rect.center() - ScreenRect().center();
  EXPECT_LE(std::abs(off.x()), 1) << "the splash is centred";
  EXPECT_LE(std::abs(off.y()), 1) << "the splash is centred";

  // While the splash stands: its card on the screen, and the main window's title strip.
  struct Sample {
    double logo, text;
    QRgb corner;
    QImage strip;
  };
  std::vector<Sample> samples;
  QRect strip;
  QImage worst;
  // From the moment its card first shows (a compositing manager may draw a window a moment after
  // it is mapped).
  ASSERT_TRUE(WaitUntil([&] { return ColourShare(Area(splash.rect), kLogo, 24) > 0.005; })) << "the card shows";
  while (Find(kTitle, kSplash).id) {
    const QImage card = Area(splash.rect);
    if (card.isNull()) continue;
    const QImage box = card.copy(30, 90, 300, 90);  // the frame of the scrolling text
    Sample s{ColourShare(card, kLogo, 24), Share(box, [](QRgb p) { return qGray(p) > 150; }),
             card.pixel(1, 1), {}};
    if (strip.isNull())
      if (const Window main = Find(kTitle, kMain); main.id) strip = QRect(main.rect.topLeft(), QSize(kMain.width(), 40));
    if (!strip.isNull()) s.strip = Area(strip);
    if (s.logo <= 0.005 && !Find(kTitle, kSplash).id) break;  // it went while the grab was taken
    if (samples.empty() || s.logo < samples.front().logo) worst = card;
    samples.push_back(s);
  }
  ASSERT_GE(samples.size(), 3u) << "the splash stood long enough to be seen";
  ASSERT_FALSE(strip.isNull()) << "the main window came while the splash stood";
  ASSERT_TRUE(WaitUntil([&] { return Find(kTitle, kMain).id != 0; })) << app.Output();
  const QImage full = Area(strip);
  // A compositing manager draws its own back once it has windows to draw: there the main window's
  // first sample, mapped fully transparent, is the screen without it.
  QImage bareStrip = bare.copy(strip);
  if (GetParam() == Desk::Composited)
    for (const Sample& s : samples)
      if (!s.strip.isNull()) {
        bareStrip = s.strip;
        break;
      }

  double logoMin = 1, textMin = 1;
  int whiteCorners = 0;
  std::vector<double> opacity;
  for (const Sample& s : samples) {
    logoMin = std::min(logoMin, s.logo);
    textMin = std::min(textMin, s.text);
    if (qRed(s.corner) > 240 && qGreen(s.corner) > 240 && qBlue(s.corner) > 240) ++whiteCorners;
    if (!s.strip.isNull()) opacity.push_back(Opacity(s.strip, bareStrip, full));
  }
  std::string seq;
  for (double o : opacity) seq += std::to_string(std::lround(o * 100)) + " ";
  std::printf("[%s] splash samples %zu, card mark share min %.4f, text share min %.4f, white corners %d; "
              "main window opacity %% while the splash stood: %s\n",
              DeskName().c_str(), samples.size(), logoMin, textMin, whiteCorners, seq.c_str());

  EXPECT_GT(logoMin, 0.005) << "the card on top all along: " << Keep(worst, "splash");
  EXPECT_GT(textMin, 0.003) << "the scrolling text on the card";
  EXPECT_EQ(whiteCorners, 0) << "the white surround is see-through";
  ASSERT_FALSE(opacity.empty());
  int between = 0;
  for (double o : opacity)
    if (o > 0.15 && o < 0.85) ++between;
  for (size_t i = 1; i < opacity.size(); ++i)
    EXPECT_GE(opacity[i], opacity[i - 1] - 0.05) << "the main window only comes in, at sample " << i;
  EXPECT_LT(opacity.front(), 0.15) << "the main window is first out of sight";
  if (GetParam() == Desk::Composited) {
    EXPECT_GE(between, 2) << "the main window fades in";
  } else {
    EXPECT_EQ(between, 0) << "without a compositing manager the main window is shown whole or not at all";
  }
}

// The windows a user opens from the main window, found on the screen by their titles.
struct Opened {
  const char* name;
  std::function<bool(const Window& main)> open;
  QString title;
  bool otherThanMain;  // the title is the main window's own
  QRect part;          // the part to look at, in the window (empty: all of it)
  QPoint closeAt;  // where a user clicks to close it, in the window (none: the title bar's close)
};

TEST_P(ConverterScreen, WindowsArePaintedWhenTheyOpen) {
  if (GetParam() == Desk::Composited) GTEST_SKIP() << "the bare display and openbox show it";
  Program app("Fenwo.Zantiro");
  app.Settings({"Language=en"});
  testsupport::writeFile(app.Folder() + "/Quorvane.ico", "ico");  // offers the console question
  ASSERT_TRUE(app.Start());
  const Window main = MainAfterSplash();
  ASSERT_NE(main.id, 0u) << app.Output();
  const std::string clip = app.Folder() + "/clip.avi";
  std::filesystem::copy_file(testsupport::media("sparse-keys.avi"), clip);

  // The help menu opens at its caption button; once it is up the keys choose an item.
  auto helpMenu = [&app](const Window& m, const QStringList& keys) {
    return ClickAt(m.rect.topLeft() + QPoint(381, 14)) && WaitForMenu(app.Pid()).id && Keys(keys);
  };
  const std::vector<Opened> cases = {
      {"about", [&](const Window& m) { return helpMenu(m, {"Up", "Up", "Return"}); }, "About Fenwo\\.Zantiro$", false, {}, {}},
      {"donation", [&](const Window& m) { return helpMenu(m, {"Down", "Return"}); }, "^ Donation$", false, {}, {}},
      {"console question", [](const Window& m) { return ClickAt(m.rect.topLeft() + QPoint(230, 294), 3); }, kTitle, true,
       {}, QPoint(136, 52)},
      // All but the preview box, which shows the engine's picture once a source plays.
      {"options", [&](const Window& m) { return ChooseSource(m, clip) && ClickAt(m.rect.topLeft() + QPoint(76, 225)); },
       " - Options$", false,
       QRect(424, 0, 216, 420), {}},
  };
  for (const Opened& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.open(main)) << "the menu, the dialog or xdotool; on the screen:" << OnScreen() << "\n"
                              << Keep(Screen(), c.name);
    Window w;
    ASSERT_TRUE(WaitUntil([&] {
      for (const Window& found : Windows(c.title))
        if (!c.otherThanMain || (found.rect.size() != kMain && found.rect.size() != kSplash)) w = found;
      return w.id != 0;
    })) << "the window opens; on the screen:" << OnScreen() << "\n" << Keep(Screen(), c.name);
    const QRect part = c.part.isEmpty() ? w.rect : c.part.translated(w.rect.topLeft()).intersected(w.rect);
    const QImage first = Area(part);
    QImage now = first;
    const bool painted = WaitUntil([&] {
      now = Area(part);
      return BlackShare(now) < 0.2;
    }, 3000);
    std::printf("[%s] %s %dx%d: black share %.3f at its first grab, %.3f after; mean %.1f\n", DeskName().c_str(),
                c.name, w.rect.width(), w.rect.height(), BlackShare(first), BlackShare(now), Mean(now));
    EXPECT_TRUE(painted) << "painted, not black: " << Keep(now, c.name);
    if (c.closeAt.isNull()) win::x11::PostClose(w.id);
    else ASSERT_TRUE(ClickAt(Place(w.id).topLeft() + c.closeAt));
    ASSERT_TRUE(WaitUntil([&] {
      for (const Window& found : Windows(c.title))
        if (found.id == w.id) return false;
      return true;
    })) << "the window closes; on the screen:" << OnScreen();
  }
}

INSTANTIATE_TEST_SUITE_P(Desktops, ConverterScreen, ::testing::Values(Desk::Bare, Desk::Openbox, Desk::Composited),
                         DeskParamName);

}  // namespace
