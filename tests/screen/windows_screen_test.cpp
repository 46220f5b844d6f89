// labels: e2e x11
// The conversion program's windows as a user meets them the second and third time, on a bare X
// display and under openbox (the big screen also with a compositing manager): the big-screen
// player plays again after each close; a drag by the body moves a borderless window with the
// pointer while the button is held, keeping the spot that was pressed under the pointer, and
// stops at the release; the options window opens over the main window and stays above it; About
// opens centred on the main window, also the second time; a message box after the developer
// console came centres on the main window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/ZantiroOnScreen.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;

const QSize kOptions(640, 420);
const QString kOptionsTitle = " - Options$";
const QString kPlayerTitle = "^ Fenwo\\.Zantiro - Player  \\( ";
const QString kAboutTitle = "About Fenwo\\.Zantiro$";
constexpr QRgb kColourKey = 0x030201;  // the picture box the engine draws into, before it draws

QString N(int v) { return QString::number(v); }
std::string Text(QRect r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}
std::string Text(QPoint p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); }

// The window of that title, other than the main window (an id of 0 when none shows).
Window Other(const QString& title, QSize size = {}) {
  for (const Window& w : Windows(title))
    if (w.rect.size() != kMainSize && w.rect.size() != kSplashSize && (size.isEmpty() || w.rect.size() == size))
      return w;
  return {};
}

bool Gone(unsigned long id, const QString& title) {
  for (const Window& w : Windows(title))
    if (w.id == id) return false;
  return true;
}

// The window that X says this one is transient for (0 for none).
unsigned long TransientFor(unsigned long id) {
  QProcess p;
  p.start("xprop", {"-id", N(static_cast<int>(id)), "WM_TRANSIENT_FOR"});
  if (!p.waitForFinished(10000)) return 0;
  const auto m = QRegularExpression("window id # (0x[0-9a-f]+)").match(QString::fromUtf8(p.readAll()));
  return m.hasMatch() ? m.captured(1).toULong(nullptr, 16) : 0;
}

// A window's outer rectangle: its client area and the frame a window manager put around it.
QRect Outer(const Window& w) {
  const QRect inner = Place(w.id);
  QProcess p;
  p.start("xprop", {"-id", N(static_cast<int>(w.id)), "_NET_FRAME_EXTENTS"});
  if (!p.waitForFinished(10000)) return inner;
  const QString said = QString::fromUtf8(p.readAll());
  const auto m = QRegularExpression(R"(= (\d+), (\d+), (\d+), (\d+))").match(said);
  if (!m.hasMatch()) return inner;
  return inner.marginsAdded(QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(),
                                     m.captured(4).toInt()));
}

// Waits until the window, frame and all, stands centred on that rectangle (a window manager may
// place it a moment after it is mapped); answers how far its centre is off at the end.
QPoint CentreOff(const Window& w, const QRect& on, QRect& outer) {
  QPoint off;
  WaitUntil([&] {
    outer = Outer(w);
    off = outer.center() - on.center();
    return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
  }, 3000);
  return off;
}

// Watches a part of the screen for that long: the share of its pixels that stayed as they were
// in the worst grab.
double StaysFor(const QRect& r, int ms) {
  const QImage before = Area(r);
  double worst = 1;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QTest::qWait(50);
    const QImage now = Area(r);
    int same = 0;
    for (int y = 0; y < now.height(); ++y)
      for (int x = 0; x < now.width(); ++x) same += now.pixel(x, y) == before.pixel(x, y);
    worst = std::min(worst, double(same) / (now.width() * now.height()));
  }
  return worst;
}

class Windows_ : public DesktopTest {
 protected:
  // The program in English, its main window up, a 10-second clip beside it.
  void StartProgram(bool console = false) {
    app_.Settings({"Language=en"});
    if (console) testsupport::writeFile(app_.Folder() + "/Quorvane.ico", "ico");
    ASSERT_TRUE(app_.Start());
    main_ = MainAfterSplash();
    ASSERT_NE(main_.id, 0u) << "the main window after the splash: " << Keep(Screen(), "windows-main") << app_.Output();
    clip_ = app_.Folder() + "/clip.avi";
    std::filesystem::copy_file(testsupport::media("sparse-keys.avi"), clip_);
  }
  // The options window opened with its preview playing in it.
  Window OpenOptions() {
    if (!ChooseSource(main_, clip_)) {
      ADD_FAILURE() << "the source was chosen: " << Keep(Screen(), "windows-source");
      return {};
    }
    main_.rect = Place(main_.id);
    if (!ClickAt(main_.rect.topLeft() + QPoint(76, 225))) return {};
    Window w;
    if (!WaitUntil([&] { return (w = Other(kOptionsTitle, kOptions)).id != 0; }))
      ADD_FAILURE() << "the options window opens: " << Keep(Screen(), "windows-options");
    // Shown whole: its OK button (the skin's light face) painted, the preview started.
    if (w.id && !WaitUntil([&] { return BlackShare(Area(Place(w.id))) < 0.5; }))
      ADD_FAILURE() << "the options window is painted: " << Keep(Screen(), "windows-options-paint");
    return w;
  }

  Program app_{"Fenwo.Zantiro"};
  Window main_;
  std::string clip_;
};

// ---- the big screen ----

class BigScreen : public Windows_ {};

// The video in the player window: its picture box no longer shows the key colour, and the picture
// changes from one grab to the next.
bool Playing(const Window& player, std::string& seen) {
  QImage last;
  int changes = 0;
  const bool ok = WaitUntil([&] {
    const QImage now = Area(Place(player.id));
    const double key = ColourShare(now, kColourKey, 2);
    if (!last.isNull() && now != last && key < 0.5) ++changes;
    last = now;
    seen = "key colour share " + std::to_string(key) + ", changes " + std::to_string(changes);
    return changes >= 3;
  }, 15000);
  return ok;
}

TEST_P(BigScreen, PlaysAgainAfterEachClose) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  const Window options = OpenOptions();
  ASSERT_NE(options.id, 0u);
  const QPoint toBig = options.rect.topLeft() + QPoint(340, 366);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(ClickAt(toBig));
    Window player;
    ASSERT_TRUE(WaitUntil([&] { return (player = Other(kPlayerTitle)).id != 0; }))
        << "the player window opens: " << Keep(Screen(), "bigscreen-open");
    std::string seen;
    EXPECT_TRUE(Playing(player, seen)) << "the video plays in it: " << seen << " "
                                       << Keep(Area(Place(player.id)), "bigscreen-play");
    // It stays: watched for a second and a half.
    bool stays = true;
    QElapsedTimer clock;
    clock.start();
    while (stays && clock.elapsed() < 1500) {
      QTest::qWait(100);
      stays = !Gone(player.id, kPlayerTitle);
    }
    std::printf("[%s] round %d: player %s, %s, there all of 1.5 s: %d\n", DeskName().c_str(), round,
                Text(Place(player.id)).c_str(), seen.c_str(), stays);
    ASSERT_TRUE(stays) << "the player stays open: " << Keep(Screen(), "bigscreen-stay");
    win::x11::PostClose(player.id);  // what its close box sends
    ASSERT_TRUE(WaitUntil([&] { return Gone(player.id, kPlayerTitle); })) << "the player closes";
    // Back in the embedded preview: the video plays in the options window's picture.
    const QRect picture(Place(options.id).topLeft() + QPoint(12, 12), QSize(400, 304));
    QImage last = Area(picture);
    int changes = 0;
    EXPECT_TRUE(WaitUntil([&] {
      const QImage now = Area(picture);
      if (now != last) ++changes;
      last = now;
      return changes >= 3;
    })) << "the preview goes on in the options window: " << Keep(Screen(), "bigscreen-back");
    EXPECT_EQ(Other(kPlayerTitle).id, 0u) << "no player window comes back by itself";
  }
}

INSTANTIATE_TEST_SUITE_P(Desktops, BigScreen, ::testing::Values(Desk::Bare, Desk::Openbox, Desk::Composited),
                         DeskParamName);

// ---- drag, owned windows, placement ----

class Placement : public Windows_ {};

// Presses at a point of the window, moves the pointer by steps with the button held, checking at
// each step that the window keeps the pressed spot under the pointer, releases, moves on and
// checks that the window stayed.
void DragBy(const Window& w, QPoint at, QPoint by, const char* name) {
  const QRect start = Place(w.id);
  const QPoint press = start.topLeft() + at;
  ASSERT_TRUE(Xdo({"mousemove", N(press.x()), N(press.y()), "sleep", "0.2", "mousedown", "1"}));
  QRect now;
  for (const QPoint step : {by / 4, by / 2, by}) {
    const QPoint to = press + step;
    ASSERT_TRUE(Xdo({"mousemove", N(to.x()), N(to.y())}));
    const bool follows = WaitUntil([&] { return (now = Place(w.id)).topLeft() == start.topLeft() + step; }, 5000);
    std::printf("  %s: pointer moved by %s with the button held: window at %s (from %s, offset %s)\n", name,
                Text(step).c_str(), Text(now.topLeft()).c_str(), Text(start.topLeft()).c_str(),
                Text(to - now.topLeft()).c_str());
    EXPECT_TRUE(follows) << name << " follows the pointer, pressed spot kept: at " << Text(now) << ", pointer "
                         << Text(to);
  }
  ASSERT_TRUE(Xdo({"mouseup", "1"}));
  const QRect released = start.translated(by);
  const QPoint away = press + QPoint(200, 120);
  ASSERT_TRUE(Xdo({"sleep", "0.3", "mousemove", N(away.x()), N(away.y()), "sleep", "0.3", "mousemove",
                   N(away.x() + 40), N(away.y() + 10), "sleep", "0.5"}));
  now = Place(w.id);
  std::printf("  %s: after the release and more moves: window at %s\n", name, Text(now.topLeft()).c_str());
  EXPECT_EQ(now.topLeft(), released.topLeft()) << name << " stays where it was released";
}

TEST_P(Placement, DragsFollowThePointerUntilTheRelease) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  std::printf("[%s]\n", DeskName().c_str());
  // The free strip at the bottom of the main window; the range caption of the options window.
  DragBy(main_, QPoint(230, 294), QPoint(120, 60), "main window");
  main_.rect = Place(main_.id);
  const Window options = OpenOptions();
  ASSERT_NE(options.id, 0u);
  DragBy(options, QPoint(440, 24), QPoint(120, 60), "options window");
}

TEST_P(Placement, OptionsOpenOverTheMainWindowAndStayAbove) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  const Window options = OpenOptions();
  ASSERT_NE(options.id, 0u);
  QRect outer;
  const QPoint off = CentreOff(options, main_.rect, outer);
  std::printf("[%s] main %s, options %s: centre off by %s, transient for %#lx (main %#lx)\n", DeskName().c_str(),
              Text(main_.rect).c_str(), Text(outer).c_str(), Text(off).c_str(), TransientFor(options.id), main_.id);
  EXPECT_LE(std::abs(off.x()), 1) << "centred on the main window";
  EXPECT_LE(std::abs(off.y()), 1) << "centred on the main window";
  EXPECT_EQ(TransientFor(options.id), main_.id) << "transient for the main window";

  // The user moves it so that its OK and Cancel lie over the main window, then clicks on the
  // (disabled) main window where it shows beside the options window.
  const QPoint aside = main_.rect.topLeft() + QPoint(-310, -262) - options.rect.topLeft();
  ASSERT_NO_FATAL_FAILURE(DragBy(options, QPoint(440, 24), aside, "options window"));
  const QRect moved = Place(options.id);
  const QRect buttons(moved.topLeft() + QPoint(424, 370), QSize(216, 50));
  ASSERT_TRUE(main_.rect.contains(buttons)) << Text(buttons) << " over " << Text(main_.rect);
  const QPoint click = main_.rect.topLeft() + QPoint(8, main_.rect.height() - 6);
  ASSERT_FALSE(moved.contains(click));
  ASSERT_TRUE(ClickAt(click));
  const double same = StaysFor(buttons, 1000);
  std::printf("[%s] for 1 s after a click on the main window the options window's OK and Cancel stayed %.1f %% the same\n",
              DeskName().c_str(), same * 100);
  EXPECT_GT(same, 0.98) << "the options window stays above: " << Keep(Screen(), "options-above");
}

TEST_P(Placement, AboutOpensCentredOnTheMainWindowEachTime) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const QRect below(main_.rect.topLeft() + QPoint(381, 30), QSize(200, 200));
    const QImage menu = Area(below);
    ASSERT_TRUE(ClickAt(main_.rect.topLeft() + QPoint(381, 14)));
    ASSERT_TRUE(WaitForChange(below, menu)) << "the help menu opens";
    ASSERT_TRUE(Keys({"Up", "Up", "Return"}));
    Window about;
    ASSERT_TRUE(WaitUntil([&] { return (about = Other(kAboutTitle)).id != 0; }))
        << "About opens: " << Keep(Screen(), "about");
    QRect outer;
    const QPoint off = CentreOff(about, main_.rect, outer);
    std::printf("[%s] About %d at %s (frame and all) over the main window %s: centre off by %s\n", DeskName().c_str(),
                round, Text(outer).c_str(), Text(main_.rect).c_str(), Text(off).c_str());
    EXPECT_LE(std::abs(off.x()), 1) << "centred across";
    EXPECT_LE(std::abs(off.y()), 1) << "centred down";
    win::x11::PostClose(about.id);
    ASSERT_TRUE(WaitUntil([&] { return Gone(about.id, kAboutTitle); })) << "About closes";
    // The user moves the main window before the next time.
    ASSERT_NO_FATAL_FAILURE(DragBy(main_, QPoint(230, 294), QPoint(-200, -150), "main window"));
    main_.rect = Place(main_.id);
  }
}

TEST_P(Placement, MessageBoxAfterTheConsoleCentresOnTheMainWindow) {
  ASSERT_NO_FATAL_FAILURE(StartProgram(true));
  // The console question (a right click on the main window), answered Yes.
  ASSERT_TRUE(ClickAt(main_.rect.topLeft() + QPoint(230, 294), 3));
  Window question;
  ASSERT_TRUE(WaitUntil([&] { return (question = Other(kMainTitle)).id != 0; })) << Keep(Screen(), "console-question");
  ASSERT_TRUE(Keys({"Return"}));
  ASSERT_TRUE(WaitUntil([&] { return Gone(question.id, kMainTitle) || Other(kMainTitle).id != question.id; }));
  Window console;
  ASSERT_TRUE(WaitUntil([&] { return (console = Other("^Form1$")).id != 0; }))
      << "the console opens: " << Keep(Screen(), "console");
  // Options without a source: its message box.
  ASSERT_TRUE(ClickAt(main_.rect.topLeft() + QPoint(76, 225)));
  Window box;
  ASSERT_TRUE(WaitUntil([&] { return (box = Other(kMainTitle)).id != 0; })) << Keep(Screen(), "console-box");
  QRect outer;
  const QPoint off = CentreOff(box, main_.rect, outer);
  std::printf("[%s] message box %s (frame and all), main window %s, console %s: centre off the main window's by %s\n",
              DeskName().c_str(), Text(outer).c_str(), Text(main_.rect).c_str(), Text(console.rect).c_str(),
              Text(off).c_str());
  EXPECT_LE(std::abs(off.x()), 1) << "centred on the main window";
  EXPECT_LE(std::abs(off.y()), 1) << "centred on the main window";
  ASSERT_TRUE(Keys({"Return"}));
}

INSTANTIATE_TEST_SUITE_P(Desktops, Placement, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

}  // namespace
