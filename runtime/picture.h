// Picture objects and fonts, and the runtime's picture loader.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace vb {

enum : int { vbPicTypeNone = 0, vbPicTypeBitmap = 1, vbPicTypeIcon = 3 };

// A picture object. A default-constructed picture is Nothing. Pictures are shared values:
// copies show the same pixels, which never change once loaded.
class StdPicture {
 public:
  StdPicture() = default;
  explicit operator bool() const { return d_ != nullptr; }
  bool IsNothing() const { return d_ == nullptr; }
  int Type() const;          // vbPicTypeNone, vbPicTypeBitmap, vbPicTypeIcon (icons and cursors)
  int32_t Width() const;     // HiMetric (1/100 mm), as the runtime gives it
  int32_t Height() const;
  int PixelWidth() const;    // the same sizes in pixels
  int PixelHeight() const;

  struct Data;  // pixels and, for a cursor, its hot spot (runtime/qt.h)
  explicit StdPicture(std::shared_ptr<const Data> d) : d_(std::move(d)) {}
  const Data* data() const { return d_.get(); }

 private:
  std::shared_ptr<const Data> d_;
};

// Reads a BMP, JPEG, GIF (its first frame), ICO or CUR file, by its content. A file name
// starting with ":" is a picture built into the program. "" gives Nothing.
// Raises Error 53 for a missing file and 481 for anything else (PNG included, as the
// runtime's loader does not read it).
StdPicture LoadPicture(const std::string& fileName = "");

// The size in pixels that a BMP, JPEG, GIF or PNG file's header gives (found by content), read
// without its pixels; false for a missing file, another kind, a header without a size, or one
// claiming more 32-bit pixels than a Long counts in bytes.
bool PictureFileSize(const std::string& fileName, int32_t& width, int32_t& height);

// Writes the picture as a BMP file (Error 91 for Nothing).
void SavePicture(const StdPicture& picture, const std::string& fileName);

// A font as the runtime describes it. Size is in points.
struct StdFont {
  std::string Name = "MS Sans Serif";
  float Size = 8.25f;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;
  int Charset = 0;
  bool operator==(const StdFont&) const = default;
};

}  // namespace vb
