// The developer console: the current folder and command line of the last engine run, and
// what the engine wrote. Closing it switches the console off.
#pragma once
#include "runtime/DefaultInstance.h"
#include "runtime/forms.h"

class frmOutput : public vb::Form, public vb::DefaultInstance<frmOutput> {
 public:
  frmOutput();

  vb::TextBox& txtOutputSpec = Ctl<vb::TextBox>("txtOutputSpec");
  vb::TextBox& txtOutput = Ctl<vb::TextBox>("txtOutput");

 private:
  void Form_Resize();
};
