// Fenwo.Zantiro: the main window is the start-up window; the program ends when its last window
// has unloaded.
#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "runtime/app.h"
#include "runtime/forms.h"

int main(int argc, char** argv) {
  vb::Program program(argc, argv, "Fenwo.Zantiro");
  zantiro::frmMain::Default().Show();
  const int rc = vb::Run();
  zantiro::frmOptions::Release();
  zantiro::frmSplash::Release();
  zantiro::frmMain::Release();
  return rc;
}
