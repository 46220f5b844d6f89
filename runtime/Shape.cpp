#include <QPainter>
#include <QWidget>

#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"

namespace vb {

class ShapeWidget : public QWidget {
 public:
  ShapeWidget(Shape& s, QWidget* parent) : QWidget(parent), s_(s) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int bw = s_.borderStyle_ ? std::max(1, s_.borderWidth_) : 0;
    QRectF r = QRectF(rect()).adjusted(bw / 2.0, bw / 2.0, -bw / 2.0, -bw / 2.0);
    if (s_.shape_ == vbShapeSquare || s_.shape_ == vbShapeCircle || s_.shape_ == vbShapeRoundedSquare) {
      const double side = std::min(r.width(), r.height());
      r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    if (s_.backStyle_ == vbOpaque) {
      p.setPen(Qt::NoPen);
      p.setBrush(ColorOf(s_.BackColor()));
      draw(p, r);
    }
    p.setBrush(s_.fillStyle_ == vbFSSolid ? QBrush(ColorOf(s_.fillColor_)) : QBrush(Qt::NoBrush));
    if (bw) {
      QPen pen(ColorOf(s_.borderColor_), bw);
      pen.setJoinStyle(Qt::MiterJoin);
      p.setPen(pen);
    } else {
      p.setPen(Qt::NoPen);
    }
    draw(p, r);
  }

 private:
  void draw(QPainter& p, const QRectF& r) {
    switch (s_.shape_) {
      case vbShapeOval: case vbShapeCircle: p.drawEllipse(r); break;
      case vbShapeRoundedRectangle: case vbShapeRoundedSquare: p.drawRoundedRect(r, 8, 8); break;
      default: p.drawRect(r); break;
    }
  }
  Shape& s_;
};

Shape::Shape(QWidget* parent) : Control(nullptr) {
  attachWidget(new ShapeWidget(*this, parent));
  BackColor(vbWhite);
}

namespace {
void redraw(Control& c) {
  if (QWidget* w = c.Widget()) w->update();
}
}  // namespace

void Shape::FillStyle(int s) { fillStyle_ = s; redraw(*this); }
void Shape::FillColor(int32_t c) { fillColor_ = c; redraw(*this); }
void Shape::BorderColor(int32_t c) { borderColor_ = c; redraw(*this); }
void Shape::BorderWidth(int w) { borderWidth_ = w; redraw(*this); }
void Shape::BorderStyle(int s) { borderStyle_ = s; redraw(*this); }
void Shape::BackStyle(int s) { backStyle_ = s; redraw(*this); }
void Shape::FigureKind(int s) { shape_ = s; redraw(*this); }

void Shape::ReadDesign(const PropertyBag& bag) {
  Control::ReadDesign(bag);
  fillStyle_ = bag.ReadProperty("FillStyle", fillStyle_);
  fillColor_ = bag.ReadProperty("FillColor", fillColor_);
  borderColor_ = bag.ReadProperty("BorderColor", borderColor_);
  borderWidth_ = bag.ReadProperty("BorderWidth", borderWidth_);
  borderStyle_ = bag.ReadProperty("BorderStyle", borderStyle_);
  backStyle_ = bag.ReadProperty("BackStyle", backStyle_);
  shape_ = bag.ReadProperty("Shape", shape_);
  redraw(*this);
}

}  // namespace vb
