// The forms layer as Qt sees it: for runtime/, browser/ and the user-control base only.
// The windows' code never includes this header.
//
// A library that brings its own control (the browser control) derives from vb::Control,
// makes its widget as a child of site.parentWidget, passes it to Control's constructor,
// and registers a factory:
//
//   class WebBrowser : public vb::Control {
//    public:
//     explicit WebBrowser(const vb::ControlSite& site)
//         : vb::Control(new QTextBrowser(site.parentWidget)) {}
//   };
//   vb::RegisterControlType("WebBrowser", [](const vb::ControlSite& site) {
//     return std::make_unique<WebBrowser>(site);
//   });
//
// The runtime then places it (Left, Top, Width, Height in its container's scale), applies the
// common settings and delivers its mouse, key, focus and drop events to the Control's event
// members (see InstallEvents).
#pragma once
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QWidget>

#include "runtime/Container.h"
#include "runtime/Control.h"
#include "runtime/Form.h"
#include "runtime/design.h"
#include "runtime/picture.h"
#include "runtime/propbag.h"

namespace vb {

struct StdPicture::Data {
  QImage image;
  int type = vbPicTypeBitmap;
  QPoint hotSpot;  // cursors
};

// Pictures to and from Qt.
StdPicture PictureFromImage(const QImage& image, int type = vbPicTypeBitmap);
QImage ImageOf(const StdPicture& picture);  // a null image for Nothing
// A custom pointer from a picture (a cursor keeps its hot spot).
QCursor CursorOf(const StdPicture& picture);
// The pointer shape of a MousePointer value (vbCustom uses the icon).
QCursor PointerShape(int mousePointer, const StdPicture& icon);

QColor ColorOf(int32_t oleColor);  // &H00BBGGRR or a system colour
QFont FontOf(const StdFont& font);

// The control whose widget this is (or whose widget contains it), nullptr for none.
Control* ControlOf(const QWidget* widget);

// The window that owns a message or input box: the active one, unless that stands on its own
// beside the program's first window (the developer console); then the first window.
QWidget* BoxOwner();

// Delivers the Qt events of `w` (mouse, keys, focus, drops) to the control's event members.
// The runtime does this for every control it makes; a control type whose widget has inner
// widgets installs it on them too.
void InstallEvents(Control& control, QWidget* w);

// Mouse position in the scale the control's mouse events use.
QPointF EventUnits(const Control& control, const QPointF& pixels);
// Button and shift masks of the runtime from Qt's.
int ButtonOf(Qt::MouseButtons buttons);
int ShiftOf(Qt::KeyboardModifiers modifiers);
// The key code of a Qt key (0 when it has none).
int KeyCodeOf(int qtKey);

// The widget of a picture box or user control: a frame (the border) around an inner area that
// shows the container's persistent image. The inner area keeps filling the frame's contents,
// and its mouse input does not reach the frame again.
class SurfaceFrame : public QFrame {
 public:
  SurfaceFrame(Container& container, QWidget* parent);
  QWidget* const client;

 protected:
  void resizeEvent(QResizeEvent* e) override;
};

}  // namespace vb
