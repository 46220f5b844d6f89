// labels: gui
// The about, donation and console windows, and the window helpers of the shared module.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWidget>

#include "foundation/frmAbout.h"
#include "foundation/frmMoney.h"
#include "foundation/frmOutput.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlGetCmdOutput.h"
#include "platform/fs.h"
#include "platform/shellexec.h"
#include "platform/window_qt.h"
#include "support/paths.h"

namespace {

using mdlFenwoZantiro::LngText;

// Records what would have been opened with the desktop's handler.
class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetShellExecuteHook([this](const std::string& verb, const std::string& file) {
      opened.push_back(verb + " " + file);
      return std::intptr_t{42};
    });
  }
  void TearDown() override {
    win::SetShellExecuteHook({});
    frmAbout::Release();
    frmMoney::Release();
    frmOutput::Release();
    mdlFenwoZantiro::ShowConsole = false;
  }
  std::vector<std::string> opened;
};

void english() {
  LngText[28] = "OK";
  LngText[109] = "Version aaa";
  LngText[110] = "Play Movie";
  LngText[111] = "Encode pics";
  LngText[112] = "Copyright";
  LngText[113] = "Homepage";
  LngText[114] = "E-Mail";
  LngText[115] = "E-Mail";
  LngText[136] = "Thank you";
  LngText[137] = "PayPal : someone\r\nE-Mail : someone";
}

TEST_F(Windows, AboutShowsTheLanguageInForceWithItsLinksAfterTheLeadIns) {
  english();
  frmAbout& about = frmAbout::Default();
  vb::Load(about);
  EXPECT_EQ(about.Caption(), " About Fenwo.Zantiro");
  EXPECT_EQ(about.lblVersion.Caption(), "Version 1.6.8");
  EXPECT_EQ(about.lblTitle.Caption(), "Fenwo.Zantiro");
  EXPECT_EQ(about.lblTitleNote(1).Caption(), "Encode pics");
  EXPECT_EQ(about.cmdOK.Caption(), "OK");
  const float englishLink = about.lblHomepage.Left();
  // Places are whole pixels (15 twips here); a link stands 5 twips and a blank (75) after its lead-in.
  constexpr float kGap = 80;
  EXPECT_NEAR(englishLink, about.lblWebTxt.Left() + about.lblWebTxt.Width() + kGap, 15);
  EXPECT_NEAR(about.lblMail.Left(), about.lblMailTxt.Left() + about.lblMailTxt.Width() + kGap, 15);
  EXPECT_FALSE(about.lblHomepage.MouseIcon().IsNothing());

  about.lblHomepage.Click();
  about.lblMail.Click();
  EXPECT_EQ(opened, (std::vector<std::string>{"open https://fenwo.example.org/index.html",
                                              "open mailto:merrowin@fenwo.example.org"}));
  about.cmdOK.Click();
  EXPECT_FALSE(about.Loaded());

  // After a switch to a language with a longer lead-in, the next opening follows it.
  LngText[113] = "Home page of the program";
  vb::Load(about);
  EXPECT_EQ(about.lblWebTxt.Caption(), "Home page of the program");
  EXPECT_GT(about.lblHomepage.Left(), englishLink);
  EXPECT_NEAR(about.lblHomepage.Left(), about.lblWebTxt.Left() + about.lblWebTxt.Width() + kGap, 15);
  vb::Unload(about);
}

TEST_F(Windows, TheViewersAboutAndDonationWindows) {
  LngText[11] = "OK";
  LngText[27] = "Version aaa";
  LngText[31] = "Homepage";
  LngText[33] = "Mail";
  LngText[42] = "Please";
  LngText[43] = "Details";
  frmAbout about(frmAbout::Lumtak);
  vb::Load(about);
  EXPECT_EQ(about.Caption(), " About Fenwo.Lumtak");
  EXPECT_EQ(about.lblTitle.Caption(), "Fenwo.Lumtak");
  EXPECT_EQ(about.lblVersion.Caption(), "Version 1.6.6");
  EXPECT_EQ(about.lblWebTxt.Caption(), "Homepage");
  vb::Unload(about);

  frmMoney money(frmMoney::Lumtak);
  vb::Load(money);
  EXPECT_EQ(money.txtMoney.Text(), "Details");
  EXPECT_EQ(money.lblDonation.Caption(), "Please");
  EXPECT_EQ(money.lblMailTxt.Caption(), "Mail");
  EXPECT_EQ(money.cmdOK.Caption(), "OK");
  vb::Unload(money);
}

TEST_F(Windows, Donation) {
  english();
  frmMoney& money = frmMoney::Default();
  vb::Load(money);
  EXPECT_EQ(money.txtMoney.Text(), LngText[137]);
  EXPECT_EQ(money.lblDonation.Caption(), "Thank you");
  EXPECT_EQ(money.lblMailTxt.Caption(), "E-Mail");
  money.lblMail.Click();
  EXPECT_EQ(opened, std::vector<std::string>{"open mailto:merrowin@fenwo.example.org"});
  money.cmdOK.Click();
  EXPECT_FALSE(money.Loaded());
}

TEST_F(Windows, ConsoleLayoutAndClosing) {
  frmOutput& out = frmOutput::Default();
  out.Move(3000, 2000);
  out.Show();
  EXPECT_EQ(out.txtOutput.Text(), "");
  EXPECT_FLOAT_EQ(out.Left(), 0);
  EXPECT_FLOAT_EQ(out.Top(), 0);

  const float specHeight = out.txtOutputSpec.Height();
  out.Move(0, 0, 6000, 5000);
  EXPECT_FLOAT_EQ(out.txtOutputSpec.Width(), out.ScaleWidth());
  EXPECT_FLOAT_EQ(out.txtOutputSpec.Height(), specHeight);
  EXPECT_NEAR(out.txtOutput.Top(), specHeight + 2, 15);
  EXPECT_NEAR(out.txtOutput.Height(), out.ScaleHeight() - specHeight - 2, 15);
  // Lower than the upper box: the lower one has no height, not a negative one.
  out.Height(specHeight / 2);
  EXPECT_GE(out.txtOutput.Height(), 0);
  EXPECT_LT(out.txtOutput.Height(), 15);

  mdlFenwoZantiro::ShowConsole = true;
  vb::Unload(out);
  EXPECT_FALSE(mdlFenwoZantiro::ShowConsole);
}

TEST_F(Windows, EngineRunsAreMirroredWhileTheConsoleIsOn) {
  testsupport::TempDir dir;
  const std::string engine = testsupport::writeFile(dir.file("engine"), "#!/bin/sh\nprintf 'ID_LENGTH=4.00\\n'\n");
  ::chmod(engine.c_str(), 0755);
  std::string line = engine + " -identify";
  mdlFenwoZantiro::ShowConsole = true;
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(line, false), "ID_LENGTH=4.00\r\n");
  frmOutput& out = frmOutput::Default();
  EXPECT_TRUE(out.Visible());
  EXPECT_EQ(out.txtOutputSpec.Text(), "目前的路徑 = " + win::GetCurrentDirectoryA() + "\r\n" + line);
  EXPECT_EQ(out.txtOutput.Text(), "ID_LENGTH=4.00\r\n");

  // A flood of status lines: the console keeps the end of it.
  const std::string status = "V:   1.0  25/ 25 ??% ??% ??,?% 0 0 \033[J\r";
  std::string flood = testsupport::writeFile(
      dir.file("flood"), "#!/bin/sh\nyes '" + status + "' | tr -d '\\n' | head -c 5000000; printf 'Exiting...'\n");
  ::chmod(flood.c_str(), 0755);
  bool show = false;
  mdlGetCmdOutput::RunEncode(flood, 0, 4, show);
  const std::string text = out.txtOutput.Text();
  EXPECT_LT(text.size(), 70000u);  // 64 KiB, with the text box's own line ends
  EXPECT_GT(text.size(), 60000u);
  EXPECT_EQ(text.substr(text.size() - 10), "Exiting...");
  // Kept at its end, with a scroll bar to go back.
  auto* box = qobject_cast<QPlainTextEdit*>(out.txtOutput.Widget());
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->verticalScrollBar()->isVisibleTo(box));
  EXPECT_GT(box->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(box->textCursor().position(), box->document()->characterCount() - 1);
  EXPECT_TRUE(box->viewport()->rect().contains(box->cursorRect())) << "the caret at the end is in sight";
  // The status lines without the engine's terminal codes.
  EXPECT_EQ(text.find('\033'), std::string::npos);
  EXPECT_NE(text.find("V:   1.0  25/ 25 ??% ??% ??,?% 0 0 "), std::string::npos);
  EXPECT_EQ(out.txtOutputSpec.Text().substr(out.txtOutputSpec.Text().size() - flood.size()), flood);

  // Closed: the next runs are not mirrored and do not bring it back.
  vb::Unload(out);
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(line, false), "ID_LENGTH=4.00\r\n");
  EXPECT_FALSE(out.Visible());
}

TEST_F(Windows, TransparencyAndTopMostPlacement) {
  vb::Form form;
  form.Show();
  const int32_t h = form.hWnd();
  QWidget* w = win::WindowWidget(h);
  ASSERT_NE(w, nullptr);
  const int32_t before = win::GetWindowLongA(h, win::GWL_EXSTYLE);

  mdlFenwoZantiro::SetWindowTrans(h, -1, 128, 0);
  EXPECT_TRUE(win::GetWindowLongA(h, win::GWL_EXSTYLE) & static_cast<int32_t>(win::WS_EX_LAYERED));
  EXPECT_NEAR(w->windowOpacity(), 128 / 255.0, 0.01);
  mdlFenwoZantiro::SetWindowTrans(h, -1, 255, 0);
  EXPECT_NEAR(w->windowOpacity(), 1.0, 0.01);
  mdlFenwoZantiro::SetWindowTrans(h, -1, -1, before == 0 ? 0x100 : before);  // puts a saved style back
  EXPECT_EQ(win::GetWindowLongA(h, win::GWL_EXSTYLE), before == 0 ? 0x100 : before);

  mdlFenwoZantiro::SetTopMost(form, true);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  mdlFenwoZantiro::SetTopMost(form, false);
  EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  vb::Unload(form);

  mdlFenwoZantiro::OpenURL("mailto:someone@fenwo.example.org");
  EXPECT_EQ(opened, std::vector<std::string>{"open mailto:someone@fenwo.example.org"});
}

}  // namespace
