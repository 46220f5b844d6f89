// The splash of the conversion program: a short scrolling text on top of everything while the
// main window starts, which then fades the main window in and closes itself.
#pragma once
#include <cstdint>

#include "runtime/DefaultInstance.h"
#include "runtime/forms.h"

namespace zantiro {

class frmSplash : public vb::Form, public vb::DefaultInstance<frmSplash> {
 public:
  frmSplash();

  vb::PictureBox& picRestore = Ctl<vb::PictureBox>("picRestore");
  vb::TimerControl& timeMarquee = Ctl<vb::TimerControl>("timeMarquee");
  vb::PictureBox& Marquee = Ctl<vb::PictureBox>("Marquee");
  vb::Label& lblMarquee = Ctl<vb::Label>("lblMarquee");

  void timeMarquee_Timer();

 private:
  void Form_Load();
  void Form_Unload(int& Cancel);
  int32_t tick_ = 0;  // ticks so far
  int32_t t0_ = 0;    // first tick that saw the main window activated
  float step_ = 0;    // alpha added per tick
  float marqueeTop_ = 0;
};

}  // namespace zantiro
