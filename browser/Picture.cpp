#include "browser/Picture.h"

#include "browser/Wmf.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QTimer>
#include <type_traits>

namespace browser {
namespace {

// Scales `area` of a picture shown at `shown` back into a source of size `source`.
QRectF SourceRect(const QRect& area, const QSize& shown, const QSize& source) {
  const double sx = double(source.width()) / shown.width();
  const double sy = double(source.height()) / shown.height();
  return {area.x() * sx, area.y() * sy, area.width() * sx, area.height() * sy};
}

// An image or pixmap shown at `shown`: only `area` of it is drawn.
template <class Pixels>
void DrawScaled(QPainter& painter, const Pixels& picture, const QSize& shown, const QRect& area) {
  if (picture.size() == shown) {
    if constexpr (std::is_same_v<Pixels, QImage>) painter.drawImage(area.topLeft(), picture, area);
    else painter.drawPixmap(area.topLeft(), picture, area);
  } else {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF source = SourceRect(area, shown, picture.size());
    if constexpr (std::is_same_v<Pixels, QImage>) painter.drawImage(QRectF(area), picture, source);
    else painter.drawPixmap(QRectF(area), picture, source);
  }
}

// BMP, JPEG, PNG and ICO: decoded at the first paint. A JPEG shown smaller than its natural
// size is decoded at the smallest of 1/1, 1/2, 1/4, 1/8 that still covers the shown size,
// which the JPEG decoder does much faster and in less memory.
class Still : public Picture {
 public:
  Still(QString path, QByteArray format, QSize natural)
      : Picture(natural), path_(std::move(path)), format_(std::move(format)) {}

  void paint(QPainter& painter, const QSize& shown, const QRect& area) override {
    const int shift = wantedShift(shown);
    if (!failed_ && (decoded_.isNull() || shift < shift_) && paintBand(painter, shown, area))
      return;
    if (!failed_ && (decoded_.isNull() || shift < shift_)) decode(shift);
    if (decoded_.isNull()) return;
    // Much smaller: scaled once with averaging (drawing would skip pixels); near the
    // decoded size: only the part in view is scaled, as it is drawn.
    if (2 * shown.width() <= decoded_.width() && 2 * shown.height() <= decoded_.height()) {
      if (scaled_.size() != shown)
        scaled_ = decoded_.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      DrawScaled(painter, scaled_, shown, area);
    } else {
      scaled_ = QImage();
      DrawScaled(painter, decoded_, shown, area);
    }
  }

 private:
  int wantedShift(const QSize& shown) const {
    if (format_ != "jpeg") return 0;
    int shift = 0;
    while (shift < 3 && reduced(shift + 1).width() >= shown.width() &&
           reduced(shift + 1).height() >= shown.height())
      ++shift;
    return shift;
  }
  QSize reduced(int shift) const {
    const int d = 1 << shift;
    return {(natural_.width() + d - 1) / d, (natural_.height() + d - 1) / d};
  }
  // A big JPEG shown at natural size with only its top part in view: that part is decoded
  // first (the decoder stops after its last row), the whole picture when events run next,
  // after the band has gone (so that the two never take memory together).
  bool paintBand(QPainter& painter, const QSize& shown, const QRect& area) {
    if (format_ != "jpeg" || shown != natural_ ||
        qint64(natural_.width()) * natural_.height() < 4'000'000 || area.bottom() >= natural_.height() / 2)
      return false;
    if (band_.isNull()) {
      QImageReader reader(path_, format_);
      reader.setAutoTransform(false);
      reader.setClipRect(QRect(0, 0, area.right() + 1, area.bottom() + 1));
      band_ = reader.read();
      if (band_.isNull()) return false;
      QTimer::singleShot(0, &context_, [this] {
        if (decoded_.isNull() && !failed_) decode(0);
        if (changed) changed();
      });
    }
    if (!band_.rect().contains(area)) return false;
    painter.drawImage(area.topLeft(), band_, area);
    return true;
  }
  void decode(int shift) {
    decoded_ = QImage();
    scaled_ = QImage();
    band_ = QImage();
    QImageReader reader(path_, format_);
    reader.setAutoTransform(false);
    if (shift > 0) reader.setScaledSize(reduced(shift));
    decoded_ = reader.read();
    shift_ = shift;
    failed_ = decoded_.isNull();
  }

  QString path_;
  QByteArray format_;
  QImage decoded_, scaled_, band_;
  QObject context_;  // ends the pending decode with the picture
  int shift_ = 0;
  bool failed_ = false;
};

// GIF, animated or not: frames are decoded one at a time as they are due.
class Movie : public Picture {
 public:
  Movie(const QString& path, QSize natural) : Picture(natural), movie_(path, "gif") {
    movie_.setCacheMode(QMovie::CacheNone);
    QObject::connect(&movie_, &QMovie::frameChanged, [this](int) {
      if (changed) changed();
    });
    movie_.start();
  }
  void restart() override {
    movie_.stop();
    movie_.start();
  }
  void paint(QPainter& painter, const QSize& shown, const QRect& area) override {
    const QPixmap frame = movie_.currentPixmap();
    if (!frame.isNull()) DrawScaled(painter, frame, shown, area);
  }

 private:
  QMovie movie_;
};

// WMF: the records are played once into a recording, which is replayed at any size.
class Metafile : public Picture {
 public:
  Metafile(QSize natural, QPicture recording) : Picture(natural), recording_(std::move(recording)) {}
  void paint(QPainter& painter, const QSize& shown, const QRect& area) override {
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(double(shown.width()) / natural_.width(),
                  double(shown.height()) / natural_.height());
    painter.drawPicture(0, 0, recording_);
    painter.restore();
  }

 private:
  QPicture recording_;
};

}  // namespace

std::unique_ptr<Picture> Picture::Open(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() <= 0) return nullptr;
  if (Wmf::IsWmf(file.peek(32))) {
    QPicture recording;
    QSize natural;
    if (!Wmf::Play(file.readAll(), recording, natural)) return nullptr;
    return std::make_unique<Metafile>(natural, std::move(recording));
  }
  file.close();

  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);
  if (!reader.canRead()) return nullptr;
  const QByteArray format = reader.format().toLower();
  if (format != "gif" && format != "bmp" && format != "jpeg" && format != "png" &&
      format != "ico")
    return nullptr;
  QSize natural = reader.size();
  if (!natural.isValid()) natural = reader.read().size();
  if (natural.isEmpty()) return nullptr;
  if (format == "gif") return std::make_unique<Movie>(path, natural);
  return std::make_unique<Still>(path, format, natural);
}

}  // namespace browser
