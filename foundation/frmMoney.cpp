#include "foundation/frmMoney.h"

#include "foundation/MainWindowLook.h"
#include "foundation/mdlFenwoZantiro.h"

namespace {

using mdlFenwoZantiro::LngText;

struct MoneyTexts {
  int details, invitation, mailLead, ok;
};
constexpr MoneyTexts kTexts[] = {{137, 136, 115, 28}, {43, 42, 33, 11}};

}  // namespace

frmMoney::frmMoney(Program program) : vb::Form(":/forms/frmMoney.txt"), program_(program) {
  Load = [this] { Form_Load(); };
  lblMail.Click = [this] { mdlFenwoZantiro::OpenURL("mailto:" + lblMail.Caption()); };
  cmdOK.Click = [this] { vb::Unload(*this); };
}

void frmMoney::Form_Load() {
  const MoneyTexts& t = kTexts[program_];
  txtMoney.Text(LngText[t.details]);
  lblDonation.Caption(LngText[t.invitation]);
  lblMailTxt.Caption(LngText[t.mailLead]);
  cmdOK.Caption(LngText[t.ok]);
  const MainWindowLook look = LookOfMainWindow(*this, imgCur.Picture(), program_ == Lumtak);
  Icon(look.icon);
  picIcon.Picture(look.icon);
  lblMail.MouseIcon(look.hand);
}
