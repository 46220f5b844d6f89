// labels: gui
// The viewer's window driven as a user drives it: started with a command line, settings and
// language files beside it, keys, mouse drags, drops and menus; real pictures, real files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "browser/WebBrowser.h"
#include "browser/wmf_fixture.h"
#include "platform/comdlg_hook.h"
#include "platform/fs.h"
#include "platform/shellexec.h"
#include "runtime/app.h"
#include "runtime/events.h"
#include "runtime/forms.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"
#include "support/paths.h"
#include "support/pngfile.h"
#include "foundation/frmAbout.h"
#include "viewer/frmMain.h"

namespace {

using testsupport::TempDir;

// A picture file of the given size, drawn so that its pixels are not all alike.
std::string Picture(const std::string& path, int w, int h, const char* format = nullptr) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::darkCyan);
  QPainter(&img).fillRect(0, 0, w / 2, h / 2, Qt::yellow);
  EXPECT_TRUE(img.save(QString::fromStdString(path), format)) << path;
  return path;
}

int Tpp() { return vb::Screen::TwipsPerPixelX(); }
// The window's frame is known only once it is shown, after the settings have placed it.
const float kFrame = 5.0f * 15;

// One run of the viewer: its program folder (settings and cursor files go there), the
// command line it was started with, and the message boxes it showed.
class Viewer {
 public:
  explicit Viewer(const std::string& command, const std::string& ini = "",
                  const std::string& appFolder = "") {
    app_ = appFolder.empty() ? root_.path() + "/app" : appFolder;
    QDir().mkpath(QString::fromStdString(app_));
    if (!ini.empty()) testsupport::writeFile(app_ + "/Fenwo.Lumtak.ini", ini);
    vb::App::SetPathForTests(app_);
    command_ = command;
    vb::SetBoxHook([this](const vb::BoxCall& call) {
      messages.push_back(call.prompt);
      return vb::BoxAnswer{answer, ""};
    });
  }
  ~Viewer() {
    if (form && form->Loaded()) vb::Unload(*form);
    form.reset();
    vb::SetBoxHook({});
    vb::App::SetPathForTests("");
  }

  lumtak::frmMain& Start() {
    form = std::make_unique<lumtak::frmMain>(command_);
    form->Show();
    Settle();
    return *form;
  }

  // Lets the window take its new sizes and the browser paint.
  static void Settle(int ms = 30) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) vb::DoEvents();
  }

  const std::string& App() const { return app_; }
  const std::string& Root() const { return root_.path(); }

  browser::WebBrowser& WebB() { return form->Ctl<browser::WebBrowser>("WebB"); }
  browser::HTMLImg* Img() {
    auto* doc = WebB().Document();
    return doc ? doc->Images(0) : nullptr;
  }
  vb::Menu& Menu(const std::string& name, int index = -1) {
    return form->Ctl<vb::Menu>(name, index);
  }
  vb::Image& Title() { return form->Ctl<vb::Image>("imgTitle"); }
  std::string Caption() { return form->Caption(); }
  int ClientW() { return int(form->ScaleWidth()); }
  int ClientH() { return int(form->ScaleHeight()); }
  std::string Shown() {
    auto* img = Img();
    return img && img->fileSize() > 0 ? img->src() : "";
  }

  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = form->Widget();
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(target, &release);
    Settle(5);
  }

  void Drop(QWidget* on, const std::string& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
    const QPoint at = on->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &drop);
    Settle(20);
  }

  // The mouse at a point of the screen, over a widget that may have moved meanwhile.
  void Mouse(QEvent::Type type, QWidget* on, QPoint global, Qt::MouseButtons buttons) {
    const QPointF at = on->mapFromGlobal(QPointF(global));
    QMouseEvent e(type, at, QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(on, &e);
  }

  std::unique_ptr<lumtak::frmMain> form;
  std::vector<std::string> messages;
  int answer = vb::vbOK;

 private:
  TempDir root_{"viewer"};
  std::string app_, command_;
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// ---- Start-up, settings and language ----

TEST(ViewerStartUp, NoCommandLineShowsTheTitlePictureCentredInA300By240Window) {
  Viewer v("");
  v.Start();
  EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6");
  EXPECT_TRUE(v.Title().Visible());
  EXPECT_EQ(v.ClientW(), 300);
  EXPECT_EQ(v.ClientH(), 240);
  EXPECT_EQ(v.Title().Left(), (300 - v.Title().Width()) / 2);
  EXPECT_FALSE(v.Menu("mnuReset").Enabled());
  EXPECT_TRUE(v.messages.empty());
}

TEST(ViewerStartUp, WritesTheHandCursorBesideItselfAndDeletesItAtExit) {
  Viewer v("");
  v.Start();
  const std::string cur = v.App() + "/harrow.cur";
  const std::string bytes = testsupport::readFile(cur);
  EXPECT_EQ(bytes, testsupport::readFile(testsupport::sourceDir() + "/viewer/res/harrow.cur"));
  vb::Unload(*v.form);
  EXPECT_FALSE(win::IsFile(cur));
}

TEST(ViewerSettings, PositionClampedToTheScreenAndKeysReadAsThePartSays) {
  struct Case { const char* ini; bool centred; int left; int top; };
  // left / top: -1 right or bottom edge, -2 centred, else the value.
  const Case cases[] = {
      {"MainLeft=999999\r\nMainTop=-500\r\n", false, -1, 0},
      {"  mainleft=  120   \r\nMAINTOP=90abc\r\n", false, 120, 90},
      {"MainLeft =120\r\nMainTop = 90\r\n", true, -2, -2},
  };
  for (const Case& c : cases) {
    Viewer v("", c.ini);
    auto& f = v.Start();
    const float screenW = vb::Screen::Width(), screenH = vb::Screen::Height();
    if (c.centred) {
      EXPECT_NEAR(f.Left(), (screenW - f.Width()) / 2, kFrame) << c.ini;
      EXPECT_NEAR(f.Top(), (screenH - f.Height()) / 2, kFrame) << c.ini;
      continue;
    }
    EXPECT_NEAR(f.Left(), c.left == -1 ? screenW - f.Width() : float(c.left), kFrame) << c.ini;
    EXPECT_NEAR(f.Top(), float(c.top), kFrame) << c.ini;
  }
}

TEST(ViewerSettings, LanguageFromOwnFileThenTheConverterFileAboveThenBesideThenTheLocale) {
  struct Case {
    const char* own;         // the viewer's file
    const char* above;       // the converter's file in the folder above
    const char* beside;      // the converter's file beside the viewer
    const char* locale;
    const char* expect;
  };
  const Case cases[] = {
      {"Language=tw\r\n", "Language=en\r\n", nullptr, "C", "tw"},
      {"MainLeft=0\r\n", "Language=tw\r\nLanguage=en\r\n", nullptr, "C", "en"},
      {nullptr, "Language=gb\r\n", "Language=tw\r\n", "C", "gb"},
      {nullptr, nullptr, "MainTop=5\r\nLanguage=tw\r\n", "C", "tw"},
      // A converter file that names no language (the search is case-sensitive) counts as none.
      {nullptr, nullptr, "language=tw\r\n", "zh_CN.UTF-8", "gb"},
      {nullptr, nullptr, nullptr, "zh_CN.UTF-8", "gb"},
      {nullptr, nullptr, nullptr, "zh_TW.UTF-8", "tw"},
      {nullptr, nullptr, nullptr, "de_DE.UTF-8", "en"},
      {"Language=xx\r\n", nullptr, nullptr, "zh_TW.UTF-8", "tw"},
  };
  for (const Case& c : cases) {
    setenv("LC_ALL", c.locale, 1);
    Viewer v("", c.own ? c.own : "");
    if (c.above) testsupport::writeFile(v.Root() + "/Fenwo.Zantiro.ini", c.above);
    if (c.beside) testsupport::writeFile(v.App() + "/Fenwo.Zantiro.ini", c.beside);
    v.Start();
    const std::string what = std::string(c.own ? c.own : "-") + " | " +
                             (c.above ? c.above : "-") + " | " + (c.beside ? c.beside : "-") +
                             " | " + c.locale;
    EXPECT_EQ(v.Menu("mnuLanguage").Tag(), c.expect) << what;
    EXPECT_EQ(v.Menu("mnuLngEN").Checked(), std::string(c.expect) == "en") << what;
    EXPECT_EQ(v.Menu("mnuLngTW").Checked(), std::string(c.expect) == "tw") << what;
    EXPECT_EQ(v.Menu("mnuLngGB").Checked(), std::string(c.expect) == "gb") << what;
    // The converter's file is only read.
    if (c.above) {
      EXPECT_EQ(testsupport::readFile(v.Root() + "/Fenwo.Zantiro.ini"), c.above);
    }
  }
  unsetenv("LC_ALL");
}

TEST(ViewerSettings, SavedAtExitAsThreeLinesWithTheNormalWindowsPosition) {
  setenv("LC_ALL", "C", 1);
  Viewer v("", "MainLeft=1500\r\nMainTop=1200\r\n");
  auto& f = v.Start();
  v.Menu("mnuLngTW").Click();
  EXPECT_EQ(v.Menu("mnuOpen").Caption(), "開啟新圖片 ...\tF1");
  const float left = f.Left(), top = f.Top();
  ASSERT_NEAR(left, 1500, kFrame);
  f.WindowState(vb::vbMaximized);
  Viewer::Settle(50);
  ASSERT_EQ(f.WindowState(), vb::vbMaximized);
  ASSERT_LT(f.Left(), left);
  vb::Unload(f);
  // Three lines; the position is the normal window's (give or take its frame, which the
  // platform may leave out when it restores the window).
  const std::string ini = testsupport::readFile(v.App() + "/Fenwo.Lumtak.ini");
  const auto lines = vb::Split(ini, "\r\n");
  ASSERT_EQ(lines.size(), 4u) << ini;
  EXPECT_EQ(lines[0].substr(0, 9), "MainLeft=");
  EXPECT_NEAR(vb::Val(lines[0].substr(9)), left, kFrame);
  EXPECT_EQ(lines[1].substr(0, 8), "MainTop=");
  EXPECT_NEAR(vb::Val(lines[1].substr(8)), top, kFrame);
  EXPECT_EQ(lines[2], "Language=tw");
  EXPECT_EQ(lines[3], "");
  unsetenv("LC_ALL");
}

// ---- The picture page ----

TEST(ViewerPicture, ShownAtItsNaturalSizeWithItsInformationInTheMenus) {
  TempDir root("viewer-name");
  const std::string dir = root.path() + "/100% sure #1";
  QDir().mkpath(QString::fromStdString(dir));
  const std::string pic = Picture(dir + "/a %41 b.png", 120, 80);
  // Started the way the converter starts it: the path in quotes, more words after it.
  Viewer w(Quoted(pic) + " --more");
  w.Start();
  EXPECT_TRUE(w.messages.empty());
  EXPECT_EQ(w.Shown(), pic);
  EXPECT_EQ(w.Caption(), " Fenwo.Lumtak  1.6.6  - 100 %");
  EXPECT_EQ(w.ClientW(), 120);
  EXPECT_EQ(w.ClientH(), 80);
  EXPECT_EQ(w.WebB().Left(), 0);
  EXPECT_EQ(w.WebB().Width(), 120);
  EXPECT_FALSE(w.Title().Visible());
  EXPECT_TRUE(w.Menu("mnuReset").Enabled());
  EXPECT_EQ(w.Menu("mnuFilePath").Caption(), "File Path :" + dir + "/");
  EXPECT_EQ(w.Menu("mnuFileName").Caption(), "File Name :a %41 b.png");
  EXPECT_EQ(w.Menu("mnuPicsSize").Caption(), "Pics Size :120 x 80");
  EXPECT_EQ(w.Menu("mnuWinSize").Caption(), "Window Size :120 x 80");
  const std::string size = w.Menu("mnuFileSize").Caption();
  EXPECT_EQ(size.substr(0, 11), "File Size :");
  EXPECT_EQ(size.substr(size.size() - 3), " MB");
}

TEST(ViewerPicture, MissingFileIsReportedAndItsFolderStillSteps) {
  TempDir dir("viewer-pics");
  const std::string first = Picture(dir.file("a.png"), 40, 40);
  Picture(dir.file("b.png"), 40, 40);
  const std::string missing = dir.file("gone.png");
  Viewer v(missing);
  v.Start();
  ASSERT_EQ(v.messages.size(), 1u);
  EXPECT_EQ(v.messages[0],
            "Unable to play this file\r\nThis File does not exist\r\n\r\n" + missing);
  EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6");
  EXPECT_FALSE(v.Title().Visible());
  // The zoom keys find no picture; the folder keys step from the missing file's folder.
  v.Key(Qt::Key_Equal);
  EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6");
  v.Key(Qt::Key_PageDown);
  EXPECT_EQ(v.Shown(), first);
}

TEST(ViewerPicture, EmptyOrForeignFileWithAPictureNameGivesTheTitleStateAnd300By240) {
  TempDir dir("viewer-bad");
  const std::string big = Picture(dir.file("big.png"), 500, 400);
  const std::string empty = testsupport::writeFile(dir.file("empty.gif"), "");
  const std::string text = testsupport::writeFile(dir.file("text.jpg"), "not a picture\n");
  // Headers that claim more pixels than any picture taken (16384 x 16384), a damaged stream.
  namespace png = testsupport::png;
  auto pngFile = [&](const char* name, int w, int h, const std::string& idat) {
    return testsupport::writeFile(dir.file(name), png::Signature() + png::Ihdr(w, h, 8, 2, 0) +
                                                      png::Chunk("IDAT", idat) + png::Chunk("IEND", ""));
  };
  const std::string huge = pngFile("huge.png", 65535, 65535, png::Zlib(std::string(3, '\0'), png::Blocks::Stored));
  const std::string over = pngFile("over.png", 20000, 20000, png::Zlib(std::string(3, '\0'), png::Blocks::Stored));
  const std::string damaged = pngFile("damaged.png", 64, 64, "\x78\x9c" + std::string(200, '\xff'));
  std::string jpeg = testsupport::readFile(Picture(dir.file("small.jpg"), 16, 16, "JPG"));
  const size_t sof = jpeg.find("\xff\xc0");
  ASSERT_NE(sof, std::string::npos);
  jpeg.replace(sof + 5, 4, "\xff\xdc\xff\xdc");  // 65500 x 65500
  const std::string hugeJpeg = testsupport::writeFile(dir.file("huge.jpg"), jpeg);
  const std::string hugeGif = testsupport::writeFile(dir.file("huge.gif"), std::string("GIF89a\xff\xff\xff\xff\x80\0\0", 13) +
                                                                          std::string(6, '\0') + ",\0\0\0\0\xff\xff\xff\xff\0\x02\x02\x44\x01\0;");
  Viewer v(big);
  v.Start();
  ASSERT_EQ(v.ClientW(), 500);
  for (const std::string& bad : {empty, text, huge, over, damaged, hugeJpeg, hugeGif}) {
    v.messages.clear();
    v.Drop(v.WebB().Widget(), bad);
    ASSERT_EQ(v.messages.size(), 1u) << bad;
    EXPECT_EQ(v.messages[0], "Unable to play this file\r\nFile format not supported\r\n\r\n" + bad);
    EXPECT_TRUE(v.Title().Visible()) << bad;
    EXPECT_EQ(v.ClientW(), 300) << bad;
    EXPECT_EQ(v.ClientH(), 240) << bad;
    EXPECT_EQ(v.Menu("mnuFileName").Caption(), "File Name :") << bad;
    EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6") << bad;
  }
}

QImage Grab(QWidget* w) { return w->grab().toImage(); }

TEST(ViewerPicture, AnimatedGifKeepsPlayingAfterTheLoadAndRestartsFromItsFirstFrame) {
  Viewer v(testsupport::media("anim.gif"));
  v.Start();
  ASSERT_EQ(v.Shown(), testsupport::media("anim.gif"));
  QWidget* page = v.WebB().Widget();
  const QImage first = Grab(page);
  Viewer::Settle(700);
  EXPECT_NE(Grab(page), first) << "the animation moved on";
  v.Menu("mnuReset").Click();
  EXPECT_EQ(Grab(page), first) << "restarted at its first frame";
}

TEST(ViewerPicture, NavigationToAFileShowsItAndTheFolderFollowsOtherAddressesAreRefused) {
  TempDir dir("viewer-nav");
  const std::string a = Picture(dir.file("a.png"), 30, 30);
  const std::string b = Picture(dir.file("b.png"), 30, 30);
  const std::string c = Picture(dir.file("c.png"), 30, 30);
  Viewer v(a);
  v.Start();
  v.WebB().Navigate("https://example.org/");
  v.WebB().Navigate(dir.file("nothing.png"));
  Viewer::Settle();
  EXPECT_EQ(v.Shown(), a);
  v.WebB().Navigate(b);
  Viewer::Settle();
  EXPECT_EQ(v.Shown(), b);
  v.Key(Qt::Key_PageDown);
  EXPECT_EQ(v.Shown(), c);
}

// ---- Sizing, zoom and panning ----

TEST(ViewerSizing, TinyPictureGetsAClientAreaAtLeast30HighAndIsCentred) {
  TempDir dir("viewer-tiny");
  Viewer v(Picture(dir.file("t.png"), 10, 10));
  v.Start();
  EXPECT_EQ(v.ClientH(), 30);
  EXPECT_GE(v.ClientW(), 10);
  EXPECT_EQ(v.WebB().Width(), 10);
  EXPECT_EQ(v.WebB().Top(), 10);
  EXPECT_EQ(v.WebB().Left(), std::max(0, (v.ClientW() - 10) / 2));
}

TEST(ViewerSizing, PictureWiderThanTheWorkAreaFillsItAndCanBeDraggedAndPanned) {
  TempDir dir("viewer-wide");
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  const int w = work.width() + 400, h = work.height() + 300;
  Viewer v(Picture(dir.file("wide.png"), w, h));
  auto& f = v.Start();
  EXPECT_NEAR(f.Width(), float(work.width() * Tpp()), 1);
  EXPECT_EQ(v.WebB().Left(), 0);
  EXPECT_EQ(v.WebB().Top(), 0);
  EXPECT_EQ(v.WebB().DragMode(), vb::vbAutomatic);
  EXPECT_EQ(v.WebB().Document()->body()->Style().cursor(), "url(" + v.App() + "/harrow.cur)");

  // Arrow keys stop at the edges.
  v.Key(Qt::Key_Left);
  v.Key(Qt::Key_Up);
  EXPECT_EQ(v.WebB().Left(), 0);
  EXPECT_EQ(v.WebB().Top(), 0);
  v.Key(Qt::Key_Right);
  v.Key(Qt::Key_Down);
  EXPECT_EQ(v.WebB().Left(), -10);
  EXPECT_EQ(v.WebB().Top(), -10);
  for (int i = 0; i < 60; ++i) v.Key(Qt::Key_Right);
  EXPECT_EQ(v.WebB().Left(), v.ClientW() - w);

  // The picture follows the mouse.
  QWidget* page = v.WebB().Widget();
  const float left = v.WebB().Left(), top = v.WebB().Top();
  const QPoint start = page->mapToGlobal(QPoint(300, 300));
  v.Mouse(QEvent::MouseButtonPress, page, start, Qt::LeftButton);
  v.Mouse(QEvent::MouseMove, page, start + QPoint(30, -20), Qt::LeftButton);
  v.Mouse(QEvent::MouseMove, page, start + QPoint(50, -50), Qt::LeftButton);
  v.Mouse(QEvent::MouseButtonRelease, page, start + QPoint(50, -50), Qt::NoButton);
  Viewer::Settle();
  EXPECT_EQ(v.WebB().Left(), std::min(0.0f, left + 50));
  EXPECT_EQ(v.WebB().Top(), top - 50);

  // A file that is gone: the arrow keys find no picture, and the browser under the cover stays.
  win::SetDialogHook([&](QFileDialog&) { return win::DialogAnswer{true, {dir.file("gone.png")}, 0}; });
  v.Key(Qt::Key_F1);
  win::SetDialogHook({});
  ASSERT_EQ(v.messages.size(), 1u);
  const float hiddenLeft = v.WebB().Left(), hiddenTop = v.WebB().Top();
  for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
    v.Key(key);
    EXPECT_EQ(v.WebB().Left(), hiddenLeft) << key;
    EXPECT_EQ(v.WebB().Top(), hiddenTop) << key;
  }
}

void ResizeClient(Viewer& v, int w, int h) {
  auto& f = *v.form;
  f.Move(f.Left(), f.Top(), f.Width() + float((w - v.ClientW()) * Tpp()),
         f.Height() + float((h - v.ClientH()) * Tpp()));
  Viewer::Settle();
}

TEST(ViewerSizing, ResizedWindowFitsThePictureStretchedOrWithItsAspect) {
  TempDir dir("viewer-fit");
  Viewer v(Picture(dir.file("p.png"), 100, 50));
  v.Start();
  ASSERT_TRUE(v.Menu("mnuKeepAspect").Checked());
  ResizeClient(v, 400, 400);
  ASSERT_EQ(v.ClientW(), 400);
  EXPECT_EQ(v.WebB().Left(), 0);
  EXPECT_EQ(v.WebB().Top(), 100);
  EXPECT_EQ(v.WebB().Width(), 400);
  EXPECT_EQ(v.WebB().Height(), 200);
  EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6  - 400 %");
  v.Menu("mnuKeepAspect").Click();
  Viewer::Settle();
  EXPECT_EQ(v.WebB().Top(), 0);
  EXPECT_EQ(v.WebB().Height(), 400);
  EXPECT_EQ(v.Img()->Height(), 400);
}

TEST(ViewerSizing, FixedWindowKeepsItsSizeAndUncheckingItTakesThePictureSize) {
  TempDir dir("viewer-fixed");
  Viewer v(Picture(dir.file("p.png"), 100, 50));
  v.Start();
  v.Menu("mnuFixedWin").Click();
  ResizeClient(v, 200, 200);
  EXPECT_EQ(v.WebB().Width(), 200);
  EXPECT_EQ(v.WebB().Height(), 100);
  v.Key(Qt::Key_Equal);  // zoom keeps the window
  EXPECT_EQ(v.ClientW(), 200);
  EXPECT_EQ(v.Img()->Width(), 205);
  v.Menu("mnuReset").Click();  // restart: back to the picture's own size
  EXPECT_EQ(v.ClientW(), 120);  // the smallest window: the picture is centred in it
  EXPECT_EQ(v.ClientH(), 50);
  EXPECT_TRUE(v.Menu("mnuFixedWin").Checked());
  ResizeClient(v, 300, 300);
  v.Menu("mnuFixedWin").Click();
  EXPECT_EQ(v.ClientW(), 120);
  EXPECT_EQ(v.ClientH(), 50);
}

TEST(ViewerZoom, StepsOfFivePercentBetweenFourAndTenPixelsAndTheirLimits) {
  TempDir dir("viewer-zoom");
  struct Case { int width; int grown; };
  for (const Case& c : {Case{100, 105}, Case{50, 54}, Case{200, 210}, Case{400, 410}}) {
    Viewer v(Picture(dir.file("z" + std::to_string(c.width) + ".png"), c.width, 40));
    v.Start();
    v.Key(Qt::Key_Plus);
    EXPECT_EQ(v.Img()->Width(), c.grown) << c.width;
    EXPECT_EQ(v.ClientW(), std::max(c.grown, v.ClientW())) << c.width;
    v.Key(Qt::Key_Minus);
    EXPECT_EQ(v.Img()->Width(), c.width) << c.width;
  }
  // 200 wide: the caption shows 105 % after one step.
  Viewer v(dir.file("z200.png"));
  v.Start();
  v.Key(Qt::Key_Plus);
  EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6  - 105 %");

  // Shrinking stops before 4.5 % of the natural width.
  Viewer s(Picture(dir.file("big.png"), 1000, 400));
  s.Start();
  for (int i = 0; i < 100; ++i) s.Key(Qt::Key_Minus);
  EXPECT_EQ(s.Img()->Width(), 50);
  // Growing stops at three work-area widths.
  const int work = QGuiApplication::primaryScreen()->availableGeometry().width();
  for (int i = 0; i < (3 * work - 50) / 10 + 5; ++i) s.Key(Qt::Key_Equal);
  EXPECT_LE(s.Img()->Width(), 3 * work);
  EXPECT_GT(s.Img()->Width(), 3 * work - 10);
  // The window grew to the work area; the picture grew about the middle of the view.
  EXPECT_NEAR(s.form->Width(), float(work * Tpp()), 1);
  EXPECT_NEAR(s.WebB().Left() + s.WebB().Width() / 2, float(s.ClientW()) / 2, 10);
  EXPECT_NEAR(s.WebB().Top() + s.WebB().Height() / 2, float(s.ClientH()) / 2, 10);
}

TEST(ViewerZoom, KeypadPlusAndMinusDoNothing) {
  TempDir dir("viewer-keypad");
  Viewer v(Picture(dir.file("p.png"), 100, 40));
  v.Start();
  v.Key(Qt::Key_Plus, Qt::KeypadModifier);
  v.Key(Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(v.Img()->Width(), 100);
  EXPECT_EQ(v.Caption(), " Fenwo.Lumtak  1.6.6  - 100 %");
}

TEST(ViewerSizing, MaximizeFitsThePictureAndRestoreGivesThePictureSizedWindowBack) {
  TempDir dir("viewer-max");
  Viewer v(Picture(dir.file("p.png"), 100, 50));
  auto& f = v.Start();
  f.WindowState(vb::vbMaximized);
  Viewer::Settle(100);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GT(v.ClientW(), 100);
  EXPECT_EQ(v.WebB().Width(), v.ClientW());
  EXPECT_EQ(v.WebB().Height(), v.ClientW() / 2);
  EXPECT_LE(v.ClientW(), screen.width());
  f.WindowState(vb::vbNormal);
  Viewer::Settle(100);
  EXPECT_EQ(v.ClientW(), 120);  // the smallest window
  EXPECT_EQ(v.ClientH(), 50);
  EXPECT_EQ(v.Img()->Width(), 100);
}

// ---- Folder stepping, drops, menus ----

TEST(ViewerFolder, StepsThroughTheFoldersPicturesInOrderWithoutWrapping) {
  TempDir dir("viewer-folder");
  for (const char* n : {"a.png", "B.jpg", "d.bmp", "e.ico"}) Picture(dir.file(n), 32, 32);
  QFile::copy(QString::fromStdString(testsupport::media("pictures/gif/p1.gif")),
              QString::fromStdString(dir.file("c.gif")));
  testsupport::writeFile(dir.file("g.wmf"), "");
  testsupport::writeFile(dir.file("notes.txt"), "x");
  QImage(32, 32, QImage::Format_RGB32).save(QString::fromStdString(dir.file("f.wmf.png")));
  Viewer v(dir.file("a.png"));
  v.Start();
  auto& list = v.form->Ctl<vb::FileListBox>("File1");
  std::vector<std::string> names;
  for (int i = 0; i < list.ListCount(); ++i) names.push_back(list.List(i));
  const std::vector<std::string> expected = {"a.png", "B.jpg", "c.gif", "d.bmp", "e.ico",
                                             "f.wmf.png"};
  ASSERT_EQ(names, expected);
  const std::string start = names[static_cast<size_t>(list.ListIndex())];
  EXPECT_EQ(start, "a.png");
  v.Key(Qt::Key_Home);
  EXPECT_EQ(v.Shown(), dir.file(names.front()));
  v.Key(Qt::Key_PageUp);
  EXPECT_EQ(v.Shown(), dir.file(names.front()));
  v.Key(Qt::Key_End);
  EXPECT_EQ(v.Shown(), dir.file(names.back()));
  v.Key(Qt::Key_PageDown);
  EXPECT_EQ(v.Shown(), dir.file(names.back()));
  v.Key(Qt::Key_PageUp);
  EXPECT_EQ(v.Shown(), dir.file(names[names.size() - 2]));
  v.Menu("mnuPlayInDir", 0).Click();
  EXPECT_EQ(v.Shown(), dir.file(names.front()));
}

TEST(ViewerFolder, HomeInTheTitleStateShowsTheFirstPictureOfTheCurrentFolder) {
  TempDir dir("viewer-home");
  Picture(dir.file("b.png"), 20, 20);
  Picture(dir.file("a.png"), 20, 20);
  const std::string before = win::GetCurrentDirectoryA();
  win::SetCurrentDirectoryA(dir.path());
  Viewer v("");
  v.Start();
  v.Key(Qt::Key_Home);
  win::SetCurrentDirectoryA(before);
  EXPECT_EQ(v.Shown(), dir.file("a.png"));
  EXPECT_FALSE(v.Title().Visible());
}

TEST(ViewerFolder, AMissingFolderLeavesTheListWhereItWas) {
  TempDir dir("viewer-gone");
  Picture(dir.file("a.png"), 20, 20);
  const std::string before = win::GetCurrentDirectoryA();
  win::SetCurrentDirectoryA(dir.path());
  Viewer v("/no/such/folder/x.png");
  v.Start();
  win::SetCurrentDirectoryA(before);
  ASSERT_EQ(v.messages.size(), 1u);
  v.Key(Qt::Key_Home);
  EXPECT_EQ(v.Shown(), dir.file("a.png"));
}

// The folder list matches without regard to case: B.PNG is listed between a.png and b.png and
// selected by its own name.
TEST(ViewerFolder, ANameInCapitalsIsListedAndSelected) {
  TempDir dir("viewer-case");
  Picture(dir.file("a.png"), 20, 20);
  Picture(dir.file("b.png"), 20, 20);
  const std::string shown = Picture(dir.file("B.PNG"), 20, 20, "PNG");
  Viewer v(shown);
  v.Start();
  EXPECT_EQ(v.Shown(), shown);
  EXPECT_EQ(v.form->Ctl<vb::FileListBox>("File1").ListIndex(), 1);
  v.Key(Qt::Key_PageDown);
  EXPECT_EQ(v.Shown(), dir.file("b.png"));
}

TEST(ViewerFolder, F1OpensAnyPictureAMetafileTooButTheFolderKeysNeverReachOne) {
  TempDir dir("viewer-open");
  const std::string a = Picture(dir.file("a.png"), 30, 20);
  const std::string z = Picture(dir.file("z.png"), 30, 20);
  const std::string wmf = dir.file("m.wmf");
  const QByteArray metafile = wmf_fixture::WmfBuilder()
                                  .record(0x0209, wmf_fixture::Colour(255, 0, 0))  // text colour
                                  .bytes(0, 0, 64, 48);
  testsupport::writeFile(wmf, metafile.toStdString());
  Viewer v("");
  v.Start();
  QStringList filters;
  win::SetDialogHook([&](QFileDialog& d) {
    filters = d.nameFilters();
    return win::DialogAnswer{!filters.isEmpty() && filters.size() == 8, {wmf}, 0};
  });
  v.Key(Qt::Key_F1);
  win::SetDialogHook({});
  ASSERT_EQ(filters.size(), 8);
  EXPECT_TRUE(filters[0].startsWith("Supported Pics Files")) << filters[0].toStdString();
  EXPECT_EQ(v.Shown(), wmf);
  EXPECT_EQ(v.ClientW(), 120);  // the smallest window
  EXPECT_EQ(v.form->Ctl<vb::FileListBox>("File1").ListIndex(), -1);
  v.Key(Qt::Key_End);
  EXPECT_EQ(v.Shown(), z);
  v.Key(Qt::Key_Home);
  EXPECT_EQ(v.Shown(), a);
  // A cancelled dialog changes nothing.
  win::SetDialogHook([](QFileDialog&) { return win::DialogAnswer{}; });
  v.Key(Qt::Key_F1);
  win::SetDialogHook({});
  EXPECT_EQ(v.Shown(), a);
  EXPECT_TRUE(v.messages.empty());
}

TEST(ViewerDrops, AFileDroppedOnTheCoverOrTheTitleIsShownAndTheFolderFollows) {
  TempDir dir("viewer-drop");
  const std::string a = Picture(dir.file("a.png"), 30, 20);
  const std::string b = Picture(dir.file("b.png"), 30, 20);
  Viewer v("");
  v.Start();
  v.Drop(v.form->Ctl<vb::PictureBox>("picCover").Widget(), dir.file("missing.png"));
  EXPECT_TRUE(v.messages.empty());
  EXPECT_TRUE(v.Title().Visible());
  v.Drop(v.Title().Widget(), a);
  EXPECT_EQ(v.Shown(), a);
  v.Key(Qt::Key_PageDown);
  EXPECT_EQ(v.Shown(), b);
}

TEST(ViewerMenus, MenuBarInItsOrderWithTheStartStates) {
  setenv("LC_ALL", "C", 1);
  Viewer v("");
  v.Start();
  auto names = [&](const std::string& menu) {
    std::string out;
    for (vb::Menu* m : v.Menu(menu).Items()) {
      out += m->Caption() == "-" ? std::string("-") : m->Name();
      if (m->Index() >= 0) out += "(" + std::to_string(m->Index()) + ")";
      out += m->Visible() ? " " : "! ";
    }
    return out;
  };
  EXPECT_EQ(names("mnuAboutMain"),
            "mnuLanguage -(0) mnuMoney mnuNotice mnuBlog -(1) mnuVerNote mnuUpdate "
            "mnuDownloadFamily -(2) mnuAbout mnuCoopAds ");
  EXPECT_EQ(names("mnuLanguage"), "mnuLngEN mnuLngTW mnuLngGB ");
  // Only the conversion program is offered for download.
  EXPECT_EQ(names("mnuDownloadFamily"),
            "mnuDlFamilyNew(0)! mnuDlFamilyNew(1)! mnuDlFamilyNew(2) -! mnuDlFamily(0)! "
            "mnuDlFamily(1)! mnuDlFamily(2)! mnuDlFamily(3)! mnuDlFamily(4)! mnuDlFamily(5)! ");
  EXPECT_EQ(names("mnuFileInfo"),
            "mnuFilePath mnuFileName mnuFileSize mnuPicsSize mnuWinSize -(0) mnuFixedWin "
            "mnuKeepAspect mnuBackcolor -(1) mnuSizePics(0) mnuSizePics(1) mnuPlayInDir(0) "
            "mnuPlayInDir(1) mnuPlayInDir(2) mnuPlayInDir(3) -(2) mnuOpen mnuReset ");
  EXPECT_EQ(v.Menu("mnuAboutMain").Caption(), "About");
  EXPECT_EQ(v.Menu("mnuPlayInDir", 3).Caption(), "Play Last\tEnd");
  EXPECT_EQ(v.Menu("mnuDlFamilyNew", 2).Caption(), "Download  Fenwo.Zantiro");
  EXPECT_TRUE(v.Menu("mnuKeepAspect").Checked());
  EXPECT_FALSE(v.Menu("mnuFixedWin").Checked());
  EXPECT_TRUE(v.Menu("mnuSetBackcolor", 0).Checked());
  EXPECT_FALSE(v.Menu("mnuSetBackcolor", 1).Checked());
  EXPECT_EQ(v.form->BackColor(), 0);
  unsetenv("LC_ALL");
}

TEST(ViewerMenus, WhiteBackgroundAtOnceAndOnTheNextPicture) {
  TempDir dir("viewer-white");
  Picture(dir.file("a.png"), 30, 20);
  Picture(dir.file("b.png"), 30, 20);
  Viewer v(dir.file("a.png"));
  v.Start();
  EXPECT_EQ(v.WebB().Document()->body()->bgcolor(), "#000000");
  v.Menu("mnuSetBackcolor", 1).Click();
  EXPECT_EQ(v.WebB().Document()->body()->bgcolor(), "#ffffff");
  EXPECT_TRUE(v.Menu("mnuSetBackcolor", 1).Checked());
  EXPECT_FALSE(v.Menu("mnuSetBackcolor", 0).Checked());
  EXPECT_EQ(v.form->BackColor(), 0xFFFFFF);
  v.Key(Qt::Key_PageDown);
  EXPECT_EQ(v.Shown(), dir.file("b.png"));
  EXPECT_EQ(v.WebB().Document()->body()->bgcolor(), "#ffffff");
}

TEST(ViewerMenus, LanguageSwitchRewritesCaptionsAndRefitsThePicture) {
  setenv("LC_ALL", "C", 1);
  TempDir dir("viewer-lng");
  Viewer v(Picture(dir.file("a.png"), 80, 60));
  v.Start();
  v.Key(Qt::Key_Plus);
  ASSERT_EQ(v.Img()->Width(), 84);
  v.Menu("mnuLngGB").Click();
  EXPECT_EQ(v.Img()->Width(), 80);
  EXPECT_EQ(v.Menu("mnuFileName").Caption(), "文件名：a.png");
  EXPECT_EQ(v.Menu("mnuPlayInDir", 2).Caption(), "下一张\tPageDown");
  EXPECT_EQ(v.Menu("mnuDlFamilyNew", 2).Caption(), "下载  Fenwo.Zantiro");
  EXPECT_TRUE(v.Menu("mnuLngGB").Checked());
  EXPECT_FALSE(v.Menu("mnuLngEN").Checked());
  unsetenv("LC_ALL");
}

TEST(ViewerMenus, WebEntriesAndTheAdsQuestionOpenTheirAddresses) {
  Viewer v("");
  v.Start();
  std::vector<std::string> opened;
  win::SetShellExecuteHook([&](const std::string&, const std::string& file) {
    opened.push_back(file);
    return std::intptr_t{42};
  });
  v.answer = vb::vbCancel;
  v.Menu("mnuCoopAds").Click();
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(v.messages.size(), 1u);
  EXPECT_EQ(v.messages[0].substr(0, 62),
            "If you want to advertise to cooperate in the software, or to\r\n");
  v.answer = vb::vbOK;
  v.Menu("mnuCoopAds").Click();
  v.Menu("mnuNotice").Click();
  v.Menu("mnuUpdate").Click();
  v.Menu("mnuDlFamilyNew", 2).Click();
  v.Menu("mnuDlFamilyNew", 0).Click();  // no such program: nothing
  v.Menu("mnuBlog").Click();
  v.Title().Click();
  win::SetShellExecuteHook({});
  ASSERT_EQ(opened.size(), 6u);
  EXPECT_EQ(opened[0], "mailto:merrowin@fenwo.example.org");
  EXPECT_EQ(opened[1], "https://fenwo.example.org/software/notice.htm");
  EXPECT_EQ(opened[2], "https://fenwo.example.org/software/detail/Fenwo.Lumtak.htm");
  EXPECT_EQ(opened[3], "https://fenwo.example.org/software/detail/Fenwo.Zantiro.htm");
  EXPECT_EQ(opened[4], opened[5]) << "the title picture opens the blog";
}

TEST(ViewerMenus, AboutShowsTheViewersNameAndTextsModally) {
  setenv("LC_ALL", "C", 1);
  Viewer v("");
  v.Start();
  std::string caption, title, note;
  bool hand = false;
  QTimer::singleShot(50, [&] {
    for (vb::Form* f : vb::Forms()) {
      auto* about = dynamic_cast<frmAbout*>(f);
      if (!about) continue;
      caption = about->Caption();
      title = about->lblTitle.Caption();
      note = about->lblTitleNote(0).Caption();
      hand = !about->lblHomepage.MouseIcon().IsNothing();
      vb::Unload(*about);
    }
  });
  v.Menu("mnuAbout").Click();
  EXPECT_EQ(caption, " About Fenwo.Lumtak");
  EXPECT_EQ(title, "Fenwo.Lumtak");
  EXPECT_EQ(note, "Compact and convenient image browser for pics");
  EXPECT_TRUE(hand);
  unsetenv("LC_ALL");
}

}  // namespace
