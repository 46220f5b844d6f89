// Fenwo.Zantiro: the main window is the start-up window; the program ends when it is unloaded.
#include <QApplication>
#include <cstdlib>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "runtime/app.h"

int main(int argc, char** argv) {
  // The engine draws into X windows: use X11 (XWayland on a Wayland desktop) unless told.
  if (std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
  QApplication app(argc, argv);
  vb::App::SetTitle("Fenwo.Zantiro");

  zantiro::frmMain& main = zantiro::frmMain::Default();
  main.Show();
  const int rc = main.Loaded() ? app.exec() : 0;
  zantiro::frmOptions::Release();
  zantiro::frmSplash::Release();
  zantiro::frmMain::Release();
  return rc;
}
