#include <QPainter>
#include <QWidget>

#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"

namespace vb {
namespace {
class ImageWidget : public QWidget {
 public:
  ImageWidget(Image& i, QWidget* parent) : QWidget(parent), img_(i) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!img_.Picture()) return;
    QPainter p(this);
    const QImage pic = ImageOf(img_.Picture());
    if (img_.Stretch()) p.drawImage(rect(), pic);
    else p.drawImage(0, 0, pic);
  }

 private:
  Image& img_;
};
}  // namespace

Image::Image(QWidget* parent) : Control(nullptr) { attachWidget(new ImageWidget(*this, parent)); }

// Without Stretch the control takes the picture's size.
void Image::Picture(const StdPicture& p) {
  picture_ = p;
  if (QWidget* w = Widget()) {
    if (!stretch_ && p) w->resize(p.PixelWidth(), p.PixelHeight());
    w->update();
  }
}

void Image::Stretch(bool s) {
  stretch_ = s;
  if (QWidget* w = Widget()) w->update();
}

void Image::ResetDesign(const PropertyBag& bag) {
  picture_ = {};
  Control::ResetDesign(bag);
  if (QWidget* w = Widget()) w->update();
}

void Image::ReadDesign(const PropertyBag& bag) {
  stretch_ = bag.ReadProperty("Stretch", stretch_);
  Control::ReadDesign(bag);
  if (bag.Contains("Picture")) {
    picture_ = bag.ReadProperty("Picture", StdPicture());
    // A design size given with Stretch stays; otherwise the picture's size.
    if (!stretch_ && picture_ && Widget()) Widget()->resize(picture_.PixelWidth(), picture_.PixelHeight());
  }
}

}  // namespace vb
