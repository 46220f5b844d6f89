#include "runtime/overlay.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace vb {
namespace {

constexpr const char* kOverlay = "vb.overlay";

// The letters of a transparent label get a rim of one pixel in the colour farthest from theirs.
QColor rimColor(const QWidget* w) {
  return qGray(w->palette().color(QPalette::WindowText).rgb()) >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

class OverlayMask : public QObject {
 public:
  explicit OverlayMask(QWidget* w) : QObject(w), w_(w) {
    w->installEventFilter(this);
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { apply(); });
    timer_.start();
  }

  bool eventFilter(QObject*, QEvent* ev) override {
    if (busy_) return false;
    switch (ev->type()) {
      case QEvent::Paint:
        if (rim()) {
          QPainter p(w_);
          p.fillRect(w_->rect(), rimColor(w_));
        }
        timer_.start();
        break;
      case QEvent::Resize: case QEvent::Show: case QEvent::PaletteChange: case QEvent::FontChange:
        timer_.start();
        break;
      default: break;
    }
    return false;
  }

 private:
  bool rim() const { return qobject_cast<QLabel*>(w_) && !w_->autoFillBackground(); }

  // The pixels the control draws without its background.
  void apply() {
    if (w_->autoFillBackground()) {
      setMask(QRegion());
      return;
    }
    QImage img(w_->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    busy_ = true;
    w_->render(&img, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask);
    busy_ = false;
    QRegion drawn;
    for (int y = 0; y < img.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      for (int x = 0; x < img.width();) {
        while (x < img.width() && qAlpha(row[x]) == 0) ++x;
        const int start = x;
        while (x < img.width() && qAlpha(row[x]) != 0) ++x;
        if (x > start) drawn += QRect(start, y, x - start, 1);
      }
    }
    if (rim()) {
      QRegion grown = drawn;
      for (const QPoint d : {QPoint(-1, -1), QPoint(0, -1), QPoint(1, -1), QPoint(-1, 0), QPoint(1, 0),
                             QPoint(-1, 1), QPoint(0, 1), QPoint(1, 1)})
        grown += drawn.translated(d);
      drawn = grown;
    }
    // An empty mask would show the window whole: one that lies outside it shows nothing.
    setMask(drawn.isEmpty() ? QRegion(-1, -1, 1, 1) : drawn);
  }

  void setMask(const QRegion& r) {
    if (r == mask_) return;
    mask_ = r;
    if (r.isEmpty()) w_->clearMask();
    else w_->setMask(r);
  }

  QWidget* w_;
  QTimer timer_;
  QRegion mask_;
  bool busy_ = false;
};

}  // namespace

void MakeOverlay(QWidget* w) {
  if (!w || w->property(kOverlay).toBool()) return;
  w->setProperty(kOverlay, true);
  w->setAttribute(Qt::WA_NativeWindow);
  w->winId();
  if (w->testAttribute(Qt::WA_TransparentForMouseEvents))
    if (QWindow* h = w->windowHandle()) h->setFlag(Qt::WindowTransparentForInput, true);
  new OverlayMask(w);
}

}  // namespace vb
