#include "runtime/Control.h"

#include <QFontDatabase>
#include <QObject>
#include <QToolTip>
#include <QWidget>
#include <cmath>

#include "platform/window_qt.h"
#include "runtime/Container.h"
#include "runtime/Form.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"

namespace vb {

// --- DataObject ---

bool DataObject::GetFormat(int format) const {
  if (format == vbCFFiles) return !files_.empty();
  if (format == vbCFText) return text_.has_value();
  return false;
}

std::string DataObject::GetData(int format) const {
  if (format == vbCFText && text_) return *text_;
  return "";
}

std::string DataObject::Files(int index) const {
  if (index < 1 || index > FilesCount()) throw Error(vbErrInvalidProperty, "Invalid index");
  return files_[static_cast<size_t>(index - 1)];
}

// --- Control ---

Control::Control(QWidget* widget) { attachWidget(widget); }

void Control::attachWidget(QWidget* widget) {
  widget_ = widget;
  if (!widget_) return;
  widget_->setProperty("vbControl", QVariant::fromValue(static_cast<void*>(this)));
  QObject::connect(widget_, &QObject::destroyed, [this] { widget_ = nullptr; });
  InstallEvents(*this, widget_);
}

Control::~Control() {
  if (widget_) {
    QWidget* w = widget_;
    w->setProperty("vbControl", QVariant());
    widget_ = nullptr;
    w->disconnect();
    delete w;
  }
}

Control* ControlOf(const QWidget* w) {
  for (; w; w = w->parentWidget()) {
    const QVariant v = w->property("vbControl");
    if (v.isValid()) return static_cast<Control*>(v.value<void*>());
  }
  return nullptr;
}

bool Control::Visible() const { return visible_; }
void Control::Visible(bool v) {
  visible_ = v;
  if (widget_) widget_->setVisible(v);
}

bool Control::Enabled() const { return enabled_; }
void Control::Enabled(bool e) {
  enabled_ = e;
  if (widget_) widget_->setEnabled(e);
}

float Control::toUnitsX(double px) const {
  return container_ ? static_cast<float>(px * container_->UnitsPerPixelX()) : static_cast<float>(px);
}
float Control::toUnitsY(double px) const {
  return container_ ? static_cast<float>(px * container_->UnitsPerPixelY()) : static_cast<float>(px);
}
double Control::toPixelsX(float units) const {
  return container_ ? units / container_->UnitsPerPixelX() : units;
}
double Control::toPixelsY(float units) const {
  return container_ ? units / container_->UnitsPerPixelY() : units;
}

namespace {
int px(double v) { return static_cast<int>(std::lround(v)); }
}  // namespace

// Window-less controls keep the place they were given in fractions of a pixel (a label moved
// up one twip at a time does move); windows sit on whole pixels.
bool Control::exactValid(int i) const {
  if (!exact_ || !widget_) return false;
  const QRect g = widget_->geometry();
  // Place and size count apart: an AutoSize label that resized itself keeps its exact place.
  if (i < 2) return g.topLeft() == QPoint(px(place_[0]), px(place_[1]));
  return g.size() == QSize(std::max(0, px(place_[2])), std::max(0, px(place_[3])));
}

double Control::placePx(int i) const {
  if (exactValid(i)) return place_[i];
  if (!widget_) return 0;
  const QRect g = widget_->geometry();
  const int v[4] = {g.x(), g.y(), g.width(), g.height()};
  return v[i];
}

float Control::Left() const {
  return widget_ ? toUnitsX(placePx(0)) + (container_ ? container_->ScaleLeft() : 0) : 0;
}
float Control::Top() const {
  return widget_ ? toUnitsY(placePx(1)) + (container_ ? container_->ScaleTop() : 0) : 0;
}
float Control::Width() const { return widget_ ? toUnitsX(placePx(2)) : 0; }
float Control::Height() const { return widget_ ? toUnitsY(placePx(3)) : 0; }

void Control::Left(float v) { Move(v); }
void Control::Top(float v) { Move(Left(), v); }
void Control::Width(float v) { Move(Left(), Top(), v); }
void Control::Height(float v) { Move(Left(), Top(), Width(), v); }

void Control::Move(float left, std::optional<float> top, std::optional<float> width,
                   std::optional<float> height) {
  if (!widget_) return;
  const float sl = container_ ? container_->ScaleLeft() : 0;
  const float st = container_ ? container_->ScaleTop() : 0;
  const double p[4] = {toPixelsX(left - sl), top ? toPixelsY(*top - st) : placePx(1),
                       width ? std::max(0.0, toPixelsX(*width)) : placePx(2),
                       height ? std::max(0.0, toPixelsY(*height)) : placePx(3)};
  if (KeepsExactPlace()) {
    std::copy(p, p + 4, place_);
    exact_ = true;
  }
  widget_->setGeometry(px(p[0]), px(p[1]), px(p[2]), px(p[3]));
}

void Control::ToolTipText(const std::string& t) {
  toolTip_ = t;
  if (widget_) widget_->setToolTip(QString::fromStdString(t));
}

void Control::MousePointer(int p) {
  mousePointer_ = p;
  if (!widget_) return;
  if (p == vbDefault) widget_->unsetCursor();
  else widget_->setCursor(PointerShape(p, mouseIcon_));
}

void Control::MouseIcon(const StdPicture& p) {
  mouseIcon_ = p;
  if (mousePointer_ == vbCustom) MousePointer(vbCustom);
}

void Control::OLEDropMode(int mode) {
  oleDropMode_ = mode;
  if (widget_) widget_->setAcceptDrops(mode == vbOLEDropManual);
}

void Control::BackColor(int32_t c) {
  backColor_ = c;
  applyColors();
}
void Control::ForeColor(int32_t c) {
  foreColor_ = c;
  applyColors();
}
void Control::Font(const StdFont& f) {
  const std::string old = font_.Name;
  font_ = f;
  // A face the system does not have is not taken: the name reads back as it was. The
  // runtime's own default face stands for the system's and is always taken.
  if (f.Name != old && f.Name != StdFont().Name && !QFontDatabase::hasFamily(QString::fromStdString(f.Name)))
    font_.Name = old;
  applyFont();
}
void Control::FontName(const std::string& name) {
  StdFont f = font_;
  f.Name = name;
  Font(f);
}
void Control::FontSize(float size) {
  StdFont f = font_;
  f.Size = size;
  Font(f);
}
void Control::FontBold(bool bold) {
  StdFont f = font_;
  f.Bold = bold;
  Font(f);
}

void Control::applyColors() {
  if (!widget_) return;
  QPalette pal = widget_->palette();
  pal.setColor(QPalette::Window, ColorOf(backColor_));
  pal.setColor(QPalette::Base, ColorOf(backColor_));
  pal.setColor(QPalette::WindowText, ColorOf(foreColor_));
  pal.setColor(QPalette::Text, ColorOf(foreColor_));
  widget_->setPalette(pal);
  widget_->update();
}

void Control::applyFont() {
  if (widget_) widget_->setFont(FontOf(font_));
}

int32_t Control::hWnd() {
  if (!widget_) return 0;
  return static_cast<int32_t>(win::RegisterWindow(widget_, win::WS_CHILD | win::WS_VISIBLE, 0));
}

void Control::SetFocus() {
  if (!widget_) return;
  if (widget_->isWindow()) widget_->activateWindow();
  widget_->setFocus(Qt::OtherFocusReason);
}

void Control::ZOrder(int position) {
  if (!widget_) return;
  if (position == 0) widget_->raise();
  else widget_->lower();
}

void Control::Refresh() {
  if (widget_) widget_->repaint();
}

void Control::ReadDesign(const PropertyBag& bag) {
  if (bag.Contains("Left") || bag.Contains("Top") || bag.Contains("Width") || bag.Contains("Height"))
    Move(bag.ReadProperty("Left", Left()), bag.ReadProperty("Top", Top()),
         bag.ReadProperty("Width", Width()), bag.ReadProperty("Height", Height()));
  if (bag.Contains("Visible")) Visible(bag.ReadProperty("Visible", true));
  if (bag.Contains("Enabled")) Enabled(bag.ReadProperty("Enabled", true));
  tag_ = bag.ReadProperty("Tag", tag_);
  if (bag.Contains("ToolTipText")) ToolTipText(bag.ReadProperty("ToolTipText", std::string()));
  mouseIcon_ = bag.ReadProperty("MouseIcon", mouseIcon_);
  if (bag.Contains("MousePointer") || mouseIcon_)
    MousePointer(bag.ReadProperty("MousePointer", mousePointer_));
  if (bag.Contains("OLEDropMode")) OLEDropMode(bag.ReadProperty("OLEDropMode", int32_t{0}));
  dragMode_ = bag.ReadProperty("DragMode", dragMode_);
  backColor_ = bag.ReadProperty("BackColor", backColor_);
  foreColor_ = bag.ReadProperty("ForeColor", foreColor_);
  font_ = bag.ReadProperty("Font", font_);
  applyColors();
  applyFont();
}

void Control::ResetDesign(const PropertyBag& bag) {
  tag_.clear();
  Visible(true);
  Enabled(true);
  ReadDesign(bag);
}

// --- Colours and fonts ---

QColor ColorOf(int32_t c) {
  const auto u = static_cast<uint32_t>(c);
  if (u & 0x80000000u) {
    const QPalette pal;
    switch (u & 0xff) {
      case 5: return pal.color(QPalette::Base);
      case 8: return pal.color(QPalette::Text);
      case 0x12: return pal.color(QPalette::ButtonText);
      case 0x0F: return pal.color(QPalette::Button);
      case 0x0E: return pal.color(QPalette::HighlightedText);
      case 0x0D: return pal.color(QPalette::Highlight);
      case 0x11: return pal.color(QPalette::PlaceholderText);
      case 0x18: return pal.color(QPalette::ToolTipBase);
      case 0x17: return pal.color(QPalette::ToolTipText);
      default: return pal.color(QPalette::Window);
    }
  }
  return QColor(static_cast<int>(u & 0xff), static_cast<int>((u >> 8) & 0xff),
                static_cast<int>((u >> 16) & 0xff));
}

QFont FontOf(const StdFont& f) {
  QFont q(QString::fromStdString(f.Name));
  q.setPointSizeF(f.Size > 0 ? f.Size : 8.25);
  q.setBold(f.Bold);
  q.setItalic(f.Italic);
  q.setUnderline(f.Underline);
  q.setStrikeOut(f.Strikethrough);
  return q;
}

}  // namespace vb
