// Fenwo.Zantiro: the main window is the start-up window; the program ends when its last window
// has unloaded.
#include <QApplication>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "runtime/app.h"

int main(int argc, char** argv) {
  // The engine draws into X windows: X11 (XWayland on a Wayland desktop) unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  vb::App::SetTitle("Fenwo.Zantiro");
  zantiro::frmMain::Default().Show();
  const int rc = vb::Run();
  zantiro::frmOptions::Release();
  zantiro::frmSplash::Release();
  zantiro::frmMain::Release();
  return rc;
}
