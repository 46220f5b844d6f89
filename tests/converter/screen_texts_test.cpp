// labels: engine gui x11
// What reaches the screen of the conversion program's progress bar, texts and menus: the bar's
// width follows the percentage of a real run, each text stays whole within its frame in the three
// languages and legible in Chinese (the options window's too), a message box's buttons speak the
// program's language, separators are plain lines, the language menu ticks the language in use;
// with no window manager and with openbox.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "foundation/frmAbout.h"
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
    // The splash stands over the window for its first seconds, and the window shows at its end.
    ASSERT_TRUE(QTest::qWaitFor([] { auto* s = zantiro::frmSplash::Made(); return !s || !s->Loaded(); }, 10000));
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

// A label's text as it is drawn now.
struct Text {
  std::string caption;
  QFont font;
  QRgb fore;
};
Text TextOf(vb::Label& l) {
  return {l.Caption(), l.Widget()->font(), rgb(l.Widget()->palette().color(QPalette::WindowText).rgb())};
}

// Where a text's ink lies on the screen: the pixels nearer its fore colour than half the way to
// the colour behind it, in a shot taken at `at` (global coordinates).
int Distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}
QRect InkOf(QRgb fore, QRgb back, const QImage& shot, QRect at) {
  QRect ink;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (2 * Distance(rgb(shot.pixel(x, y)), fore) < Distance(fore, back)) ink |= QRect(at.x() + x, at.y() + y, 1, 1);
  return ink;
}
// The label's columns over its rows and the frame's, with a margin for ink that spills.
QRect Around(QWidget* label, QRect frame) {
  const QRect l = Global(label);
  const int top = std::min(l.top(), frame.top()) - 2, bottom = std::max(l.bottom(), frame.bottom()) + 2;
  return QRect(l.x(), top, l.width(), bottom - top + 1);
}

// A text within its frame: every ink row inside the frame's rows, none on the rows where the
// label's visible part ends (ink cut there) and, for one line, the line whole across.
void ExpectWithin(const Text& t, QRect shown, QRgb back, QRect frame, const QImage& shot, QRect at) {
  const QRect ink = InkOf(t.fore, back, shot, at);
  SCOPED_TRACE(t.caption);
  ASSERT_FALSE(ink.isEmpty()) << "the text shows";
  std::ostringstream rows;
  rows << "ink rows " << ink.top() << "-" << ink.bottom() << ", frame " << frame.top() << "-" << frame.bottom()
       << ", label " << shown.top() << "-" << shown.bottom();
  EXPECT_GE(ink.top(), frame.top()) << rows.str();
  EXPECT_LE(ink.bottom(), frame.bottom()) << rows.str();
  EXPECT_GT(ink.top(), shown.top()) << rows.str();
  EXPECT_LT(ink.bottom(), shown.bottom()) << rows.str();
  const int across = QFontMetrics(t.font).horizontalAdvance(QString::fromStdString(t.caption));
  if (t.caption.find('\n') != std::string::npos || across > shown.width()) return;  // more than one line
  EXPECT_GE(ink.width(), across - 12) << "ink columns " << ink.width();
}
// The heights of a text's ink lines: runs of rows holding ink, apart by rows without any.
std::vector<int> LineHeights(const Text& t, QRgb back, const QImage& shot) {
  std::vector<int> heights;
  int run = 0;
  for (int y = 0; y <= shot.height(); ++y) {
    bool ink = false;
    for (int x = 0; y < shot.height() && x < shot.width() && !ink; ++x)
      ink = 2 * Distance(rgb(shot.pixel(x, y)), t.fore) < Distance(t.fore, back);
    if (ink) ++run;
    else if (run > 0) heights.push_back(std::exchange(run, 0));
  }
  return heights;
}
// Chinese lines are legible: in a text with Chinese characters, the tallest ink line at least 12
// rows high (a Chinese one) and none below 9 (a line of digits of the same 12-pixel face).
void ExpectLegible(const Text& t, QRgb back, const QImage& shot) {
  if (std::all_of(t.caption.begin(), t.caption.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return;
  const std::vector<int> heights = LineHeights(t, back, shot);
  std::ostringstream seen;
  for (int h : heights) seen << h << " ";
  seen << "in " << QFontInfo(t.font).family().toStdString() << " " << QFontInfo(t.font).pixelSize() << " px";
  SCOPED_TRACE(t.caption);
  ASSERT_FALSE(heights.empty());
  EXPECT_GE(*std::max_element(heights.begin(), heights.end()), 12) << "ink line heights " << seen.str();
  EXPECT_GE(*std::min_element(heights.begin(), heights.end()), 9) << "ink line heights " << seen.str();
}

// The part of a label its window shows.
QRect Shown(QWidget* label) { return Global(label) & Global(label->parentWidget()); }
void ExpectWithin(vb::Label& l, QRgb back, QRect frame) {
  const QRect at = Around(l.Widget(), frame);
  const QImage shot = Settled(at);
  ExpectWithin(TextOf(l), Shown(l.Widget()), back, frame, shot, at);
  ExpectLegible(TextOf(l), back, shot);
}

// The run of rows through (x, y) on the screen that keep that pixel's colour: a field's fill.
QRect FillAt(int x, int y) {
  const QImage col = Screen(QRect(x, y - 40, 1, 81));
  const QRgb c = rgb(col.pixel(0, 40));
  int top = 40, bottom = 40;
  while (top > 0 && rgb(col.pixel(0, top - 1)) == c) --top;
  while (bottom < 80 && rgb(col.pixel(0, bottom + 1)) == c) ++bottom;
  return QRect(x, y - 40 + top, 1, bottom - top + 1);
}
QRgb PixelAt(QPoint p) { return rgb(Screen(QRect(p, QSize(1, 1))).pixel(0, 0)); }

// The bar's pixels along the progress box's second row: how far the bar reaches from the left.
constexpr QRgb kBar = 0x1F7A52;  // shpProgress's fill colour (&H00527A1F&)
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
  std::function<void()> busy;
  std::string last;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!w().cmdEncode(1).Visible()) return;
    QWidget* box = w().picProgress.Widget();
    const std::string caption = w().lblProgress.Caption();
    const QImage shot = Screen(Global(box));
    seen.emplace_back(caption, BarWidth(shot));
    // The busy look's text, once it stands (the same caption a tick apart), within the box.
    if (!busy && caption == last && vb::Val(caption.substr(caption.find(' ') + 1)) > 0) {
      busy = [=, t = TextOf(w().lblProgress), shown = Shown(w().lblProgress.Widget())] {
        ExpectWithin(t, shown, rgb(shot.pixel(shot.width() - 3, 3)), Global(box).adjusted(0, 1, 0, -1), shot, Global(box));
      };
    }
    last = caption;
  });
  watch.start(0);  // every pass of the run's event loop: the GIF is written in well under a second
  encode();
  watch.stop();
  ASSERT_TRUE(busy) << "the progress text was seen during the run";
  busy();
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

// Each text within its frame in the three languages: the summary lines in the field beside
// Options, the progress text in its box, the hover banner's line, the About window's rights line.
TEST_P(ScreenTexts, TextsStayWithinTheirFrames) {
  zantiro::frmMain& m = w();
  for (vb::Menu* language : {&m.mnuLngEN, &m.mnuLngGB, &m.mnuLngTW}) {
    language->Click();
    SCOPED_TRACE(language->Caption());
    QWidget* note = m.lblEncodeNote.Widget();
    Settled(Global(note));
    const QPoint field = note->mapToGlobal(QPoint(-4, note->height() / 2));
    ExpectWithin(m.lblEncodeNote, PixelAt(field), FillAt(field.x(), field.y()));

    QWidget* box = m.picProgress.Widget();
    ExpectWithin(m.lblProgress, PixelAt(box->mapToGlobal(QPoint(3, 3))), Global(box).adjusted(0, 1, 0, -1));

    m.picPopSay.Visible(true);
    QWidget* banner = m.picPopSay.Widget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return banner->isVisible(); }, 5000));
    Settled(Global(banner));
    const QPoint fill = banner->mapToGlobal(QPoint(30, banner->height() / 2));
    ExpectWithin(m.lblSay, PixelAt(fill), FillAt(fill.x(), fill.y()));
    m.picPopSay.Visible(false);

    bool seen = false;
    QTimer::singleShot(0, [&] {
      frmAbout& a = frmAbout::Default();
      QWidget* rights = a.lblCopyright.Widget();
      seen = QTest::qWaitForWindowExposed(rights->window());
      const QRgb back = rgb(rights->palette().color(QPalette::Window).rgb());
      if (seen) ExpectWithin(a.lblCopyright, back, Global(rights));
      // Each link apart from its lead-in.
      for (auto [lead, link] : {std::pair{&a.lblWebTxt, &a.lblHomepage}, std::pair{&a.lblMailTxt, &a.lblMail}}) {
        const QRect leadAt = Global(lead->Widget()), linkAt = Global(link->Widget());
        const QRect leadInk = InkOf(TextOf(*lead).fore, back, Settled(leadAt), leadAt);
        const QRect linkInk = InkOf(TextOf(*link).fore, back, Settled(linkAt), linkAt);
        EXPECT_GE(linkInk.left() - leadInk.right(), 3) << lead->Caption() << " and " << link->Caption();
      }
      vb::Unload(a);
    });
    m.mnuAbout.Click();  // modal: returns when the window is unloaded
    EXPECT_TRUE(seen) << "the About window shows";
  }
}

// The options window's texts within their frames at a legible size in Chinese, the mark summary
// with a start and an end mark among them (two lines in the settings panel).
TEST_P(ScreenTexts, OptionsTextsStayWithinTheirFrames) {
  chooseFile(copyMedia("sparse-keys.avi"), 0);
  zantiro::frmMain& m = w();
  zantiro::frmOptions& o = zantiro::frmOptions::Default();
  for (vb::Menu* language : {&m.mnuLngGB, &m.mnuLngTW}) {
    language->Click();
    SCOPED_TRACE(language->Caption());
    m.cmdOpt.Click();
    QWidget* panel = o.lblScopeNote.Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel->window()));
    o.lblMark(0).Tag("1");
    o.lblMark(1).Tag("3.5");
    o.SetScopeNote();
    // The settings panel's fill, right of its labels.
    const QRgb back = PixelAt(panel->mapToGlobal(QPoint(panel->width() + 4, panel->height() / 2)));
    for (vb::Label* l : {&o.lblScopeStr, &o.lblScopeNote, &o.lblSizeStr, &o.lblFpsStr, &o.lblCropStr, &o.lblBrightness,
                         &o.lblContrast, &o.lblHue, &o.lblSaturation})
      ExpectWithin(*l, back, Global(l->Widget()));
    o.cmdOkCancel(1).Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->window()->isVisible(); }, 5000)) << "Cancel ends the visit";
  }
}

// A message box says its buttons in the program's language, as its text names them: the
// question of the help menu's last entry in Traditional Chinese, its OK button reading 確定, on the
// screen as a render of 確定 in the button's font is.
TEST_P(ScreenTexts, MessageBoxButtonsSpeakTheProgramsLanguage) {
  w().mnuLngTW.Click();
  vb::SetBoxHook({});
  bool seen = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (seen || !box || !box->isVisible()) return;
    seen = true;
    poll.stop();
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    EXPECT_NE(box->text().indexOf(QString::fromUtf8("「確定」")), -1) << box->text().toStdString();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text().remove('&'), QString::fromUtf8("確定"));
    const QImage shot = Settled(Global(ok));
    // Grey ink darker than the button's face: its caption (the coloured icon beside it is not).
    const QRgb face = rgb(shot.pixel(4, shot.height() / 2));
    auto inked = [face](QRgb p) {
      const int hi = std::max({qRed(p), qGreen(p), qBlue(p)}), lo = std::min({qRed(p), qGreen(p), qBlue(p)});
      return qGray(p) < qGray(face) - 90 && hi - lo < 16;
    };
    // The ink right of column `from`.
    auto caption = [&](const QImage& img, int from) {
      QRect r;
      for (int y = 3; y < img.height() - 3; ++y)
        for (int x = std::max(from, 3); x < img.width() - 3; ++x)
          if (inked(img.pixel(x, y))) r |= QRect(x, y, 1, 1);
      return r;
    };
    auto render = [&](const QString& text) {
      QImage img(shot.size(), QImage::Format_RGB32);
      img.fill(face);
      QPainter p(&img);
      QFont font = ok->font();
      font.setPixelSize(QFontInfo(ok->font()).pixelSize());  // as large as on the screen
      p.setFont(font);
      p.setPen(ok->palette().color(QPalette::ButtonText));
      p.drawText(img.rect(), Qt::AlignCenter, text);
      p.end();
      return caption(img, 0).size();
    };
    // The style centres the icon and the caption together, four pixels apart: the caption's ink
    // stands right of the icon.
    const int icon = ok->iconSize().width(), across = QFontMetrics(ok->font()).horizontalAdvance(ok->text());
    const QRect ink = caption(shot, (shot.width() - icon - 4 - across) / 2 + icon + 1);
    const QSize chinese = render(QString::fromUtf8("確定")), english = render("OK");
    std::printf("caption ink %dx%d; a render of 確定 %dx%d, of OK %dx%d\n", ink.width(), ink.height(),
                chinese.width(), chinese.height(), english.width(), english.height());
    EXPECT_LE(std::abs(ink.width() - chinese.width()), 1);
    EXPECT_LE(std::abs(ink.height() - chinese.height()), 1);
    box->reject();
  });
  poll.start(50);
  w().mnuCoopAds.Click();  // modal: returns once the box is answered
  poll.stop();
  EXPECT_TRUE(seen) << "the box shows";
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
