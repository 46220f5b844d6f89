// What the about and donation windows take from the program's main window (the first window
// it loaded): its icon, and in the viewer the hand over the links.
#pragma once
#include "runtime/forms.h"

struct MainWindowLook {
  vb::StdPicture icon;  // Nothing when there is no main window
  vb::StdPicture hand;
};

// ownHand: the window's own hand picture, kept unless handFromMain and the main window holds one
// in its imgCur.
MainWindowLook LookOfMainWindow(const vb::Form& self, const vb::StdPicture& ownHand, bool handFromMain);
