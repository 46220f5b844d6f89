#include "foundation/frmAbout.h"

#include "foundation/MainWindowLook.h"
#include "foundation/mdlFenwoZantiro.h"
#include "runtime/strings.h"

namespace {

using mdlFenwoZantiro::LngText;

// What differs between the two programs' about windows: names, version and text numbers.
struct AboutTexts {
  const char* name;
  const char* version;
  int versionText, note0, note1, rights, webLead, mailLead, ok;
};
constexpr AboutTexts kTexts[] = {
    {"Fenwo.Zantiro", "1.6.8", 109, 110, 111, 112, 113, 114, 28},
    {"Fenwo.Lumtak", "1.6.6", 27, 28, 29, 30, 31, 32, 11},
};

}  // namespace

frmAbout::frmAbout(Program program) : vb::Form(":/forms/frmAbout.txt"), program_(program) {
  Load = [this] { Form_Load(); };
  lblHomepage.Click = [this] { mdlFenwoZantiro::OpenURL(lblHomepage.Caption() + "index.html"); };
  lblMail.Click = [this] { mdlFenwoZantiro::OpenURL("mailto:" + lblMail.Caption()); };
  cmdOK.Click = [this] { vb::Unload(*this); };
}

void frmAbout::Form_Load() {
  const AboutTexts& t = kTexts[program_];
  if (program_ == Lumtak) Caption(std::string(" About ") + t.name);
  lblVersion.Caption(vb::Replace(LngText[t.versionText], "aaa", t.version));
  lblTitle.Caption(t.name);
  lblTitleNote(0).Caption(LngText[t.note0]);
  lblTitleNote(1).Caption(LngText[t.note1]);
  lblCopyright.Caption(LngText[t.rights]);
  lblWebTxt.Caption(LngText[t.webLead]);
  lblMailTxt.Caption(LngText[t.mailLead]);
  cmdOK.Caption(LngText[t.ok]);
  // The lead-ins differ in length between the languages; a blank's width keeps a link apart from
  // its lead-in.
  constexpr float kGap = 5 + 75;
  lblHomepage.Left(lblWebTxt.Left() + lblWebTxt.Width() + kGap);
  lblMail.Left(lblMailTxt.Left() + lblMailTxt.Width() + kGap);

  const MainWindowLook look = LookOfMainWindow(*this, imgCur.Picture(), program_ == Lumtak);
  Icon(look.icon);
  picIcon.Picture(look.icon);
  lblHomepage.MouseIcon(look.hand);
  lblMail.MouseIcon(look.hand);
}
