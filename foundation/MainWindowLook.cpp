#include "foundation/MainWindowLook.h"

MainWindowLook LookOfMainWindow(const vb::Form& self, const vb::StdPicture& ownHand, bool handFromMain) {
  MainWindowLook look{{}, ownHand};
  for (vb::Form* f : vb::Forms()) {
    if (f == &self) continue;
    look.icon = f->Icon();
    if (handFromMain && f->Has("imgCur")) look.hand = f->Ctl<vb::Image>("imgCur").Picture();
    break;
  }
  return look;
}
