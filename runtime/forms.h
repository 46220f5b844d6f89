// The forms layer: windows, controls, pictures, property bags, the screen.
//
// A window is a class derived from vb::Form. Its design (places, sizes, fonts, pictures,
// design-time captions) is a design text built into the program as a Qt resource (the
// format: runtime/design.h); the class finds its controls by name and holds only what the
// window does:
//
//   #include "runtime/forms.h"
//
//   class frmAbout : public vb::Form {
//    public:
//     frmAbout() : vb::Form(":/forms/frmAbout.txt") {
//       Load = [this] { lblVersion.Caption("1.0"); };
//       cmdOK.Click = [this] { vb::Unload(*this); };
//       for (vb::Label* b : lblLink)                        // a control array
//         b->Click = [this, b] { lblLink_Click(b->Index()); };
//       KeyPreview(true);
//       KeyDown = [this](int& KeyCode, int) { if (KeyCode == vb::vbKeyEscape) Hide(); };
//     }
//    private:
//     void lblLink_Click(int Index);
//     vb::Label& lblVersion = Ctl<vb::Label>("lblVersion");
//     vb::Control& cmdOK = Ctl("cmdOK");                    // a registered type (ImageButton)
//     vb::ControlArray<vb::Label> lblLink = Arr<vb::Label>("lblLink");
//   };
//
//   frmAbout about;
//   about.Show(vb::vbModal, &mainForm);   // returns when the window is hidden or unloaded
//
// Pop-up menus: PopupMenu(Ctl<vb::Menu>("mnuLanguage")) shows it under the pointer.
// Drops: set OLEDropMode(vb::vbOLEDropManual) (or "OLEDropMode = 1" in the design text) and
// handle OLEDragDrop; Data.GetFormat(vb::vbCFFiles), Data.Files(1), Data.GetData(vb::vbCFText).
// Needs the application object: vb::Program (runtime/app.h), made in the program's main.
#pragma once

#include "runtime/Container.h"
#include "runtime/Control.h"
#include "runtime/Form.h"
#include "runtime/Host.h"
#include "runtime/color.h"
#include "runtime/controls.h"
#include "runtime/design.h"
#include "runtime/error.h"
#include "runtime/picture.h"
#include "runtime/propbag.h"
#include "runtime/screen.h"
