// Fenwo.Lumtak: shows the picture named on its command line, or its title picture.
#include <QApplication>

#include "runtime/app.h"
#include "runtime/command.h"
#include "runtime/forms.h"
#include "viewer/frmMain.h"

int main(int argc, char** argv) {
  // The window manager must let the window place itself: X11 (XWayland on a Wayland desktop).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  vb::App::SetTitle("Fenwo.Lumtak");
  lumtak::frmMain form(vb::Command());
  form.Show();
  return vb::Run();
}
