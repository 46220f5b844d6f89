// labels: gui
// The main window of the conversion program: settings file, language switch, exit question,
// caption buttons and the developer-console question.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/CommDialog.h"
#include "foundation/frmAbout.h"
#include "foundation/frmOutput.h"
#include "foundation/mdlGetCmdOutput.h"
#include "platform/shellexec.h"
#include "platform/window.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/resources.h"
#include "runtime/strings.h"
#include "runtime/screen.h"
#include "support/paths.h"

namespace {

using zantiro::frmMain;
using zantiro::frmOptions;
using zantiro::frmSplash;
namespace fs = std::filesystem;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // The instance lock and link of the user, apart from a running program's.
    const std::string run = std::string(FENWO_BUILD_DIR) + "/test-run";
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    setenv("LC_ALL", "C", 1);
    vb::App::SetPathForTests(app_.path());
    vb::SetBoxHook([this](const vb::BoxCall& call) {
      boxes.push_back(call);
      return vb::BoxAnswer{answer, ""};
    });
  }
  void TearDown() override {
    frmOptions::Release();
    frmSplash::Release();
    frmMain::Release();
    vb::SetBoxHook({});
    vb::App::SetPathForTests("");
    mdlFenwoZantiro::MainActivated = false;
    mdlFenwoZantiro::ShowConsole = false;
    mdlGetCmdOutput::StopRequested = false;
  }
  std::string ini() const { return app_.file("Fenwo.Zantiro.ini"); }
  frmMain& Start() {
    frmMain& m = frmMain::Default();
    m.Show();
    return m;
  }
  // A position in twips as the window can take it: whole pixels.
  static float OnPixels(double twips) {
    const int t = vb::Screen::TwipsPerPixelX();
    return static_cast<float>(std::lround(twips / t) * t);
  }

  testsupport::TempDir app_{"app"};
  std::vector<vb::BoxCall> boxes;
  int answer = vb::vbYes;
};

// ---------------------------------------------------------------------------------------
// Settings file

TEST_F(MainWindow, SettingsLinesAreReadByTheirRules) {
  // The system language would be gb: a table entry ending in gb without a Language line
  // shows the fallback was taken.
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  constexpr double kCentre = -1, kFar = 1e9;
  struct Case {
    std::string file;
    double left, top;
    const char* language;
  };
  // Many language lines: the last one with a table wins.
  std::string many;
  for (int i = 0; i < 10000; ++i) many += i % 2 ? "Language=gb\r\n" : "Language=en\r\n";
  const std::vector<Case> cases = {
      {many + "Language=tw\r\nLanguage=xx\r\n", kCentre, kCentre, "tw"},
      {"MainLeft=1500\r\nMainTop=900\r\nLanguage=en\r\n", 1500, 900, "en"},
      {"mainleft=1500\r\nMAINTOP=900\r\n", 1500, 900, "gb"},           // keys in any case
      {"MainLeft =1500\r\n", kCentre, kCentre, "gb"},                  // blank before "="
      {"   MainLeft=  1500  \r\n", 1500, kCentre, "gb"},               // blanks around
      {"MainLeft=1500abc\r\nMainTop=xyz\r\n", 1500, 0, "gb"},         // leading number, or 0
      {"MainLeft=-500\r\nMainTop=-1\r\n", 0, 0, "gb"},                 // kept on the screen
      {"MainLeft=99999999\r\nMainTop=99999999\r\n", kFar, kFar, "gb"}, // against the far edges
      {"MainLeft=300\r\nMainLeft=1200\r\n", 1200, kCentre, "gb"},     // the later line wins
      {"Language=gb\r\nLanguage=en\r\n", kCentre, kCentre, "en"},
      {"Language=tw\r\n", kCentre, kCentre, "tw"},                     // no fallback after it
      {"MainLeft=1500\nMainTop=900\nLanguage=en\n", 1500, 900, "en"},  // LF line ends
      {"no equals sign\r\n=\r\nLanguage\r\n", kCentre, kCentre, "gb"},
      {"Language=xx\r\n", kCentre, kCentre, "gb"},  // no such table: the system language
  };
  for (const Case& c : cases) {
    testsupport::writeFile(ini(), c.file);
    frmMain& m = Start();
    auto expect = [](double v, double size, double screen) {
      if (v == kCentre) return OnPixels((screen - size) / 2);
      if (v == kFar) return OnPixels(screen - size);
      return OnPixels(v);
    };
    EXPECT_EQ(m.Left(), expect(c.left, m.Width(), vb::Screen::Width())) << c.file;
    EXPECT_EQ(m.Top(), expect(c.top, m.Height(), vb::Screen::Height())) << c.file;
    EXPECT_EQ(m.mnuLanguage.Tag(), c.language) << c.file;
    EXPECT_EQ(testsupport::readFile(ini()), c.file) << "an existing file is not rewritten";
    frmSplash::Release();
    frmMain::Release();
  }
}

TEST_F(MainWindow, FirstStartCentresAndWritesExactlyThreeLines) {
  ASSERT_FALSE(fs::exists(ini()));
  frmMain& m = Start();
  EXPECT_EQ(m.Left(), OnPixels((vb::Screen::Width() - m.Width()) / 2));
  EXPECT_EQ(m.Top(), OnPixels((vb::Screen::Height() - m.Height()) / 2));
  EXPECT_EQ(testsupport::readFile(ini()), "MainLeft=" + vb::CStr(m.Left()) + "\r\nMainTop=" +
                                              vb::CStr(m.Top()) + "\r\nLanguage=en\r\n");
}

TEST_F(MainWindow, UnwritableSettingsFileIsNoError) {
  fs::create_directory(ini());  // a folder where the file would go: it cannot be read or written
  frmMain& m = Start();
  EXPECT_EQ(m.Left(), OnPixels((vb::Screen::Width() - m.Width()) / 2));
  EXPECT_EQ(m.mnuLanguage.Tag(), "en");
  EXPECT_TRUE(vb::Unload(m));
  EXPECT_TRUE(fs::is_directory(ini()));
  EXPECT_TRUE(boxes.size() == 1) << "only the exit question";
}

TEST_F(MainWindow, StartUpPreparesTheWindow) {
  frmMain& m = Start();
  EXPECT_EQ(m.Caption(), "Fenwo.Zantiro");
  EXPECT_EQ(win::GetWindowLongA(m.hWnd(), win::GWL_STYLE) & ~int32_t(win::WS_VISIBLE), 0x6000000);
  EXPECT_EQ(m.ScaleWidth(), 460);
  EXPECT_EQ(m.ScaleHeight(), 340);
  EXPECT_EQ(m.lblVer.Caption(), "1.6.8");
  EXPECT_FALSE(m.cmdEncode(1).Visible());
  EXPECT_TRUE(m.cmdEncode(0).Visible());
  // The progress box works in its own scale: 100 across, 20 down.
  EXPECT_EQ(m.picProgress.ScaleWidth(), 100);
  EXPECT_FALSE(m.shpProgress.Visible());
  EXPECT_EQ(m.shpProgress.Left(), -1);
  EXPECT_EQ(m.shpProgress.Height(), 20);
  EXPECT_EQ(m.lblProgress.Width(), 100);
  EXPECT_NEAR(m.lblProgress.Top(), (20 - m.lblProgress.Height()) / 2, 0.5);
  EXPECT_EQ(objDialog().FlagsOpen, 0x81004);
  EXPECT_EQ(objDialog().FlagsSave, 6);
  EXPECT_EQ(objDialog().hwndOwner, m.hWnd());
  EXPECT_EQ(m.HelpPath, app_.path() + "/help.chm");
  EXPECT_TRUE(m.lblButton(0).MouseIcon());
  EXPECT_TRUE(m.cmdInput.MouseIcon());
  EXPECT_TRUE(frmSplash::Default().Loaded());
  EXPECT_EQ(m.Picture().PixelWidth(), 460);
  EXPECT_EQ(m.Picture().PixelHeight(), 340);
}

// ---------------------------------------------------------------------------------------
// Exit

TEST_F(MainWindow, ExitQuestionNoKeepsEverythingYesWritesTheMomentsSettings) {
  frmMain& m = Start();
  fs::remove(ini());
  answer = vb::vbNo;
  EXPECT_FALSE(vb::Unload(m));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "Exit Fenwo.Zantiro ?");
  EXPECT_EQ(boxes[0].buttons & 7, vb::vbYesNo);
  EXPECT_TRUE(m.Loaded());
  EXPECT_FALSE(fs::exists(ini()));

  m.Move(OnPixels(600), OnPixels(450));
  m.mnuLngGB.Click();
  const float left = m.Left(), top = m.Top();
  answer = vb::vbYes;
  EXPECT_TRUE(vb::Unload(m));
  EXPECT_FALSE(m.Loaded());
  EXPECT_EQ(boxes[1].prompt, "要退出 Fenwo.Zantiro 吗？");
  EXPECT_EQ(testsupport::readFile(ini()),
            "MainLeft=" + vb::CStr(left) + "\r\nMainTop=" + vb::CStr(top) + "\r\nLanguage=gb\r\n");
  EXPECT_FALSE(frmSplash::Default().Loaded());
}

// Yes while a conversion runs stops it first; the window closes once the run has ended.
TEST_F(MainWindow, ExitDuringAConversionStopsItThenCloses) {
  frmMain& m = Start();
  fs::remove(ini());
  m.cmdEncode(1).Visible(true);  // what the conversion shows while it runs
  m.lblButton(3).Click();
  EXPECT_TRUE(boxes.empty()) << "the close caption button does nothing during a conversion";

  EXPECT_FALSE(vb::Unload(m, vb::vbFormControlMenu));  // a close request from the system
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(mdlGetCmdOutput::StopRequested);
  QTest::qWait(300);
  EXPECT_TRUE(m.Loaded()) << "still running";
  m.cmdEncode(1).Visible(false);  // the run has ended
  EXPECT_TRUE(QTest::qWaitFor([&] { return !m.Loaded(); }, 10000));
  EXPECT_EQ(boxes.size(), 1u) << "asked once";
  EXPECT_TRUE(fs::exists(ini()));
}

// ---------------------------------------------------------------------------------------
// Caption buttons, hover banner, console question

TEST_F(MainWindow, CaptionButtonsMinimiseAndClose) {
  frmMain& m = Start();
  m.lblButton(2).Click();
  EXPECT_EQ(m.WindowState(), vb::vbMinimized);
  m.WindowState(vb::vbNormal);
  answer = vb::vbNo;
  m.lblButton(3).Click();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(m.Loaded());
}

TEST_F(MainWindow, BannerShowsNearTheTopAndHidesOverThePathLabels) {
  frmMain& m = Start();
  m.MouseMove(0, 0, 100, 10);
  EXPECT_TRUE(m.picPopSay.Visible());
  m.lblInput.MouseMove(0, 0, 5, 5);
  EXPECT_FALSE(m.picPopSay.Visible());
  m.MouseMove(0, 0, 100, 10);
  m.MouseMove(vb::vbRightButton, 0, 100, 200);  // moves with another button change nothing
  EXPECT_TRUE(m.picPopSay.Visible());
  m.MouseMove(0, 0, 100, 0.9f * m.cmdInput.Top());
  EXPECT_FALSE(m.picPopSay.Visible());
}

TEST_F(MainWindow, RightClickAsksForTheConsoleOnlyWithTheDeveloperIcon) {
  frmMain& m = Start();
  m.MouseDown(vb::vbRightButton, 0, 50, 50);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(mdlFenwoZantiro::ShowConsole);

  testsupport::writeFile(app_.file("Quorvane.ico"), "");
  m.MouseDown(vb::vbRightButton, 0, 50, 50);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "是否開啟 Dos 輸出視窗？");
  EXPECT_TRUE(mdlFenwoZantiro::ShowConsole);
  EXPECT_TRUE(frmOutput::Default().Visible());
  answer = vb::vbNo;
  m.MouseDown(vb::vbRightButton, 0, 50, 50);
  EXPECT_FALSE(mdlFenwoZantiro::ShowConsole);
  EXPECT_FALSE(frmOutput::Default().Visible());
  vb::Unload(frmOutput::Default());
}

// ---------------------------------------------------------------------------------------
// Language

std::string Table(const std::string& code, int n) {
  const auto bytes = vb::LoadResData(code, "CUSTOM");
  const std::string text(bytes.begin(), bytes.end());
  char key[8];
  std::snprintf(key, sizeof key, "\r\n%03d=", n);
  const size_t at = text.find(key) + 6;
  return vb::Replace(text.substr(at, text.find("\r\n", at) - at), "\\n", "\r\n");
}

// A copy of a TrueType font whose family is named `family`: a new name table at its end.
QByteArray RenamedFont(const std::string& file, const std::string& family) {
  QByteArray font = QByteArray::fromStdString(testsupport::readFile(file));
  auto u16 = [&](int at) { return (uint8_t(font[at]) << 8) | uint8_t(font[at + 1]); };
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) font[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
  };
  const QString name = QString::fromStdString(family);
  QByteArray utf16;
  for (QChar c : name) utf16.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
  const QByteArray regular("\0R\0e\0g\0u\0l\0a\0r", 14), ps("TestFace");
  struct Rec { int platform, encoding, language, id; QByteArray text; };
  const std::vector<Rec> recs = {{1, 0, 0, 1, ps}, {1, 0, 0, 6, ps}, {3, 1, 0x409, 1, utf16},
                                 {3, 1, 0x409, 2, regular}, {3, 1, 0x409, 4, utf16}};
  QByteArray table, strings;
  auto add16 = [&](int v) { table.append(char(v >> 8)).append(char(v & 0xFF)); };
  add16(0);
  add16(int(recs.size()));
  add16(6 + 12 * int(recs.size()));
  for (const Rec& r : recs) {
    add16(r.platform), add16(r.encoding), add16(r.language), add16(r.id);
    add16(int(r.text.size())), add16(int(strings.size()));
    strings.append(r.text);
  }
  table.append(strings);
  while (font.size() % 4) font.append('\0');
  const int tables = u16(4);
  for (int i = 0; i < tables; ++i) {
    const int rec = 12 + 16 * i;
    if (font.mid(rec, 4) == "name") {
      put32(rec + 8, uint32_t(font.size()));
      put32(rec + 12, uint32_t(table.size()));
    }
  }
  font.append(table);
  return font;
}


TEST_F(MainWindow, TraditionalToEnglishAndBackRestoresCaptionsAndFonts) {
  const std::string kaiti = "標楷體";
  struct Look {
    std::vector<std::string> captions;
    std::vector<float> sizes;
    std::vector<bool> checked;
    std::string buttonFont;
  };
  auto look = [](frmMain& m) {
    return Look{{m.cmdInput.Caption(), m.cmdOutput.Caption(), m.cmdEncode(0).Caption(),
                 m.cmdEncode(1).Caption(), m.cmdOpt.Caption(), m.cmdResetFps.Caption(),
                 m.lblProgress.Caption(), m.lblInput.Caption(), m.lblOutput.Caption(),
                 m.lblSay.Caption(), m.mnuSrcIsFile.Caption(), m.mnuSrcIsFileTo(1).Caption(),
                 m.mnuElseFuc1(6).Caption(), m.mnuSrcISFolderTo(3).Caption(),
                 m.mnuElseFuc2(0).Caption(), m.mnuMoney.Caption(), m.mnuAbout.Caption(),
                 m.mnuCoopAds.Caption(), m.mnuDlFamily(0).Caption()},
                {m.cmdInput.Font().Size, m.cmdEncode(0).Font().Size, m.cmdEncode(1).Font().Size,
                 m.cmdResetFps.Font().Size, m.lblSay.Font().Size},
                {m.mnuLngEN.Checked(), m.mnuLngTW.Checked(), m.mnuLngGB.Checked()},
                m.cmdOpt.Font().Name};
  };
  auto roundTrip = [&](bool withFont) {
    testsupport::writeFile(ini(), "Language=tw\r\n");
    frmMain& m = Start();
    const Look tw = look(m);
    EXPECT_EQ(tw.captions[0], Table("TW", 11));
    EXPECT_EQ(tw.captions[7], Table("TW", 17));
    EXPECT_EQ(tw.captions[11], vb::Replace(Table("TW", 121), "aaa", "JPG"));
    EXPECT_EQ(tw.checked, (std::vector<bool>{false, true, false}));
    if (withFont) {
      EXPECT_EQ(tw.buttonFont, kaiti);
      EXPECT_EQ(tw.sizes, (std::vector<float>{16, 14, 14, 13, 13}));
      EXPECT_EQ(m.lblSay.Font().Name, kaiti);
    } else {
      EXPECT_NE(tw.buttonFont, kaiti);
      EXPECT_EQ(tw.sizes, (std::vector<float>{14, 12, 12, 10, 10}));
    }

    m.mnuLngEN.Click();
    const Look en = look(m);
    EXPECT_EQ(en.captions, (std::vector<std::string>{
                               "Source File", "Target File", "Encode Now", "Stop Now", "Options",
                               "Reset", "Progress 0 %", "Please appoint the Source File",
                               "Please appoint the Target File", "Orbeck' Blog welcome you",
                               "Choose a movie file, or Animated GIF", "encode to JPG pics series",
                               "encode to music MP3",
                               "Choose a folder with PNG pics, encode to Animated GIF",
                               "Choose a folder with pics, encode to movie MPG", "Donation  ....",
                               "About ....", "Ads Cooperation Proposals", "Download Fenwo.Quellan"}));
    EXPECT_EQ(en.sizes, (std::vector<float>{11, 10, 10, 10, 10}));
    EXPECT_EQ(en.checked, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(m.mnuLanguage.Tag(), "en");
    EXPECT_EQ(frmOptions::Default().lblMark(1).Caption(), "Mark Out");
    EXPECT_EQ(frmOptions::Default().lblBrightness.Caption(), "Brightness = 0");

    m.mnuLngTW.Click();
    const Look back = look(m);
    EXPECT_EQ(back.captions, tw.captions);
    EXPECT_EQ(back.sizes, tw.sizes);
    EXPECT_EQ(back.checked, tw.checked);
    EXPECT_EQ(back.buttonFont, tw.buttonFont);
    frmOptions::Release();
    frmSplash::Release();
    frmMain::Release();
  };

  ASSERT_FALSE(QFontDatabase::hasFamily(QString::fromStdString(kaiti)));
  roundTrip(false);
  const int id = QFontDatabase::addApplicationFontFromData(
      RenamedFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", kaiti));
  ASSERT_GE(id, 0);
  ASSERT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(kaiti)));
  roundTrip(true);
  QFontDatabase::removeApplicationFont(id);
}

TEST_F(MainWindow, ChosenSourceKeepsItsPathAcrossASwitch) {
  frmMain& m = Start();
  const std::string clip = testsupport::media("clip.avi");
  m.lblInput.Caption(clip);
  m.lblOutput.Caption("/tmp/out.gif");
  m.mnuLngGB.Click();
  EXPECT_EQ(m.lblInput.Caption(), clip);
  EXPECT_EQ(m.lblOutput.Caption(), "/tmp/out.gif");
  m.lblInput.Caption("/no/such/file.avi");
  m.mnuLngEN.Click();
  EXPECT_EQ(m.lblInput.Caption(), "Please appoint the Source File");
  EXPECT_EQ(m.lblOutput.Caption(), "Please appoint the Target File");
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------
// About and console windows

TEST_F(MainWindow, AboutWindowPlacesItsLinksRightOfTheNewLeadIns) {
  frmMain& m = Start();
  std::map<std::string, float> linkLeft;
  for (const char* code : {"en", "tw"}) {
    (std::string(code) == "en" ? m.mnuLngEN : m.mnuLngTW).Click();
    bool seen = false;
    QTimer::singleShot(0, [&] {
      frmAbout& a = frmAbout::Default();
      seen = a.Visible();
      EXPECT_EQ(a.lblWebTxt.Caption(), mdlFenwoZantiro::LngText[113]) << code;
      EXPECT_EQ(a.lblMailTxt.Caption(), mdlFenwoZantiro::LngText[114]) << code;
      // 5 twips and a blank (75) after the lead-in.
      EXPECT_NEAR(a.lblHomepage.Left(), a.lblWebTxt.Left() + a.lblWebTxt.Width() + 80, 15) << code;
      EXPECT_NEAR(a.lblMail.Left(), a.lblMailTxt.Left() + a.lblMailTxt.Width() + 80, 15) << code;
      linkLeft[code] = a.lblHomepage.Left();
      vb::Unload(a);
    });
    m.mnuAbout.Click();  // modal: returns when the window is unloaded
    EXPECT_TRUE(seen);
  }
  EXPECT_NE(linkLeft["en"], linkLeft["tw"]) << "the lead-ins differ in length";
}

TEST_F(MainWindow, ConsoleWindowKeepsItsLowerBoxAtHeightZeroOrMore) {
  frmMain& m = Start();
  testsupport::writeFile(app_.file("Quorvane.ico"), "");
  m.MouseDown(vb::vbRightButton, 0, 50, 50);
  frmOutput& o = frmOutput::Default();
  ASSERT_TRUE(o.Visible());
  const float upper = o.txtOutputSpec.Height();
  o.Move(o.Left(), o.Top(), 6000, 4000);
  QTest::qWait(50);
  EXPECT_NEAR(o.txtOutput.Top(), upper + 2, 15);
  EXPECT_NEAR(o.txtOutput.Height(), o.ScaleHeight() - upper - 2, 15);
  EXPECT_NEAR(o.txtOutputSpec.Width(), o.ScaleWidth(), 15);
  o.Move(o.Left(), o.Top(), 3000, upper / 2);  // lower than the upper box
  QTest::qWait(50);
  EXPECT_GE(o.txtOutput.Height(), 0);
  EXPECT_EQ(o.txtOutputSpec.Height(), upper);
  vb::Unload(o);
  EXPECT_FALSE(mdlFenwoZantiro::ShowConsole) << "closing the console switches it off";
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------
// Help menu and web pages

TEST_F(MainWindow, HelpOpensTheHelpFileOrSaysItIsMissingAndPagesGoToTheShell) {
  std::vector<std::string> opened;
  win::SetShellExecuteHook([&](const std::string& verb, const std::string& file) {
    opened.push_back(verb + " " + file);
    return std::intptr_t{42};
  });
  frmMain& m = Start();
  m.mnuHelp.Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "Can't find the Help of Fenwo.Zantiro !");
  EXPECT_TRUE(opened.empty());

  testsupport::writeFile(app_.file("help.chm"), "help");
  m.mnuHelp.Click();
  m.mnuNotice.Click();
  m.lblSay.Click();
  answer = vb::vbCancel;
  m.mnuCoopAds.Click();
  answer = vb::vbOK;
  m.mnuCoopAds.Click();
  win::SetShellExecuteHook({});
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[0], "open " + app_.file("help.chm"));
  EXPECT_EQ(opened[1].substr(opened[1].size() - 19), "software/notice.htm");
  EXPECT_EQ(opened[3].find("mailto:"), opened[3].find(' ') + 1);
  EXPECT_EQ(boxes.back().title, "Fenwo.Zantiro");
}

// The language switch copies the chosen language's help file over help.chm.
TEST_F(MainWindow, LanguageSwitchCopiesItsHelpFile) {
  fs::create_directories(app_.file("help"));
  testsupport::writeFile(app_.file("help/help_gb.chm"), "gb help");
  frmMain& m = Start();
  EXPECT_FALSE(fs::exists(app_.file("help.chm"))) << "no English help file to copy";
  m.mnuLngGB.Click();
  EXPECT_EQ(testsupport::readFile(app_.file("help.chm")), "gb help");
  m.mnuLngEN.Click();
  EXPECT_EQ(testsupport::readFile(app_.file("help.chm")), "gb help") << "a missing one leaves the old";
}

}  // namespace
