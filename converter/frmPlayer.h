// The big-screen player: a separate, resizable window that the preview plays in, keeping the
// video's aspect when asked.
#pragma once
#include <cstdint>

#include "runtime/DefaultInstance.h"
#include "runtime/forms.h"

namespace zantiro {

class frmPlayer : public vb::Form, public vb::DefaultInstance<frmPlayer> {
 public:
  frmPlayer();

  int32_t plusFrmHeight = 0;  // window height minus client height, in twips
  int32_t plusFrmWidth = 0;   // window width minus client width, in twips

  vb::PictureBox& picPlayer = Ctl<vb::PictureBox>("picPlayer");
  vb::TimerControl& tmrCheck = Ctl<vb::TimerControl>("tmrCheck");
  vb::Menu& mnuMain = Ctl<vb::Menu>("mnuMain");
  vb::Menu& mnuTopMost = Ctl<vb::Menu>("mnuTopMost");
  vb::Menu& mnuKeepAspect = Ctl<vb::Menu>("mnuKeepAspect");

 private:
  void Form_Load();
  void Form_Resize();
  void Form_MouseDown(int Button);
  void Form_QueryUnload(int& Cancel, int UnloadMode);
  void tmrCheck_Timer();
  void FitVideo();
  int lastWindowState_ = vb::vbNormal;
};

}  // namespace zantiro
