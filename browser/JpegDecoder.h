// A JPEG file decoded by libjpeg into one image of 24-bit (or 8-bit grey) pixels, in parts
// that decode side by side: first the part the window shows, then the rest in strips; each
// part's decoder skips the rows above it and leaves out the columns beside it.
#pragma once
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace browser {

class JpegDecoder {
 public:
  struct Header {
    QSize size;
    bool grey = false;
    bool progressive = false;
    int blockWidth = 8;     // the width of a column of blocks at full size
    int64_t workBytes = 0;  // what the decoders need beside the pixels, at full size
  };
  // None when the file is no JPEG that libjpeg gives as RGB or grey.
  static std::optional<Header> ReadHeader(const QString& path);
  // The size of the picture decoded at 1 / 2^shift.
  static QSize ScaledSize(QSize natural, int shift);
  static int64_t PixelBytes(const Header& header, int shift);

  // Starts decoding at 1 / 2^shift, the part `first` (pixels of the decoded size) before the
  // rest; `ended` is called on a decoding thread once every part has ended. An image that
  // cannot be made leaves the decoder failed.
  JpegDecoder(const QString& path, const Header& header, int shift, QRect first,
              std::function<void()> ended = {});
  ~JpegDecoder();  // stops the parts still decoding and waits for them
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  int shift() const { return shift_; }
  const QImage& image() const { return image_; }
  // Waits until every part holding a pixel of `area` has ended; answers the pixels of the
  // picture that are decoded there.
  QRegion WaitFor(const QRect& area);
  bool Complete();

 private:
  struct Part {
    QRect rect;
    bool ended = false, ok = false;
  };
  void AddRows(int top, int bottom, int strips);
  void Work();
  bool Decode(const QRect& rect);

  QByteArray path_;
  int shift_ = 0;
  int align_ = 1;  // the width of a column of blocks, decoded
  bool grey_ = false;
  QImage image_;
  std::vector<Part> parts_;
  size_t next_ = 0;  // the next part to start
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable ended_;
  std::function<void()> whenEnded_;
  size_t endedParts_ = 0;
  std::atomic<bool> stop_ = false;
};

}  // namespace browser
