// The about window: title, version, description, rights, and the home-page and mail links.
// The conversion program and the viewer each show it with their own texts.
#pragma once
#include "runtime/CommandButton.h"
#include "runtime/DefaultInstance.h"
#include "runtime/forms.h"

class frmAbout : public vb::Form, public vb::DefaultInstance<frmAbout> {
 public:
  enum Program { Zantiro, Lumtak };
  explicit frmAbout(Program program = Zantiro);

  vb::CommandButton& cmdOK = Ctl<vb::CommandButton>("cmdOK");
  vb::PictureBox& picIcon = Ctl<vb::PictureBox>("picIcon");
  vb::Label& lblHomepage = Ctl<vb::Label>("lblHomepage");
  vb::Label& lblMail = Ctl<vb::Label>("lblMail");
  vb::ControlArray<vb::Label> lblTitleNote = Arr<vb::Label>("lblTitleNote");
  vb::Image& imgCur = Ctl<vb::Image>("imgCur");
  vb::Label& lblMailTxt = Ctl<vb::Label>("lblMailTxt");
  vb::Label& lblWebTxt = Ctl<vb::Label>("lblWebTxt");
  vb::Label& lblVersion = Ctl<vb::Label>("lblVersion");
  vb::Label& lblCopyright = Ctl<vb::Label>("lblCopyright");
  vb::Label& lblTitle = Ctl<vb::Label>("lblTitle");

 private:
  void Form_Load();
  const Program program_;
};
