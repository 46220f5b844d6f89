#include "browser/JpegDecoder.h"

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace browser {
namespace {

struct Failure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void GiveUp(j_common_ptr info) {
  std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1);
}
// Warnings (a file cut short, a damaged stretch) leave the rows libjpeg could make.
void Silent(j_common_ptr, int) {}
void SilentOutput(j_common_ptr) {}

// Reads the header of the open file and runs `body` on the decompressor; false when libjpeg
// gave up. libjpeg leaves by a long jump: `body` keeps no object that needs destroying.
template <class Body>
bool WithDecompressor(std::FILE* file, Body&& body) {
  jpeg_decompress_struct info;
  Failure failure;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = GiveUp;
  failure.manager.emit_message = Silent;
  failure.manager.output_message = SilentOutput;
  jpeg_create_decompress(&info);
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  const bool done = body(info);
  jpeg_destroy_decompress(&info);
  return done;
}

}  // namespace

std::optional<JpegDecoder::Header> JpegDecoder::ReadHeader(const QString& path) {
  std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
  if (!file) return std::nullopt;
  Header header;
  const bool usable = WithDecompressor(file, [&header](jpeg_decompress_struct& info) {
    const bool colour = info.num_components == 3 &&
                        (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    if (!colour && info.num_components != 1) return false;
    header.size = QSize(int(info.image_width), int(info.image_height));
    header.grey = info.num_components == 1;
    header.progressive = info.progressive_mode;
    header.blockWidth = header.grey ? 8 : 8 * info.max_h_samp_factor;
    // A progressive picture is held whole as coefficients (two bytes each) while it decodes.
    int64_t coefficients = 0;
    for (int i = 0; i < info.num_components; ++i)
      coefficients += int64_t(info.comp_info[i].width_in_blocks) * info.comp_info[i].height_in_blocks * 64;
    header.workBytes = (header.progressive ? 2 * coefficients : 0) + (8 << 20);
    return !header.size.isEmpty();
  });
  std::fclose(file);
  return usable ? std::optional(header) : std::nullopt;
}

QSize JpegDecoder::ScaledSize(QSize natural, int shift) {
  const int d = 1 << shift;
  return {(natural.width() + d - 1) / d, (natural.height() + d - 1) / d};
}

int64_t JpegDecoder::PixelBytes(const Header& header, int shift) {
  const QSize size = ScaledSize(header.size, shift);
  const int64_t line = (int64_t(size.width()) * (header.grey ? 1 : 3) + 3) / 4 * 4;
  return line * size.height();
}

JpegDecoder::JpegDecoder(const QString& path, const Header& header, int shift, QRect first,
                         std::function<void()> ended)
    : path_(QFile::encodeName(path)), shift_(shift), grey_(header.grey), whenEnded_(std::move(ended)) {
  image_ = QImage(ScaledSize(header.size, shift), grey_ ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  if (image_.isNull()) return;
  const QRect whole = image_.rect();
  // A progressive picture is decoded by one decoder: each would hold all its coefficients.
  const int threads = header.progressive ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  const int strips = int(std::clamp<int64_t>(int64_t(whole.width()) * whole.height() / 1'500'000, 1, threads));
  // The first part starts and ends on columns of blocks, where libjpeg can leave columns out.
  const int align = align_ = std::max(1, header.blockWidth >> shift);
  first &= whole;
  if (header.progressive || strips == 1 || first.isEmpty() || first == whole) {
    AddRows(0, whole.height(), strips);
  } else {
    const int left = first.left() / align * align;
    const int right = std::min(whole.width(), (first.right() + align) / align * align);
    const int top = first.top(), bottom = first.bottom() + 1;
    parts_.push_back({QRect(left, top, right - left, bottom - top)});
    if (right < whole.width()) parts_.push_back({QRect(right, top, whole.width() - right, bottom - top)});
    if (left > 0) parts_.push_back({QRect(0, top, left, bottom - top)});
    AddRows(bottom, whole.height(), strips);
    AddRows(0, top, strips);
  }
  image_.bits();  // the one copy of the pixels, made before the decoders write into it
  for (int i = 0; i < std::min<int>(threads, int(parts_.size())); ++i) workers_.emplace_back([this] { Work(); });
}

// The rows top..bottom - 1 in strips of a similar height.
void JpegDecoder::AddRows(int top, int bottom, int strips) {
  const int rows = bottom - top;
  if (rows <= 0) return;
  const int count = std::clamp(int(int64_t(strips) * rows / image_.height()), 1, std::max(1, rows / 16));
  for (int i = 0, at = top; i < count; ++i) {
    // Whole rows of blocks are skipped fastest.
    const int end = i + 1 == count ? bottom : std::max(at + 1, top + rows * (i + 1) / count / 16 * 16);
    parts_.push_back({QRect(0, at, image_.width(), end - at)});
    at = end;
  }
}

JpegDecoder::~JpegDecoder() {
  stop_ = true;
  for (std::thread& t : workers_) t.join();
}

void JpegDecoder::Work() {
  for (;;) {
    QRect rect;
    size_t index;
    {
      std::lock_guard lock(mutex_);
      if (next_ == parts_.size() || stop_) return;
      index = next_++;
      rect = parts_[index].rect;
    }
    const bool ok = Decode(rect);
    bool last;
    {
      std::lock_guard lock(mutex_);
      parts_[index].ended = true;
      parts_[index].ok = ok;
      last = ++endedParts_ == parts_.size();
      ended_.notify_all();
    }
    if (last && whenEnded_ && !stop_) whenEnded_();
  }
}

bool JpegDecoder::Decode(const QRect& rect) {
  uchar* const bits = const_cast<uchar*>(std::as_const(image_).bits());
  const qsizetype line = image_.bytesPerLine();
  const int depth = grey_ ? 1 : 3;
  const QSize size = image_.size();
  // A part of some columns is decoded a column of blocks wider on each side: the smoothing of
  // the colours at its edges then sees the same neighbours as in the whole picture. Its own
  // columns go into the picture through a few rows of its own.
  const bool cropped = rect.width() != size.width();
  const int from = cropped ? std::max(0, rect.left() - align_) : 0;
  const int to = cropped ? std::min(size.width(), rect.right() + 1 + align_) : size.width();
  std::vector<uchar> rowsOfPart(cropped ? size_t(to - from) * depth * 16 : 0);
  std::FILE* file = std::fopen(path_.constData(), "rb");
  if (!file) return false;
  const bool ok = WithDecompressor(file, [&](jpeg_decompress_struct& info) {
    info.scale_num = 1;
    info.scale_denom = 1u << shift_;
    info.out_color_space = grey_ ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    if (int(info.output_width) != size.width() || int(info.output_height) != size.height()) return false;
    JDIMENSION x = JDIMENSION(from), width = JDIMENSION(to - from);
    if (cropped) jpeg_crop_scanline(&info, &x, &width);
    if (int(x) > rect.left() || int(x + width) < rect.right() + 1 || int(width) > to - from) return false;
    if (rect.top() > 0) jpeg_skip_scanlines(&info, JDIMENSION(rect.top()));
    const qsizetype own = qsizetype(rect.left() - int(x)) * depth, ownBytes = qsizetype(rect.width()) * depth;
    JSAMPROW rows[16];
    while (int(info.output_scanline) <= rect.bottom() && !stop_) {
      const int at = int(info.output_scanline), n = std::min(16, rect.bottom() + 1 - at);
      for (int i = 0; i < n; ++i)
        rows[i] = cropped ? rowsOfPart.data() + qsizetype(i) * (to - from) * depth : bits + qsizetype(at + i) * line;
      const int got = int(jpeg_read_scanlines(&info, rows, JDIMENSION(n)));
      for (int i = 0; cropped && i < got; ++i)
        std::memcpy(bits + qsizetype(at + i) * line + qsizetype(rect.left()) * depth, rows[i] + own, size_t(ownBytes));
    }
    return !stop_;
  });
  std::fclose(file);
  return ok;
}

QRegion JpegDecoder::WaitFor(const QRect& area) {
  std::unique_lock lock(mutex_);
  ended_.wait(lock, [&] {
    return std::all_of(parts_.begin(), parts_.end(), [&](const Part& p) { return p.ended || !p.rect.intersects(area); });
  });
  QRegion decoded;
  for (const Part& p : parts_)
    if (p.ok && p.rect.intersects(area)) decoded += p.rect;
  return decoded;
}

bool JpegDecoder::Complete() {
  std::lock_guard lock(mutex_);
  return endedParts_ == parts_.size();
}

}  // namespace browser
