// The donation window: an invitation, the donation details and a mail link. The conversion
// program and the viewer each show it with their own texts.
#pragma once
#include "runtime/CommandButton.h"
#include "runtime/DefaultInstance.h"
#include "runtime/forms.h"

class frmMoney : public vb::Form, public vb::DefaultInstance<frmMoney> {
 public:
  enum Program { Zantiro, Lumtak };
  explicit frmMoney(Program program = Zantiro);

  vb::TextBox& txtMoney = Ctl<vb::TextBox>("txtMoney");
  vb::CommandButton& cmdOK = Ctl<vb::CommandButton>("cmdOK");
  vb::PictureBox& picIcon = Ctl<vb::PictureBox>("picIcon");
  vb::Label& lblMail = Ctl<vb::Label>("lblMail");
  vb::Image& imgCur = Ctl<vb::Image>("imgCur");
  vb::Label& lblMailTxt = Ctl<vb::Label>("lblMailTxt");
  vb::Label& lblDonation = Ctl<vb::Label>("lblDonation");

 private:
  void Form_Load();
  const Program program_;
};
