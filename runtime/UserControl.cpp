#include "runtime/UserControl.h"

#include <QApplication>
#include <QFrame>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "runtime/Form.h"
#include "runtime/error.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"
#include "runtime/strings.h"

namespace vb {

// The surface's input goes to the type's hooks, never straight to the host's handlers; the
// border takes none.
class UserControlEvents : public QObject {
 public:
  UserControlEvents(UserControl& c, QWidget* w, bool surface)
      : QObject(w), c_(c), w_(w), surface_(surface) {
    setObjectName(kName);
  }
  static constexpr const char* kName = "vbUserControlEvents";

  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (obj != w_) return false;
    switch (ev->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(ev);
        me->accept();
        if (!surface_) return true;
        const QPointF u = EventUnits(c_, me->position());
        const float x = static_cast<float>(u.x()), y = static_cast<float>(u.y());
        const int shift = ShiftOf(me->modifiers());
        if (ev->type() == QEvent::MouseButtonPress)
          c_.UserControl_MouseDown(ButtonOf(me->button()), shift, x, y);
        else if (ev->type() == QEvent::MouseButtonRelease)
          c_.UserControl_MouseUp(ButtonOf(me->button()), shift, x, y);
        else
          c_.UserControl_MouseMove(ButtonOf(me->buttons()), shift, x, y);
        return true;
      }
      case QEvent::MouseButtonDblClick:
        // The second press of a double click is no MouseDown, as the runtime has it.
        ev->accept();
        return true;
      case QEvent::Resize:
        if (!surface_) return false;
        c_.ClientResized();
        c_.UserControl_Resize();
        return false;
      case QEvent::Show:
        if (surface_) c_.UserControl_Show();
        return false;
      default:
        return false;
    }
  }

 private:
  UserControl& c_;
  QWidget* w_;
  bool surface_;
};

UserControl::UserControl(const ControlSite& site) : Control(nullptr) {
  auto* frame = new SurfaceFrame(*this, site.parentWidget);
  client_ = frame->client;
  attachWidget(frame);
  InstallEvents(*this, client_);  // drops on the surface
  client_->installEventFilter(new UserControlEvents(*this, client_, true));
  frame->installEventFilter(new UserControlEvents(*this, frame, false));
  ScaleMode(vbPixels);
  AutoRedraw(true);
  BorderStyle(0);
}

// The widgets outlive the type (the base deletes them), and deleting them still sends them
// events: the type's hooks must hear none of them.
UserControl::~UserControl() {
  if (!Widget()) return;
  for (QWidget* w : {Widget(), client_})
    for (QObject* events : w->findChildren<QObject*>(UserControlEvents::kName, Qt::FindDirectChildrenOnly))
      delete events;
}

AmbientProperties UserControl::Ambient() const {
  AmbientProperties a;
  a.UserMode = userMode_;
  if (Form* f = Parent()) a.Font = f->Font();
  return a;
}

void UserControl::BorderStyle(int style) {
  borderStyle_ = style;
  auto* f = static_cast<SurfaceFrame*>(Widget());
  if (!f) return;
  f->setFrameStyle(style ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
  f->setLineWidth(style ? 1 : 0);
  client_->setGeometry(f->contentsRect());
}

// The surface follows at once, also while the control is hidden (Qt would wait for the show).
void UserControl::Move(float left, std::optional<float> top, std::optional<float> width,
                       std::optional<float> height) {
  Control::Move(left, top, width, height);
  if (auto* f = static_cast<SurfaceFrame*>(Widget())) client_->setGeometry(f->contentsRect());
}

// Drops on the surface reach it in its own units.
void UserControl::OLEDropMode(int mode) {
  Control::OLEDropMode(mode);
  client_->setAcceptDrops(mode == vbOLEDropManual);
}

// A new back colour clears the drawing.
void UserControl::BackColor(int32_t c) {
  Control::BackColor(c);
  Cls();
}

void UserControl::PropertyChanged(const std::string& propertyName) {
  if (PropertyChangedNotify) PropertyChangedNotify(propertyName);
}

void UserControl::ReadDesign(const PropertyBag& bag) {
  // The host's own settings of the control (its extender), then the type's.
  if (bag.Contains("Left") || bag.Contains("Top") || bag.Contains("Width") || bag.Contains("Height"))
    Move(bag.ReadProperty("Left", Left()), bag.ReadProperty("Top", Top()),
         bag.ReadProperty("Width", Width()), bag.ReadProperty("Height", Height()));
  if (bag.Contains("Visible")) Visible(bag.ReadProperty("Visible", true));
  if (bag.Contains("Enabled")) Enabled(bag.ReadProperty("Enabled", true));
  Tag(bag.ReadProperty("Tag", Tag()));
  if (bag.Contains("ToolTipText")) ToolTipText(bag.ReadProperty("ToolTipText", std::string()));
  ReadProperties(bag);
}

Control* ControlFromPoint(int32_t x, int32_t y) {
  return ControlOf(QApplication::widgetAt(QPoint(x, y)));
}

// --- Text and points ---

namespace {

Container& surfaceOf(const Control& c) {
  auto* k = dynamic_cast<const Container*>(&c);
  if (!k) throw Error(vbErrInvalidProperty, "Control '" + c.Name() + "' has no drawing surface");
  return const_cast<Container&>(*k);
}

QPoint pixelOf(Container& k, float x, float y) {
  return {static_cast<int>(std::lround((x - k.ScaleLeft()) / k.UnitsPerPixelX())),
          static_cast<int>(std::lround((y - k.ScaleTop()) / k.UnitsPerPixelY()))};
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines = Split(text, "\r\n");
  if (lines.empty()) lines.emplace_back();
  return lines;
}

}  // namespace

float TextWidth(const Control& c, const std::string& text) {
  Container& k = surfaceOf(c);
  const QFontMetrics fm(FontOf(c.Font()), &k.Surface());
  int w = 0;
  for (const std::string& line : linesOf(text))
    w = std::max(w, fm.horizontalAdvance(QString::fromStdString(line)));
  return static_cast<float>(w * k.UnitsPerPixelX());
}

float TextHeight(const Control& c, const std::string& text) {
  Container& k = surfaceOf(c);
  const QFontMetrics fm(FontOf(c.Font()), &k.Surface());
  const auto n = static_cast<int>(linesOf(text).size());
  return static_cast<float>(n * fm.height() * k.UnitsPerPixelY());
}

void Print(Control& c, float x, float y, const std::string& text) {
  Container& k = surfaceOf(c);
  QImage& img = k.Surface();
  const QFont font = FontOf(c.Font());
  const QFontMetrics fm(font, &img);
  const QPoint at = pixelOf(k, x, y);
  QPainter p(&img);
  p.setFont(font);
  p.setPen(ColorOf(c.ForeColor()));
  p.drawText(at.x(), at.y() + fm.ascent(), QString::fromStdString(text));
  p.end();
  if (QWidget* w = k.ClientWidget()) w->update();
}

int32_t Point(const Control& c, float x, float y) {
  Container& k = surfaceOf(c);
  const QImage& img = k.Surface();
  const QPoint at = pixelOf(k, x, y);
  if (!img.valid(at)) return -1;
  const QRgb v = img.pixel(at);
  return RGB(qRed(v), qGreen(v), qBlue(v));
}

void PSet(Control& c, float x, float y, int32_t color) {
  Container& k = surfaceOf(c);
  QImage& img = k.Surface();
  const QPoint at = pixelOf(k, x, y);
  if (!img.valid(at)) return;
  img.setPixel(at, ColorOf(color).rgb());
  if (QWidget* w = k.ClientWidget()) w->update(at.x(), at.y(), 1, 1);
}

}  // namespace vb
