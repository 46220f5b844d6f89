// Reads one PNG file, decodes it with its own inflater and pixel pipeline and draws it into a
// picture box. One object serves many files in turn.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/error.h"

namespace vb {
class PictureBox;
}

class LoadPNG {
 public:
  // Reads, decodes and draws the file; always answers 0. Success or failure is read from
  // ErrorNumber, Width and Height. A run-time failure (a file that cannot be opened, a
  // malformed chunk or compressed stream, a picture too large) ends it with vb::Error.
  int32_t OpenPNG(const std::string& filename);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Bitdepht() const { return bitDepth_; }
  int32_t ColorType() const { return colorType_; }
  int32_t Compression() const { return compressionMethod_; }
  int32_t Filter() const { return filterMethod_; }
  int32_t Interlacing() const { return interlaceMethod_; }
  int32_t ErrorNumber() const { return errorNumber_; }
  bool HaveAlpha() const { return haveAlpha_; }
  bool HaveTransparence() const { return haveTransparence_; }
  void SetTrans(bool vNewValue) { setTrans_ = vNewValue; }
  void SetAlpha(bool vNewValue) { setAlpha_ = vNewValue; }
  bool HasBKGDChunk() const { return hasBKGD_; }
  int32_t BkgdColor() const { return bkgdColor_; }
  std::string Text() const { return text_; }
  std::string zText() const { return zText_; }
  std::string ModiTime() const { return modiTime_; }
  double gama() const { return gammaRaw_ / 100000.0; }
  void BackgroundPicture(vb::PictureBox* vNewValue) { bgPicture_ = vNewValue; }
  void SetOwnBkgndColor(bool& OwnBkgndOn, int32_t BackColor = 0) {
    ownBkgndOn_ = OwnBkgndOn;
    ownBackColor_ = BackColor;
  }
  void PicBox(vb::PictureBox* NewPicBox) { targetBox_ = NewPicBox; }
  void SetToBkgrnd(bool& SetToBG) {
    int32_t x = 0, y = 0;
    SetToBkgrnd(SetToBG, x, y);
  }
  void SetToBkgrnd(bool& SetToBG, int32_t& x, int32_t& y) {
    setToBG_ = SetToBG;
    bgOriginX_ = x;
    bgOriginY_ = y;
  }

 private:
  using Bytes = std::vector<std::uint8_t>;

  // Chunk readers.
  void ReadIHDR(const Bytes& data);
  void ReadBKGD();
  void ReadZTXT(const Bytes& data);

  // Inflater.
  // A code is looked up by the next rootBits bits, and codes longer than that through a
  // second table of the bits that follow. An entry is length << 9 | symbol (0: no code), or
  // a link: Link | bits of the second table << 24 | where it starts.
  struct HuffmanTable {
    static constexpr std::uint32_t Link = 0x80000000u;
    std::vector<std::uint32_t> entry;
    int rootBits = 0;
    std::uint32_t Lookup(std::uint64_t bits) const {
      std::uint32_t e = entry[bits & ((std::uint64_t{1} << rootBits) - 1)];
      if (e & Link)
        e = entry[(e & 0xFFFFFF) + ((bits >> rootBits) & ((std::uint64_t{1} << ((e >> 24) & 0x7F)) - 1))];
      return e;
    }
  };
  void Inflate(Bytes& data, int32_t& expectedSize, bool deflate64, int32_t& result);
  struct BitReader;
  bool InflateInto(BitReader& bits, int32_t& expectedSize, bool deflate64, int32_t& result, Bytes& out);
  void BuildStaticTrees();
  int BuildDynamicTrees(BitReader& bits);
  static int CreateHuffmanTable(HuffmanTable& table, const int* lengths, int count, int& maxLen, int& minLen,
                                bool distances);

  // Pixel pipeline.
  void DecodeImage();
  int64_t CheckPictureSize() const;
  int BitsPerPixel() const;
  int BytesPerPixel() const;
  int64_t RowBytes() const;
  void UnfilterImage(Bytes& data);
  void DeinterlaceAdam7(Bytes& data);
  void PadRowsToStride(Bytes& data, int bits);
  void Unpack2Bit(Bytes& data);
  void ApplyTrnsIndexed(Bytes& data, int bits);
  void ApplyTrnsRGB(Bytes& data);
  void BlendOnBackground(Bytes& data, int32_t x, int32_t y);
  void FillBackground(Bytes& background, int32_t color);

  // The image data, in blocks of 2^IdatShift bytes that the inflater frees behind itself,
  // and where its chunks lie in the file (to read them again when it is needed whole).
  // (32 MiB: blocks that size go back to the system when freed.)
  static constexpr unsigned IdatShift = 25;
  std::vector<std::unique_ptr<std::uint8_t[]>> idatBlocks_;
  int32_t idatLength_ = 0;
  std::vector<std::pair<int64_t, int32_t>> idatChunks_;
  std::string fileName_;
  Bytes IdatBytes(std::size_t from) const;
  Bytes paletteBytes_;

  // Inflater state that lives as long as the object.
  HuffmanTable litTable_, distTable_, staticLitTable_, staticDistTable_;
  bool staticBuilt_ = false;
  int litMinLen_ = 0, litMaxLen_ = 0, distMinLen_ = 0, distMaxLen_ = 0;

  int32_t outBitCount_ = 0;
  int32_t width_ = 0, height_ = 0;
  int32_t bitDepth_ = 0, colorType_ = 0, compressionMethod_ = 0, filterMethod_ = 0, interlaceMethod_ = 0;
  int32_t errorNumber_ = 0;
  bool setAlpha_ = false;
  bool haveAlpha_ = false;
  Bytes trnsBytes_;
  bool haveTransparence_ = false;
  bool setTrans_ = false;
  Bytes bkgdBytes_;
  bool hasBKGD_ = false;
  int32_t bkgdColor_ = 0;
  std::string text_;
  std::string modiTime_;
  std::string zText_;
  int32_t gammaRaw_ = 0;
  int32_t bgOriginX_ = 0, bgOriginY_ = 0;
  vb::PictureBox* bgPicture_ = nullptr;
  bool ownBkgndOn_ = false;
  int32_t ownBackColor_ = 0;
  vb::PictureBox* targetBox_ = nullptr;
  bool setToBG_ = false;
};
