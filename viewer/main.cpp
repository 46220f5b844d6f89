// Fenwo.Lumtak: shows the picture named on its command line, or its title picture.
#include "runtime/app.h"
#include "runtime/command.h"
#include "runtime/forms.h"
#include "viewer/frmMain.h"

int main(int argc, char** argv) {
  vb::Program program(argc, argv, "Fenwo.Lumtak");
  lumtak::frmMain form(vb::Command());
  form.Show();
  return vb::Run();
}
