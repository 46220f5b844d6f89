#include "runtime/picture.h"

#include <QBitmap>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <cstdint>
#include <cstring>

#include "platform/fs.h"
#include "runtime/error.h"
#include "runtime/qt.h"
#include "runtime/screen.h"

namespace vb {
namespace {

// Sizes in HiMetric as the runtime reports them: pixels at the screen's twips per pixel.
int32_t himetric(int pixels, int twipsPerPixel) {
  return static_cast<int32_t>(pixels * twipsPerPixel * 2540.0 / 1440.0 + 0.5);
}

enum class Kind { Unknown, Bmp, Jpeg, Gif, Ico, Cur, Png };

Kind kindOf(const QByteArray& b) {
  auto starts = [&](const char* sig, int n) { return b.size() >= n && std::memcmp(b.data(), sig, n) == 0; };
  if (starts("BM", 2)) return Kind::Bmp;
  if (starts("\xFF\xD8\xFF", 3)) return Kind::Jpeg;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return Kind::Gif;
  if (starts("\x89PNG", 4)) return Kind::Png;
  if (starts("\0\0\1\0", 4)) return Kind::Ico;
  if (starts("\0\0\2\0", 4)) return Kind::Cur;
  return Kind::Unknown;
}

uint16_t le16(const QByteArray& b, int at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

}  // namespace

int StdPicture::Type() const { return d_ ? d_->type : vbPicTypeNone; }
int StdPicture::PixelWidth() const { return d_ ? d_->image.width() : 0; }
int StdPicture::PixelHeight() const { return d_ ? d_->image.height() : 0; }
int32_t StdPicture::Width() const { return himetric(PixelWidth(), Screen::TwipsPerPixelX()); }
int32_t StdPicture::Height() const { return himetric(PixelHeight(), Screen::TwipsPerPixelY()); }

StdPicture PictureFromImage(const QImage& image, int type) {
  if (image.isNull()) return {};
  auto d = std::make_shared<StdPicture::Data>();
  d->image = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                     : image.convertToFormat(QImage::Format_RGB32);
  d->type = type;
  return StdPicture(std::move(d));
}

QImage ImageOf(const StdPicture& picture) {
  return picture ? picture.data()->image : QImage();
}

StdPicture LoadPicture(const std::string& fileName) {
  if (fileName.empty()) return {};
  QByteArray bytes;
  if (fileName[0] == ':') {  // the program's own resources
    QFile f(QString::fromStdString(fileName));
    if (!f.open(QIODevice::ReadOnly)) throw Error(vbErrFileNotFound, "File not found: " + fileName);
    bytes = f.readAll();
  } else {
    // A file's name is bytes and reaches the system as they are.
    if (!win::IsFile(fileName)) throw Error(vbErrFileNotFound, "File not found: " + fileName);
    const std::optional<std::string> read = win::ReadWholeFile(fileName);
    if (!read) throw Error(75, "Path/File access error: " + fileName);
    bytes = QByteArray::fromStdString(*read);
  }
  const Kind kind = kindOf(bytes);
  const char* format = nullptr;
  switch (kind) {
    case Kind::Bmp: format = "bmp"; break;
    case Kind::Jpeg: format = "jpeg"; break;
    case Kind::Gif: format = "gif"; break;
    case Kind::Ico: format = "ico"; break;
    case Kind::Cur: format = "cur"; break;
    default: throw Error(vbErrInvalidPicture, "Invalid picture");
  }
  QBuffer buf;
  buf.setData(bytes);
  QImageReader reader(&buf, format);
  QImage img = reader.read();
  if (img.isNull()) throw Error(vbErrInvalidPicture, "Invalid picture");
  const bool icon = kind == Kind::Ico || kind == Kind::Cur;
  StdPicture pic = PictureFromImage(img, icon ? vbPicTypeIcon : vbPicTypeBitmap);
  if (kind == Kind::Cur && bytes.size() >= 22) {
    // The first directory entry holds the hot spot where an icon keeps planes and bit count.
    auto d = std::make_shared<StdPicture::Data>(*pic.data());
    d->hotSpot = QPoint(le16(bytes, 10), le16(bytes, 12));
    pic = StdPicture(std::move(d));
  }
  return pic;
}

bool PictureFileSize(const std::string& fileName, int32_t& width, int32_t& height) {
  // The header is at the start; a file whose header lies deeper is read whole.
  QSize size;
  for (const size_t most : {size_t(1) << 20, SIZE_MAX}) {
    const std::optional<std::string> read = win::ReadWholeFile(fileName, most);
    if (!read) return false;
    QByteArray bytes = QByteArray::fromStdString(*read);
    const char* format = nullptr;
    switch (kindOf(bytes)) {
      case Kind::Bmp: format = "bmp"; break;
      case Kind::Jpeg: format = "jpeg"; break;
      case Kind::Gif: format = "gif"; break;
      case Kind::Png: format = "png"; break;
      default: return false;
    }
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    size = QImageReader(&buf, format).size();
    if (!size.isEmpty() || read->size() < most) break;
  }
  if (size.isEmpty() || int64_t(size.width()) * size.height() * 4 > INT32_MAX) return false;
  width = size.width();
  height = size.height();
  return true;
}

void SavePicture(const StdPicture& picture, const std::string& fileName) {
  if (!picture) throw Error(vbErrObjectNotSet, "Object variable not set");
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  if (!picture.data()->image.convertToFormat(QImage::Format_RGB32).save(&out, "BMP") ||
      !win::WriteWholeFile(fileName, out.data().toStdString()))
    throw Error(75, "Path/File access error: " + fileName);
}

QCursor CursorOf(const StdPicture& picture) {
  if (!picture) return QCursor();
  return QCursor(QPixmap::fromImage(picture.data()->image), picture.data()->hotSpot.x(),
                 picture.data()->hotSpot.y());
}

QCursor PointerShape(int mousePointer, const StdPicture& icon) {
  switch (mousePointer) {
    case vbCustom: return icon ? CursorOf(icon) : QCursor(Qt::ArrowCursor);
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 5: case 15: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
  }
}

}  // namespace vb
