// labels: engine gui x11
// What reaches the screen of the conversion program's progress bar and menus: the bar's width
// follows the percentage of a real run, separators are plain lines, the language menu ticks the
// language in use; with no window manager and with openbox.
#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "converter/frmMain.h"
#include "foundation/mdlFenwoZantiro.h"
#include "runtime/numbers.h"
#include "runtime/qt.h"
#include "support/MainWindowFixture.h"
#include "support/WindowManager.h"

namespace {

QRgb rgb(QRgb p) { return p & 0xFFFFFF; }

// The screen's pixels in a rectangle of global coordinates.
QImage Screen(const QRect& r) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}
QRect Global(QWidget* w, QRect r) { return r.translated(w->mapToGlobal(QPoint(0, 0))); }
QRect Global(QWidget* w) { return Global(w, w->rect()); }

// The screen once it stands still (two grabs alike, a paint apart).
QImage Settled(const QRect& r) {
  QImage before = Screen(r), now;
  (void)QTest::qWaitFor([&] {
    QTest::qWait(60);
    now = Screen(r);
    const bool still = now == before;
    before = now;
    return still;
  }, 5000);
  return now;
}

class ScreenTexts : public testsupport::MainWindow, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) wm_.Start();
    if (IsSkipped() || HasFatalFailure()) return;
    MainWindow::SetUp();
    QWidget* top = w().Widget()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    // Where the window manager puts the window, once it stays there.
    QPoint at = top->mapToGlobal(QPoint(0, 0));
    (void)QTest::qWaitFor([&] {
      QTest::qWait(100);
      const QPoint now = top->mapToGlobal(QPoint(0, 0));
      const bool still = now == at;
      at = now;
      return still && top->isActiveWindow();
    }, 5000);
  }
  testsupport::WindowManager wm_;
  QWidget* surface() { return w().Widget(); }
};

// The bar's pixels along the progress box's second row: how far the bar reaches from the left.
constexpr QRgb kBar = 0x3EBD84;  // shpProgress's fill colour (&H0084BD3E&)
int BarWidth(const QImage& box) {
  int n = 0;
  for (int x = 0; x < box.width(); ++x)
    if (rgb(box.pixel(x, 2)) == kBar) n = x + 1;
  return n;
}

TEST_P(ScreenTexts, TheBarGrowsWithThePercentage) {
  chooseFile(copyMedia("sparse-keys.avi"), 0);
  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}};
  std::vector<std::pair<std::string, int>> seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!w().cmdEncode(1).Visible()) return;
    QWidget* box = w().picProgress.Widget();
    const std::string caption = w().lblProgress.Caption();
    seen.emplace_back(caption, BarWidth(Screen(Global(box))));
  });
  watch.start(20);
  encode();
  watch.stop();
  // Whole percentages while the engine runs: the bar reaches p hundredths of the 300-pixel box.
  std::set<int> matched;
  for (const auto& [caption, width] : seen) {
    const int p = static_cast<int>(vb::Val(caption.substr(caption.find(' ') + 1)));
    if (p > 0 && p < 100 && std::abs(width - 3 * p) <= 3) matched.insert(p);
  }
  EXPECT_GE(matched.size(), 2u) << "percentages whose bar was seen at its width";
  // Idle again: no bar.
  EXPECT_EQ(BarWidth(Settled(Global(w().picProgress.Widget()))), 0);
}

// Real input through the X server: xdotool with these words, not waited for (a menu the click
// opens runs its own loop until it closes).
void Xdo(const QStringList& words) { QProcess::startDetached("xdotool", words); }
// The pointer comes from elsewhere, as a hand brings it (a button hears it enter).
void ClickAt(QPoint global) {
  Xdo({"mousemove", QString::number(global.x() - 30), QString::number(global.y() - 30), "sleep", "0.1", "mousemove", QString::number(global.x()), QString::number(global.y()), "sleep", "0.2", "click", "1"});
}

// Opens a menu with a real click on a control, runs look() on it once it stands on the screen,
// then closes it (unless look() picked an entry).
template <class F>
void WithMenu(QWidget* opener, vb::Menu& menu, F look) {
  QMenu* m = menu.Popup();
  ASSERT_NE(m, nullptr);
  bool done = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done || !m->isVisible()) return;
    done = true;
    Settled(Global(m));
    const bool picked = look(m);
    if (!picked) m->close();
  });
  poll.start(50);
  ClickAt(opener->mapToGlobal(opener->rect().center()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return done && !m->isVisible(); }, 10000)) << "the menu opens and closes";
}

// The menu's frame and an entry's highlight rim, left out where entries are looked at.
constexpr int kFrame = 3;

// The pixels of a menu entry's row that differ from the row's own back colour (taken at its right
// end), in a part of the row.
QImage RowShot(QMenu* m, QAction* a) { return Screen(Global(m, m->actionGeometry(a))); }
QRgb RowBack(const QImage& row) { return rgb(row.pixel(row.width() - 2, row.height() / 2)); }
int InkIn(const QImage& row, int left, int right) {
  int n = 0;
  const QRgb back = RowBack(row);
  for (int y = kFrame; y < row.height() - kFrame; ++y)
    for (int x = left; x < right && x < row.width(); ++x)
      if (rgb(row.pixel(x, y)) != back) ++n;
  return n;
}

// A separator is one plain line: the columns where it draws anything make one unbroken run
// (a "-" before the line would stand apart from it). The menu's frame at both ends is left out.
int Runs(const QImage& row) {
  const QRgb back = RowBack(row);
  int runs = 0;
  bool in = false;
  for (int x = kFrame; x < row.width() - kFrame; ++x) {
    bool drawn = false;
    for (int y = 0; y < row.height(); ++y) drawn = drawn || rgb(row.pixel(x, y)) != back;
    if (drawn && !in) ++runs;
    in = drawn;
  }
  return runs;
}

TEST_P(ScreenTexts, SeparatorsArePlainLines) {
  struct Case {
    QWidget* opener;
    vb::Menu& menu;
    int separators;
  };
  for (const Case& c : {Case{w().lblButton(1).Widget(), w().mnuMainHelp, 2},
                        Case{w().cmdInput.Widget(), w().mnuSrcType, 2}}) {
    SCOPED_TRACE(c.menu.Caption());
    WithMenu(c.opener, c.menu, [&](QMenu* m) {
      int seen = 0;
      for (QAction* a : m->actions())
        if (a->isSeparator() && a->isVisible()) {
          ++seen;
          const QImage row = RowShot(m, a);
          EXPECT_EQ(Runs(row), 1) << "separator " << seen << " at " << m->actionGeometry(a).y();
        }
      EXPECT_EQ(seen, c.separators);
      return false;
    });
  }
}

// The language menu ticks the language in use and leaves the others without a mark, after a
// switch made with a click on the menu.
TEST_P(ScreenTexts, TheLanguageMenuTicksTheLanguageInUse) {
  vb::Menu* entries[] = {&w().mnuLngEN, &w().mnuLngTW, &w().mnuLngGB};
  auto ticks = [&](QMenu* m) {
    std::vector<bool> t;
    for (vb::Menu* e : entries) {
      const QImage row = RowShot(m, e->Action());
      // The tick column: the row's left part, as wide as the row is high.
      t.push_back(InkIn(row, kFrame, row.height()) > 0);
    }
    return t;
  };
  QWidget* button = w().lblButton(0).Widget();
  WithMenu(button, w().mnuLanguage, [&](QMenu* m) {
    EXPECT_EQ(ticks(m), (std::vector<bool>{true, false, false})) << "English in use";
    const QRect gb = Global(m, m->actionGeometry(w().mnuLngGB.Action()));
    ClickAt(gb.center());
    return true;
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return w().mnuLanguage.Tag() == "gb"; }, 5000));
  WithMenu(button, w().mnuLanguage, [&](QMenu* m) {
    EXPECT_EQ(ticks(m), (std::vector<bool>{false, false, true})) << "Simplified Chinese in use";
    return false;
  });
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ScreenTexts, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "openbox" : "none"; });

}  // namespace
