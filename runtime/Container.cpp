#include "runtime/Container.h"

#include <QChildEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>

#include "platform/gdi.h"
#include "platform/x11paint.h"
#include "platform/x11window.h"
#include "runtime/error.h"
#include "runtime/overlay.h"
#include "runtime/qt.h"
#include "runtime/screen.h"

namespace vb {

namespace {
class SurfaceWidget : public QWidget {
 public:
  SurfaceWidget(Container& c, QWidget* parent) : QWidget(parent), c_(c) {
    setAttribute(Qt::WA_NoMousePropagation);
  }
  bool Shared() const { return shared_; }
  // Painted by the X server (its background) and by the program that draws into the window,
  // not by Qt; what lies inside becomes windows of their own.
  void LeaveToServer(bool on, int32_t color) {
    if (on != shared_) {
      shared_ = on;
      setAttribute(Qt::WA_PaintOnScreen, on);
      if (on)
        for (QObject* o : children())
          if (o->isWidgetType()) MakeOverlay(static_cast<QWidget*>(o));
      update();
    }
    if (on) win::x11::FillWithBackground(static_cast<unsigned long>(winId()), color);
  }

 protected:
  QPaintEngine* paintEngine() const override { return shared_ ? nullptr : QWidget::paintEngine(); }
  void paintEvent(QPaintEvent*) override {
    if (!shared_) c_.PaintSurface(this);
  }
  bool event(QEvent* e) override {
    if (shared_ && e->type() == QEvent::ChildPolished)
      if (QObject* o = static_cast<QChildEvent*>(e)->child(); o && o->isWidgetType())
        MakeOverlay(static_cast<QWidget*>(o));
    return QWidget::event(e);
  }

 private:
  Container& c_;
  bool shared_ = false;
};
}  // namespace

SurfaceFrame::SurfaceFrame(Container& container, QWidget* parent)
    : QFrame(parent), client(new SurfaceWidget(container, this)) {}

void SurfaceFrame::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  client->setGeometry(contentsRect());
}

struct Container::SurfaceState {
  QImage image;
  win::HDC dc = 0;
  bool windowShared = false;  // the inner window's handle went out
  bool drawn = false;         // drawn on since the last Cls
};

Container::Container() : s_(std::make_unique<SurfaceState>()) {}

Container::~Container() {
  if (s_->dc) win::DeleteDC(s_->dc);
}

double Container::unitsPerPixel(int mode, bool horizontal) const {
  const double tpp = horizontal ? Screen::TwipsPerPixelX() : Screen::TwipsPerPixelY();
  switch (mode) {
    case vbTwips: return tpp;
    case vbPoints: return tpp / 20.0;
    case vbPixels: return 1.0;
    case vbCharacters: return tpp / (horizontal ? 120.0 : 240.0);
    case vbInches: return tpp / 1440.0;
    case vbMillimeters: return tpp / 1440.0 * 25.4;
    case vbCentimeters: return tpp / 1440.0 * 2.54;
    case vbHimetric: return tpp / 1440.0 * 2540.0;
    case vbUser: {
      QWidget* w = ClientWidget();
      const int n = w ? (horizontal ? w->width() : w->height()) : 0;
      const double scale = horizontal ? scaleWidth_ : scaleHeight_;
      return n > 0 ? scale / n : 1.0;
    }
    default: return tpp;
  }
}

double Container::UnitsPerPixelX() const { return unitsPerPixel(scaleMode_, true); }
double Container::UnitsPerPixelY() const { return unitsPerPixel(scaleMode_, false); }

void Container::ScaleMode(int mode) {
  if (mode < vbUser || mode > vbCentimeters) throw Error(vbErrInvalidProperty, "Invalid property value");
  scaleMode_ = mode;
  if (mode != vbUser) scaleLeft_ = scaleTop_ = 0;
}

float Container::ScaleWidth() const {
  QWidget* w = ClientWidget();
  if (scaleMode_ == vbUser) return scaleWidth_;
  return static_cast<float>((w ? w->width() : 0) * UnitsPerPixelX());
}
float Container::ScaleHeight() const {
  QWidget* w = ClientWidget();
  if (scaleMode_ == vbUser) return scaleHeight_;
  return static_cast<float>((w ? w->height() : 0) * UnitsPerPixelY());
}

void Container::ScaleWidth(float v) {
  if (scaleMode_ != vbUser) scaleHeight_ = ScaleHeight();
  scaleWidth_ = v;
  scaleMode_ = vbUser;
}
void Container::ScaleHeight(float v) {
  if (scaleMode_ != vbUser) scaleWidth_ = ScaleWidth();
  scaleHeight_ = v;
  scaleMode_ = vbUser;
}
void Container::ScaleLeft(float v) {
  if (scaleMode_ != vbUser) {
    scaleWidth_ = ScaleWidth();
    scaleHeight_ = ScaleHeight();
  }
  scaleLeft_ = v;
  scaleMode_ = vbUser;
}
void Container::ScaleTop(float v) {
  if (scaleMode_ != vbUser) {
    scaleWidth_ = ScaleWidth();
    scaleHeight_ = ScaleHeight();
  }
  scaleTop_ = v;
  scaleMode_ = vbUser;
}

float Container::ScaleX(float width, int from, int to) const {
  return static_cast<float>(width / unitsPerPixel(from, true) * unitsPerPixel(to, true));
}
float Container::ScaleY(float height, int from, int to) const {
  return static_cast<float>(height / unitsPerPixel(from, false) * unitsPerPixel(to, false));
}

// --- The persistent image ---

QImage& Container::Surface() {
  QWidget* w = ClientWidget();
  const QSize size = w ? w->size().expandedTo(QSize(1, 1)) : QSize(1, 1);
  if (s_->image.size() != size) {
    QImage old = s_->image;
    s_->image = QImage(size, QImage::Format_RGB32);
    s_->image.fill(ColorOf(SurfaceBackColor()));
    QPainter p(&s_->image);
    if (!old.isNull()) p.drawImage(0, 0, old);
    else if (picture_) p.drawImage(0, 0, ImageOf(picture_));
    p.end();
    if (s_->dc) win::RebindDC(s_->dc, reinterpret_cast<std::uint32_t*>(s_->image.bits()), size.width(),
                              size.height(), static_cast<int>(s_->image.bytesPerLine()));
  }
  return s_->image;
}

void Container::resetSurface() {
  if (!s_->image.isNull() || picture_) {
    QImage& img = Surface();
    img.fill(ColorOf(SurfaceBackColor()));
    if (picture_) {
      QPainter p(&img);
      p.drawImage(0, 0, ImageOf(picture_));
    }
  }
  s_->drawn = false;
  updateSharing();
  if (QWidget* w = ClientWidget()) w->update();
}

void Container::ShareWindow() {
  s_->windowShared = true;
  updateSharing();
}

void Container::updateSharing() {
  auto* w = dynamic_cast<SurfaceWidget*>(ClientWidget());
  if (!w) return;
  const bool leave = s_->windowShared && !picture_ && !s_->drawn && win::x11::Available();
  if (leave || w->Shared()) w->LeaveToServer(leave, SurfaceBackColor());
}

void Container::RefreshSurface() {
  auto* w = dynamic_cast<SurfaceWidget*>(ClientWidget());
  if (w && w->Shared()) w->LeaveToServer(true, SurfaceBackColor());
  else if (QWidget* c = ClientWidget()) c->repaint();
}

// A surface is made when something is drawn on it or a picture is set: until then the
// background colour is all there is to paint (a window-sized image less for each container).
void Container::ClientResized() {
  if (!s_->image.isNull()) Surface();
  if (QWidget* w = ClientWidget()) w->update();
}

void Container::PaintSurface(QWidget* w) {
  QPainter p(w);
  if (s_->image.isNull() && !picture_) p.fillRect(w->rect(), ColorOf(SurfaceBackColor()));
  else p.drawImage(0, 0, Surface());
}

void Container::Picture(const StdPicture& pic) {
  picture_ = pic;
  resetSurface();
}

StdPicture Container::Image() const {
  // A copy: the surface itself stays unshared, so its device context keeps its pixels.
  return PictureFromImage(const_cast<Container*>(this)->Surface().copy());
}

void Container::Cls() { resetSurface(); }

void Container::PaintPicture(const StdPicture& picture, float x1, float y1,
                             std::optional<float> width1, std::optional<float> height1,
                             std::optional<float> x2, std::optional<float> y2,
                             std::optional<float> width2, std::optional<float> height2) {
  if (!picture) throw Error(vbErrObjectNotSet, "Object variable not set");
  const QImage src = ImageOf(picture);
  const double ux = UnitsPerPixelX(), uy = UnitsPerPixelY();
  auto pxX = [&](float v) { return v / ux; };
  auto pxY = [&](float v) { return v / uy; };
  const QRectF from(x2 ? pxX(*x2) : 0.0, y2 ? pxY(*y2) : 0.0,
                    width2 ? pxX(*width2) : src.width() - (x2 ? pxX(*x2) : 0.0),
                    height2 ? pxY(*height2) : src.height() - (y2 ? pxY(*y2) : 0.0));
  const QRectF to(pxX(x1 - scaleLeft_), pxY(y1 - scaleTop_), width1 ? pxX(*width1) : from.width(),
                  height1 ? pxY(*height1) : from.height());
  QImage& img = Surface();
  QPainter p(&img);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  // Negative sizes mirror, as the runtime allows.
  QRectF target = to.normalized();
  QImage part = src.copy(from.normalized().toAlignedRect());
  part = part.mirrored((to.width() < 0) != (from.width() < 0), (to.height() < 0) != (from.height() < 0));
  p.drawImage(target, part);
  p.end();
  s_->drawn = true;
  updateSharing();
  if (QWidget* w = ClientWidget()) w->update();
}

std::intptr_t Container::hDC() {
  QImage& img = Surface();
  s_->drawn = true;
  updateSharing();
  if (!s_->dc) {
    QWidget* w = ClientWidget();
    s_->dc = win::CreateBoundDC(reinterpret_cast<std::uint32_t*>(img.bits()), img.width(), img.height(),
                                static_cast<int>(img.bytesPerLine()),
                                [w](int x, int y, int wd, int ht) {
                                  if (w) w->update(x, y, wd, ht);
                                });
  }
  return s_->dc;
}

}  // namespace vb
