// labels: gui
// The browser control as the viewer uses it: its page, the picture element, busy state,
// navigation filter, drag and drops.
#include "browser/WebBrowser.h"

#include "browser/BrowserView.h"
#include "runtime/Form.h"
#include "runtime/screen.h"
#include "browser/wmf_fixture.h"
#include "support/paths.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using browser::WebBrowser;
using testsupport::media;

std::string Escape(const std::string& path) {
  std::string out;
  for (char c : path) out += c == '%' ? std::string("%25") : std::string(1, c);
  return out;
}

// The page exactly as the viewer builds it.
std::string ViewerPage(const std::string& path, bool black = true) {
  return std::string("about:<html><style>body{border:0}</style><body bgcolor=") +
         (black ? "black" : "white") +
         " leftMargin=0 topMargin=0 scroll=no oncontextmenu='return false' "
         "onselectstart='return false' ondragstart='return false' onerror='return true'>"
         "<img src=\"" + Escape(path) + "\" border=0></img></body></html>";
}

// What the viewer does: navigate, then let events run while the browser is busy.
void Show(WebBrowser& wb, const std::string& path, bool black = true) {
  wb.Navigate(ViewerPage(path, black));
  for (int pass = 0; pass <= 6000 && wb.Busy(); ++pass) QCoreApplication::processEvents();
  ASSERT_FALSE(wb.Busy());
}

QImage Grab(WebBrowser& wb) {
  auto* img = wb.Document()->Images(0);
  wb.View()->resize(img->Width(), img->Height());
  return wb.View()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool Near(QRgb a, QRgb b, int tolerance = 12) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A metafile 1440 x 720 units: its left half a red rectangle without outline; with the
// placeable header at 1440 units per inch.
QByteArray RedHalfWmf(bool placeable) {
  using wmf_fixture::Colour;
  using wmf_fixture::Join;
  wmf_fixture::WmfBuilder w;
  w.record(0x020B, {0, 0}).record(0x020C, {720, 1440});
  w.record(0x02FC, Join({{0}, Colour(255, 0, 0), {0}})).record(0x012D, {0});
  w.record(0x02FA, Join({{5, 0, 0}, Colour(0, 0, 0)})).record(0x012D, {1});
  w.record(0x041B, {720, 720, 0, 0});
  return placeable ? w.bytes(0, 0, 1440, 720, 1440) : w.bytesWithoutBox();
}

TEST(WebBrowser, ShowsEveryFormatAtItsNaturalSize) {
  testsupport::TempDir dir;
  QImage icon(48, 32, QImage::Format_ARGB32);
  icon.fill(QColor(0, 0, 255));
  ASSERT_TRUE(QImageWriter(QString::fromStdString(dir.file("icon.ico")), "ico").write(icon));
  testsupport::writeFile(dir.file("red.wmf"), RedHalfWmf(true).toStdString());
  testsupport::writeFile(dir.file("plain.wmf"), RedHalfWmf(false).toStdString());
  // A path with "%" and "#" in folder and file names.
  const std::string odd = dir.file("100% #1 p%25.png");
  QFile::copy(QString::fromStdString(media("pictures/png/p1.png")), QString::fromStdString(odd));

  struct Case {
    std::string path;
    int w, h;
  } cases[] = {
      {media("pictures/bmp/p1.bmp"), 120, 90}, {media("pictures/jpg/p1.jpg"), 120, 90},
      {media("pictures/gif/p1.gif"), 120, 90}, {media("pictures/png/p1.png"), 120, 90},
      {media("anim.gif"), 160, 120},           {media("static.gif"), 160, 120},
      {dir.file("icon.ico"), 48, 32},          {dir.file("red.wmf"), 96, 48},
      {dir.file("plain.wmf"), 1440, 720},      {odd, 120, 90},
  };
  WebBrowser wb;
  for (const auto& c : cases) {
    Show(wb, c.path);
    ASSERT_NE(wb.Document(), nullptr);
    auto* img = wb.Document()->Images(0);
    ASSERT_NE(img, nullptr) << c.path;
    EXPECT_EQ(img->Width(), c.w) << c.path;
    EXPECT_EQ(img->Height(), c.h) << c.path;
    EXPECT_EQ(img->fileSize(), QFile(QString::fromStdString(c.path)).size()) << c.path;
    EXPECT_EQ(img->src(), c.path);
    // What is drawn is the picture (its middle pixel as Qt reads the file).
    const QImage shown = Grab(wb);
    const QImage file(QString::fromStdString(c.path));
    if (!file.isNull()) {
      const QPoint mid(c.w / 2, c.h / 2);
      EXPECT_TRUE(Near(shown.pixel(mid), file.convertToFormat(QImage::Format_RGB32).pixel(mid)))
          << c.path;
    }
  }
  Show(wb, dir.file("red.wmf"));
  QImage wmf = Grab(wb);
  EXPECT_EQ(wmf.pixel(20, 24), qRgb(255, 0, 0));
  EXPECT_EQ(wmf.pixel(76, 24), qRgb(0, 0, 0));  // the black page shows through
}

TEST(WebBrowser, FilesItCannotShowReportNoSize) {
  testsupport::TempDir dir;
  testsupport::writeFile(dir.file("empty.gif"), "");
  testsupport::writeFile(dir.file("text.jpg"), "This is not a picture at all.\r\n");
  testsupport::writeFile(dir.file("define.png"), "#define x_width 8\n#define x_height 8\n");
  WebBrowser wb;
  for (const std::string name : {"empty.gif", "text.jpg", "define.png", "missing.png"}) {
    Show(wb, dir.file(name));
    auto* img = wb.Document()->Images(0);
    ASSERT_NE(img, nullptr);
    EXPECT_LE(img->fileSize(), 0) << name;
    EXPECT_EQ(img->Width(), 28) << name;
    EXPECT_EQ(img->Height(), 30) << name;
  }
  // A page without a picture has no picture element.
  wb.Navigate("about:<html><body></body></html>");
  EXPECT_EQ(wb.Document()->Images(0), nullptr);
  EXPECT_FALSE(wb.Busy());
}

TEST(WebBrowser, BusyUntilEventsRunAndStopEndsTheLoad) {
  WebBrowser wb;
  EXPECT_EQ(wb.Document(), nullptr);
  wb.Navigate(ViewerPage(media("pictures/png/p2.png")));
  EXPECT_TRUE(wb.Busy());
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 28);
  wb.Stop();
  EXPECT_FALSE(wb.Busy());
  QTest::qWait(20);
  EXPECT_EQ(wb.Document()->Images(0)->fileSize(), -1);
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 28);
  Show(wb, media("pictures/png/p2.png"));
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 120);
}

TEST(WebBrowser, WidthAndHeightScaleThePicture) {
  WebBrowser wb;
  Show(wb, media("pictures/png/p3.png"));
  const QImage natural = Grab(wb);
  auto* img = wb.Document()->Images(0);
  img->Width(240);
  EXPECT_EQ(img->Height(), 180);  // follows the aspect until set
  img->Height(45);
  EXPECT_EQ(img->Width(), 240);
  const QImage wide = Grab(wb);
  ASSERT_EQ(wide.size(), QSize(240, 45));
  const QImage want = natural.scaled(240, 45, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  int off = 0;
  for (int y = 0; y < 45; ++y)
    for (int x = 0; x < 240; ++x) off += !Near(wide.pixel(x, y), want.pixel(x, y), 40);
  EXPECT_LT(off, 240 * 45 / 50) << "the picture is drawn at the written size";
}

// Parts of the view painted as the window system asks for them.
QImage Render(WebBrowser& wb, const QRect& part) {
  QImage out(wb.View()->size(), QImage::Format_RGB32);
  out.fill(Qt::blue);
  wb.View()->render(&out, part.topLeft(), QRegion(part));
  return out;
}

TEST(WebBrowser, LargeJpegKeepsItsNaturalSizeAndShowsEveryPart) {
  testsupport::TempDir dir;
  QImage big(2401, 1801, QImage::Format_RGB32);
  big.fill(QColor(0, 160, 0));
  QPainter(&big).fillRect(0, 0, 900, 700, QColor(200, 0, 0));
  const std::string path = dir.file("big.jpg");
  ASSERT_TRUE(big.save(QString::fromStdString(path), "JPEG", 90));
  const QRgb red = qRgb(200, 0, 0), green = qRgb(0, 160, 0);
  WebBrowser wb;
  Show(wb, path);
  auto* img = wb.Document()->Images(0);
  EXPECT_EQ(img->Width(), 2401);
  EXPECT_EQ(img->Height(), 1801);
  wb.View()->resize(2401, 1801);
  // The top part in view first, then the rest once events have run.
  QImage shown = Render(wb, QRect(0, 0, 1000, 300));
  EXPECT_TRUE(Near(shown.pixel(880, 100), red, 30));
  EXPECT_TRUE(Near(shown.pixel(920, 100), green, 30));
  QTest::qWait(50);
  shown = Render(wb, QRect(0, 1500, 1000, 301));
  EXPECT_TRUE(Near(shown.pixel(100, 1600), green, 30));
  shown = Render(wb, QRect(0, 0, 2401, 1801));
  EXPECT_TRUE(Near(shown.pixel(880, 690), red, 30));
  EXPECT_TRUE(Near(shown.pixel(920, 720), green, 30));
  // Shown small.
  img->Width(200);
  img->Height(150);
  const QImage small = Grab(wb);
  EXPECT_TRUE(Near(small.pixel(40, 30), red, 30));
  EXPECT_TRUE(Near(small.pixel(150, 120), green, 30));
  EXPECT_EQ(img->Width(), 200);
  img->Width(2401);
  img->Height(1801);
  shown = Grab(wb);
  EXPECT_TRUE(Near(shown.pixel(880, 690), red, 30));
  EXPECT_TRUE(Near(shown.pixel(920, 720), green, 30));
  // Leaving the picture while the rest of it is still being decoded.
  Show(wb, path);
  Render(wb, QRect(0, 0, 100, 100));
  Show(wb, media("pictures/png/p1.png"));
  QTest::qWait(50);
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 120);
}

// How often the shown frame changes while events run, up to `wanted` changes or 3 s.
int FrameChanges(WebBrowser& wb, int wanted) {
  QImage last = Grab(wb);
  int changes = 0;
  QElapsedTimer t;
  t.start();
  while (changes < wanted && t.elapsed() < 3000) {
    QTest::qWait(20);
    const QImage now = Grab(wb);
    changes += now != last;
    last = now;
  }
  return changes;
}

TEST(WebBrowser, AnimationKeepsPlayingAndRestartsWhenSrcIsWrittenAgain) {
  WebBrowser wb;
  Show(wb, media("anim.gif"));
  const QImage first = Grab(wb);
  EXPECT_EQ(FrameChanges(wb, 3), 3) << "the frames go on changing after the load";

  auto* img = wb.Document()->Images(0);
  img->src(img->src());
  EXPECT_EQ(Grab(wb), first) << "writing src again starts from the first frame";
  EXPECT_EQ(FrameChanges(wb, 1), 1);
}

TEST(WebBrowser, BodyColourAndCursor) {
  WebBrowser wb;
  Show(wb, media("pictures/png/p1.png"), false);
  EXPECT_EQ(wb.Document()->body()->bgcolor(), "#ffffff");
  wb.View()->resize(200, 100);
  EXPECT_EQ(wb.View()->grab().toImage().pixel(150, 50), qRgb(255, 255, 255));
  wb.Document()->body()->bgcolor(0);
  EXPECT_EQ(wb.View()->grab().toImage().pixel(150, 50), qRgb(0, 0, 0));
  wb.Document()->body()->bgcolor(0x0000FF);  // a Windows RGB value: red
  EXPECT_EQ(wb.Document()->body()->bgcolor(), "#ff0000");

  auto& style = wb.Document()->body()->Style();
  style.cursor("url(" + testsupport::sourceDir() + "/viewer/res/harrow.cur)");
  EXPECT_EQ(wb.View()->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(wb.View()->cursor().hotSpot(), QPoint(12, 1));
  EXPECT_EQ(wb.View()->cursor().pixmap().size(), QSize(32, 32));
  style.cursor("");
  EXPECT_EQ(wb.View()->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(style.cursor(), "");
}

TEST(WebBrowser, BeforeNavigate2CanCancel) {
  WebBrowser wb;
  std::vector<std::string> urls;
  bool cancel = true;
  wb.BeforeNavigate2 = [&](const std::string& url, bool& Cancel) {
    urls.push_back(url);
    Cancel = cancel;
  };
  const std::string page = ViewerPage(media("pictures/jpg/p1.jpg"));
  wb.Navigate(page);
  EXPECT_EQ(wb.Document(), nullptr);
  EXPECT_FALSE(wb.Busy());
  cancel = false;
  Show(wb, media("pictures/jpg/p1.jpg"));
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 120);
  cancel = true;
  wb.Navigate("http://example.org/");
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 120) << "a cancelled navigation changes nothing";
  EXPECT_EQ(urls, (std::vector<std::string>{page, page, "http://example.org/"}));
}

TEST(WebBrowser, DroppedFileIsANavigationToItsPath) {
  WebBrowser wb;
  Show(wb, media("pictures/png/p1.png"));
  std::vector<std::string> urls;
  wb.BeforeNavigate2 = [&](const std::string& url, bool& Cancel) {
    urls.push_back(url);
    Cancel = true;
  };
  const std::string dropped = media("pictures/gif/p2.gif");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(wb.View(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(wb.View(), &drop);
  QTest::qWait(20);
  EXPECT_EQ(urls, std::vector<std::string>{dropped});
  EXPECT_EQ(wb.Document()->Images(0)->src(), media("pictures/png/p1.png"));
}

// The control as a window's design text places it.
struct PictureWindow : vb::Form {
  PictureWindow() {
    LoadDesignText(R"(
Begin Form frmPicture
  ScaleMode = 3
  ClientWidth = 300
  ClientHeight = 200
  Begin WebBrowser WebB
    Left = 10
    Top = 20
    Width = 120
    Height = 90
  End
End
)");
  }
};

TEST(WebBrowser, PlacedByTheDesignText) {
  PictureWindow f;
  auto& wb = f.Ctl<WebBrowser>("WebB");
  EXPECT_FLOAT_EQ(wb.Left(), 10);
  EXPECT_FLOAT_EQ(wb.Top(), 20);
  EXPECT_EQ(wb.View()->geometry(), QRect(10, 20, 120, 90));
  Show(wb, media("pictures/png/p4.png"));
  EXPECT_EQ(wb.Document()->Images(0)->Width(), 120);
  wb.Move(0, 0, 300, 200);
  EXPECT_EQ(wb.View()->size(), QSize(300, 200));
}

TEST(WebBrowser, DragOfTheControlReportsPositionsInTwips) {
  PictureWindow f;
  auto& wb = f.Ctl<WebBrowser>("WebB");
  Show(wb, media("pictures/png/p1.png"));
  struct Report {
    float x, y;
    int state;
  };
  std::vector<Report> reports;
  wb.DragOver = [&](vb::Control& source, float X, float Y, int State) {
    EXPECT_EQ(&source, &wb);
    reports.push_back({X, Y, State});
  };
  auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, wb.View()->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(wb.View(), &e);
  };
  // Manual drag mode: nothing.
  mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  mouse(QEvent::MouseMove, {20, 10}, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, {20, 10}, Qt::NoButton);
  EXPECT_TRUE(reports.empty());

  wb.DragMode(vb::vbAutomatic);
  const float tpp = float(vb::Screen::TwipsPerPixelX());
  mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  mouse(QEvent::MouseMove, {20, 12}, Qt::LeftButton);
  mouse(QEvent::MouseMove, {130, 12}, Qt::LeftButton);  // out of the control
  mouse(QEvent::MouseMove, {100, 40}, Qt::LeftButton);  // back in
  mouse(QEvent::MouseButtonRelease, {100, 40}, Qt::NoButton);
  mouse(QEvent::MouseMove, {90, 40}, Qt::NoButton);
  ASSERT_EQ(reports.size(), 4u);
  const Report want[] = {{10, 10, vb::vbEnter}, {20, 12, vb::vbOver}, {130, 12, vb::vbLeave},
                         {100, 40, vb::vbEnter}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(reports[i].x, want[i].x * tpp);
    EXPECT_FLOAT_EQ(reports[i].y, want[i].y * tpp);
    EXPECT_EQ(reports[i].state, want[i].state);
  }
}

}  // namespace
