// labels: e2e x11
// libs: X11
// The viewer program itself, started as the conversion program starts it (its path and the
// picture's, each in quotes), watched and driven on the X display.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <string>

#include "platform/fs.h"
#include "runtime/shell.h"
#include "support/WindowManager.h"
// After the Qt headers: X11 defines names that Qt uses.
#include "support/ViewerWindow.h"
#include "support/paths.h"

namespace {

using testsupport::Gone;
using testsupport::TempDir;
using testsupport::ViewerWindow;

void Copy(const std::string& from, const std::string& to) {
  ASSERT_TRUE(QFile::copy(QString::fromStdString(from), QString::fromStdString(to))) << from;
}

TEST(ViewerProgram, StartedWithAGifShowsItAtItsSizeStepsThroughItsFolderAndSavesAtExit) {
  TempDir app("viewer-app"), pics("viewer-road");
  const std::string viewer = app.file("Fenwo.Lumtak.exe");
  Copy(testsupport::appDir() + "/Fenwo.Lumtak.exe", viewer);
  Copy(testsupport::media("anim.gif"), pics.file("anim.gif"));         // 160 x 120
  Copy(testsupport::media("pictures/png/p1.png"), pics.file("p1.png"));  // 120 x 90
  ASSERT_TRUE(QImage(200, 50, QImage::Format_RGB32).save(QString::fromStdString(pics.file("q.jpg"))));

  const long pid = long(vb::Shell("\"" + viewer + "\" \"" + pics.file("anim.gif") + "\"",
                                  vb::vbNormalFocus));
  ASSERT_GT(pid, 0);
  ViewerWindow w(pid);
  ASSERT_TRUE(w.WaitFor(160)) << w.Title() << " " << w.Width();
  EXPECT_EQ(w.Title(), " Fenwo.Lumtak  1.6.6  - 100 %");
  EXPECT_TRUE(win::IsFile(app.file("harrow.cur")));

  w.Key(XK_Next);
  EXPECT_TRUE(w.WaitFor(120)) << "Page Down shows p1.png";
  w.Key(XK_Next);
  EXPECT_TRUE(w.WaitFor(200)) << "Page Down shows q.jpg";
  // The viewer lets waiting events run before it acts on a key: a person's pace (each key
  // once the viewer is done with the last) keeps the keys in their order.
  w.Key(XK_Next);
  ASSERT_TRUE(w.Settle());
  EXPECT_EQ(w.Width(), 200) << "no wrap at the end";
  w.Key(XK_Home);
  EXPECT_TRUE(w.WaitFor(160)) << "Home shows anim.gif again";

  w.Close();
  ASSERT_TRUE(Gone(pid, 10000));
  EXPECT_FALSE(win::IsFile(app.file("harrow.cur")));
  const std::string ini = testsupport::readFile(app.file("Fenwo.Lumtak.ini"));
  EXPECT_EQ(ini.substr(0, 9), "MainLeft=") << ini;
  EXPECT_NE(ini.find("\r\nLanguage="), std::string::npos) << ini;
}

// A camera's folder as Linux users have it: names in any case are stepped through by Page Up,
// Page Down, Home and End typed on the keyboard (no window manager, and openbox); a hidden
// picture is never reached.
class ViewerMixedCase : public ::testing::TestWithParam<bool> {};

TEST_P(ViewerMixedCase, KeysStepThroughNamesInAnyCase) {
  testsupport::WindowManager wm;
  if (GetParam()) wm.Start();
  if (IsSkipped() || HasFatalFailure()) return;
  TempDir app("viewer-app"), pics("viewer-case");
  const std::string viewer = app.file("Fenwo.Lumtak.exe");
  Copy(testsupport::appDir() + "/Fenwo.Lumtak.exe", viewer);
  struct Pic { const char* name; int width; const char* format; };
  for (const Pic& p : {Pic{".a.png", 260, "PNG"}, Pic{"a.PNG", 200, "PNG"}, Pic{"B.jpg", 210, "JPG"},
                       Pic{"b.JPG", 220, "JPG"}, Pic{"C.Jpeg", 230, "JPG"}, Pic{"d.Bmp", 240, "BMP"}}) {
    QImage img(p.width, 50, QImage::Format_RGB32);
    img.fill(Qt::gray);
    ASSERT_TRUE(img.save(QString::fromStdString(pics.file(p.name)), p.format)) << p.name;
  }

  const long pid = long(vb::Shell("\"" + viewer + "\" \"" + pics.file("B.jpg") + "\"", vb::vbNormalFocus));
  ASSERT_GT(pid, 0);
  ViewerWindow w(pid);
  ASSERT_TRUE(w.WaitFor(210)) << w.Title() << " " << w.Width();
  struct Step { const char* key; int width; };
  for (const Step& s : {Step{"Next", 220}, Step{"Next", 230}, Step{"End", 240}, Step{"Next", 240},
                        Step{"Home", 200}, Step{"Prior", 200}, Step{"Next", 210}, Step{"Prior", 200}}) {
    ASSERT_TRUE(w.TypeKey(s.key)) << "xdotool";
    ASSERT_TRUE(w.Settle());
    EXPECT_TRUE(w.WaitFor(s.width)) << s.key << " should show the picture " << s.width << " wide, not "
                                    << w.Width();
  }
  w.Close();
  ASSERT_TRUE(Gone(pid, 10000));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ViewerMixedCase, ::testing::Values(false, true));

}  // namespace
