#include "browser/Picture.h"

#include "browser/JpegDecoder.h"
#include "browser/Wmf.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>
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

// The memory a picture's pixels may take now: what the machine has available (and what the
// process's control group still allows), less a quarter kept for everything else.
int64_t PixelBudget() {
  auto number = [](const QString& path) -> int64_t {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    bool ok = false;
    const qint64 v = f.readAll().trimmed().toLongLong(&ok);
    return ok ? v : -1;  // "max" reads as no limit
  };
  int64_t available = -1;
  QFile meminfo("/proc/meminfo");
  if (meminfo.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : meminfo.readAll().split('\n'))
      if (line.startsWith("MemAvailable:")) available = line.mid(13).trimmed().split(' ').front().toLongLong() * 1024;
  }
  // The control group's limit less its use: version 2 ("0::/path"), or version 1's memory
  // controller ("N:memory:/path").
  QFile cgroup("/proc/self/cgroup");
  if (cgroup.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : cgroup.readAll().split('\n')) {
      const QList<QByteArray> fields = line.split(':');
      if (fields.size() != 3) continue;
      const QString path = QString::fromUtf8(fields[2]);
      int64_t most = -1, used = -1;
      if (fields[0] == "0" && fields[1].isEmpty()) {
        most = number("/sys/fs/cgroup" + path + "/memory.max");
        used = number("/sys/fs/cgroup" + path + "/memory.current");
      } else if (fields[1] == "memory") {
        most = number("/sys/fs/cgroup/memory" + path + "/memory.limit_in_bytes");
        used = number("/sys/fs/cgroup/memory" + path + "/memory.usage_in_bytes");
      }
      if (most > 0 && used >= 0 && (available < 0 || most - used < available)) available = std::max<int64_t>(0, most - used);
    }
  }
  if (available < 0) available = int64_t(1) << 30;
  return available / 4 * 3;
}

// No picture beyond 16384 x 16384 is taken, whatever its header claims.
constexpr int64_t kMostPixels = int64_t(16384) * 16384;

// Pixels drawn at any shown size: near their own size straight from the one copy, only the
// part in view; at half their size or less from a copy halved as often as the shown size
// allows, made once for that size class (drawing would skip pixels).
class Halving {
 public:
  void draw(QPainter& painter, const QImage& pixels, const QSize& shown, const QRect& area) {
    int level = 0;
    while (level < 16 && (pixels.width() >> (level + 1)) >= shown.width() &&
           (pixels.height() >> (level + 1)) >= shown.height())
      ++level;
    if (level == 0) {
      halved_ = QImage();
      DrawScaled(painter, pixels, shown, area);
      return;
    }
    if (level != level_ || halved_.isNull())
      halved_ = pixels.scaled(pixels.width() >> level, pixels.height() >> level, Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation);
    level_ = level;
    DrawScaled(painter, halved_, shown, area);
  }
  void drop() { halved_ = QImage(); }

 private:
  QImage halved_;
  int level_ = 0;
};

// PNG, BMP, ICO (and JPEGs libjpeg does not give as RGB): decoded whole when opened, so that
// a picture that cannot be decoded is known at once.
class Still : public Picture {
 public:
  Still(QSize natural, QImage pixels) : Picture(natural), pixels_(std::move(pixels)) {
    // Drawn as it is held: no conversion at each paint.
    if (pixels_.format() == QImage::Format_ARGB32) pixels_.convertTo(QImage::Format_ARGB32_Premultiplied);
  }
  void paint(QPainter& painter, const QSize& shown, const QRect& area) override {
    halving_.draw(painter, pixels_, shown, area);
  }

 private:
  QImage pixels_;
  Halving halving_;
};

// JPEG: decoded in parts side by side from the start, at its natural size and first the part
// of it that a window of the screen's work area shows, at its top left (where a picture
// larger than the window is shown first). Shown much smaller, it is decoded again at the
// smallest of 1/2, 1/4, 1/8 of its size that still covers the shown size (libjpeg scales as
// it decodes, much faster and in less memory). A paint waits only for the parts it shows.
class Photo : public Picture {
 public:
  Photo(QString path, JpegDecoder::Header header) : Picture(header.size), path_(std::move(path)), header_(header) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize view = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    decoder_ = start(0, QRect(QPoint(0, 0), view));
  }

  void paint(QPainter& painter, const QSize& shown, const QRect& area) override {
    const int shift = wantedShift(shown);
    if (next_ && next_->shift() != shift) next_.reset();
    if (decoder_->shift() != shift) {
      const QSize size = JpegDecoder::ScaledSize(natural_, shift);
      if (!decoder_->Complete()) {
        decoder_.reset();  // the old pixels go before the new ones are made
        decoder_ = start(shift, Within(area, shown, size));
      } else if (!next_) {
        // A whole picture of the old size stands in until the new size is decoded whole.
        next_ = start(shift, Within(area, shown, size));
      }
    }
    if (next_ && next_->Complete()) {
      halving_.drop();
      decoder_ = std::move(next_);
    }
    const QImage& pixels = decoder_->image();
    if (pixels.isNull()) return;
    if (next_) {
      DrawScaled(painter, pixels, shown, area);
      return;
    }
    if ((pixels.width() >> 1) >= shown.width() && (pixels.height() >> 1) >= shown.height()) {
      decoder_->WaitFor(pixels.rect());  // the halved copy is made from all of it
      halving_.draw(painter, pixels, shown, area);
      return;
    }
    // One pixel more on each side for the smoothing.
    const QRegion decoded = decoder_->WaitFor(Within(area, shown, pixels.size()).adjusted(-1, -1, 1, 1));
    QRegion shownParts;
    for (const QRect& r : decoded) shownParts += Within(r, pixels.size(), shown);
    painter.save();
    painter.setClipRegion(shownParts & area, Qt::IntersectClip);
    DrawScaled(painter, pixels, shown, area);
    painter.restore();
  }

 private:
  // The pixels of a picture of size `to` that a rectangle of a picture of size `from` covers.
  static QRect Within(const QRect& r, const QSize& from, const QSize& to) {
    const double sx = double(to.width()) / from.width(), sy = double(to.height()) / from.height();
    const int left = int(std::floor(r.left() * sx)), top = int(std::floor(r.top() * sy));
    const int right = int(std::ceil((r.right() + 1) * sx)), bottom = int(std::ceil((r.bottom() + 1) * sy));
    return QRect(left, top, right - left, bottom - top) & QRect(QPoint(0, 0), to);
  }
  int wantedShift(const QSize& shown) const {
    int shift = 0;
    while (shift < 3 && JpegDecoder::ScaledSize(natural_, shift + 1).width() >= shown.width() &&
           JpegDecoder::ScaledSize(natural_, shift + 1).height() >= shown.height())
      ++shift;
    return shift;
  }

  std::unique_ptr<JpegDecoder> start(int shift, const QRect& first) {
    return std::make_unique<JpegDecoder>(path_, header_, shift, first, [this] {
      QMetaObject::invokeMethod(&context_, [this] {
        if (changed) changed();
      }, Qt::QueuedConnection);
    });
  }

  QString path_;
  JpegDecoder::Header header_;
  QObject context_;  // ends the pending repaints with the picture, once the decoders are gone
  std::unique_ptr<JpegDecoder> decoder_, next_;
  Halving halving_;
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

  // The readers may take what the machine can give, and no more.
  const int64_t budget = PixelBudget();
  QImageReader::setAllocationLimit(int(std::clamp<int64_t>(budget >> 20, 1, std::numeric_limits<int>::max())));
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);
  if (!reader.canRead()) return nullptr;
  const QByteArray format = reader.format().toLower();
  if (format != "gif" && format != "bmp" && format != "jpeg" && format != "png" &&
      format != "ico")
    return nullptr;
  QSize natural = reader.size();
  if (!natural.isValid() && format != "ico") return nullptr;
  if (natural.isValid() && int64_t(natural.width()) * natural.height() > kMostPixels) return nullptr;
  if (format == "gif") {
    // The frame being built and the one shown.
    if (natural.isEmpty() || int64_t(natural.width()) * natural.height() * 8 > budget) return nullptr;
    return std::make_unique<Movie>(path, natural);
  }
  if (format == "jpeg") {
    if (const auto header = JpegDecoder::ReadHeader(path)) {
      if (JpegDecoder::PixelBytes(*header, 0) + header->workBytes > budget) return nullptr;
      return std::make_unique<Photo>(path, *header);
    }
  }
  const QImage::Format held = reader.imageFormat();
  const int64_t bytesPerPixel = held == QImage::Format_Invalid ? 4 : std::max(1, QImage::toPixelFormat(held).bitsPerPixel() / 8);
  if (natural.isValid() && int64_t(natural.width()) * natural.height() * bytesPerPixel > budget) return nullptr;
  QImage pixels = reader.read();
  if (pixels.isNull()) return nullptr;
  return std::make_unique<Still>(pixels.size(), std::move(pixels));
}

}  // namespace browser
