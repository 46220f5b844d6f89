#include "png/LoadPNG.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "png/CBitmap.h"
#include "runtime/Form.h"
#include "runtime/controls.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/screen.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void subscriptError() { throw vb::Error(9, "Subscript out of range"); }
[[noreturn]] void overflowError() { throw vb::Error(6, "Overflow"); }

int32_t SwapLong(const std::uint8_t* p) {
  return static_cast<int32_t>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]);
}
// A big-endian 16-bit value widened without sign.
int32_t IntToLong(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }

// Text from the system's 8-bit code page (UTF-8 here): malformed sequences become U+FFFD.
std::string FromCodePage(const std::uint8_t* p, std::size_t n) {
  std::string s;
  s.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t c = p[i];
    int extra = 0;
    std::uint32_t cp = 0, min = 0;
    if (c < 0x80) {
      s += static_cast<char>(c);
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07, min = 0x10000;
    } else {
      s += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    for (; j < n && j <= i + static_cast<std::size_t>(extra) && (p[j] & 0xC0) == 0x80; ++j) cp = (cp << 6) | (p[j] & 0x3F);
    if (j != i + 1 + static_cast<std::size_t>(extra) || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      s += "\xEF\xBF\xBD";
      i = std::max(j, i + 1);
      continue;
    }
    s.append(reinterpret_cast<const char*>(p + i), j - i);
    i = j;
  }
  return s;
}

// Index just before the first 0 byte at or after start; the last index when there is none.
int64_t FindNul(const Bytes& data, int64_t start) {
  const int64_t last = static_cast<int64_t>(data.size()) - 1;
  for (int64_t i = std::max<int64_t>(start, 0); i <= last; ++i)
    if (data[static_cast<std::size_t>(i)] == 0) return i - 1;
  return last;
}

int64_t DibStride(int64_t width, int bits) { return (bits * width + 31) / 32 * 4; }

// The file, read as raw bytes; reading past its end gives zeros, as the runtime's Get does.
class RawFile {
 public:
  explicit RawFile(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {
    if (!f_) throw vb::Error(53, "File not found");
    if (std::fseek(f_, 0, SEEK_END) == 0) length_ = std::ftell(f_);
    std::fseek(f_, 0, SEEK_SET);
    if (length_ < 0) length_ = 0;
  }
  ~RawFile() { Close(); }
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;
  void Close() {
    if (f_) std::fclose(f_);
    f_ = nullptr;
  }
  int64_t Length() const { return length_; }
  int64_t Position() const { return pos_; }  // 0-based
  void Seek(int64_t pos) { pos_ = pos; }
  void Get(std::uint8_t* out, std::size_t n) {
    std::size_t got = 0;
    if (n > 0 && pos_ < length_) {
      std::fseek(f_, static_cast<long>(pos_), SEEK_SET);
      got = std::fread(out, 1, n, f_);
    }
    std::fill(out + got, out + n, 0);
    pos_ += static_cast<int64_t>(n);
  }

 private:
  std::FILE* f_;
  int64_t length_ = 0;
  int64_t pos_ = 0;
};

// RFC 1951 tables, with the two extra distance codes of this inflater.
constexpr int LenBase[32] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                             35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int LenBits[32] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int DistBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,    33,
                              49,   65,   97,   129,  193,  257,   385,   513,   769,   1025,  1537,
                              2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr int DistBits[32] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
                              7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
constexpr int ClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

}  // namespace

// Reads bits least significant first. Bits past the end of the input read as zeros when a
// code is looked up, and are a failure when asked for as a value. `high` remembers how far the
// look-ahead has reached, since a stored block starts behind the bytes it has taken in.
struct LoadPNG::BitReader {
  // The input: blocks of 2^shift bytes, the stream starting `base` bytes into the first.
  std::unique_ptr<std::uint8_t[]>* blocks;
  std::size_t blockCount;
  unsigned shift;
  std::uint64_t base;
  std::size_t length;
  bool freeBehind;          // blocks wholly behind the reader may be freed
  std::size_t freed = 0;    // blocks freed so far
  std::uint64_t pos = 0;    // bits consumed
  std::uint64_t high = 0;   // furthest bit any look-ahead asked for

  // The block that the look-ahead reads: 8 bytes can be read at absolute byte a when
  // a - winStart <= winSpan.
  std::uint64_t winStart = ~std::uint64_t{0}, winSpan = 0;
  const std::uint8_t* winData = nullptr;

  std::uint8_t At(std::uint64_t i) const {
    const std::uint64_t b = base + i;
    return blocks[b >> shift][b & ((std::uint64_t{1} << shift) - 1)];
  }
  // The next 57 bits or more from pos.
  std::uint64_t Peek() {
    const std::uint64_t a = base + (pos >> 3);
    std::uint64_t w = 0;
    if (a - winStart <= winSpan) {
      Load(winData + (a - winStart), w);
    } else {
      // Another block, or the last bytes of the input (zeros after them).
      const std::uint64_t block = a >> shift, start = block << shift;
      const std::uint64_t end = std::min<std::uint64_t>(start + (std::uint64_t{1} << shift), base + length);
      if (block < blockCount && end >= start + 8 && a + 8 <= end) {
        winStart = start;
        winSpan = end - 8 - start;
        winData = blocks[block].get();
        Load(winData + (a - winStart), w);
      } else {
        const std::uint64_t byte = pos >> 3;
        for (std::uint64_t i = 0; byte + i < length && i < 8; ++i) w |= std::uint64_t{At(byte + i)} << (8 * i);
      }
    }
    return w >> (pos & 7);
  }
  static void Load(const std::uint8_t* p, std::uint64_t& w) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&w, p, 8);
    } else {
      for (int i = 0; i < 8; ++i) w |= std::uint64_t{p[i]} << (8 * i);
    }
  }
  void FreeBehind() {
    if (!freeBehind) return;
    const std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>((base + (pos >> 3)) >> shift), blockCount);
    for (; freed < keep; ++freed) blocks[freed].reset();
  }
  std::uint32_t GetBits(int n) {
    if (pos + static_cast<std::uint64_t>(n) > 8 * static_cast<std::uint64_t>(length))
      throw vb::Error(9, "Compressed data ends too early");
    const std::uint32_t v = static_cast<std::uint32_t>(Peek() & ((std::uint64_t{1} << n) - 1));
    pos += static_cast<std::uint64_t>(n);
    high = std::max(high, pos);
    return v;
  }
  void NeedBits(int n) { high = std::max(high, pos + static_cast<std::uint64_t>(n)); }
  int Decode(const HuffmanTable& t) {
    const std::uint32_t e = t.Lookup(Peek());
    if (!e) throw vb::Error(9, "Invalid code in compressed data");
    pos += e >> 9;
    return e & 511;
  }
};

int32_t LoadPNG::OpenPNG(const std::string& filename) {
  hasBKGD_ = false;
  haveTransparence_ = false;
  outBitCount_ = 0;
  idatBlocks_.clear();
  idatChunks_.clear();
  idatLength_ = 0;
  fileName_ = filename;

  RawFile file(filename);
  std::uint8_t head[8];
  file.Get(head, 8);
  static constexpr std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (std::memcmp(head, signature, 8) != 0) {
    errorNumber_ = 1;
    return 0;
  }
  Bytes data;
  for (;;) {
    file.Get(head, 8);
    const int32_t length = SwapLong(head);
    const std::string type(reinterpret_cast<const char*>(head + 4), 4);
    const int64_t p = file.Position() + 1;
    if (p + length > INT32_MAX) overflowError();
    if (p + length > file.Length()) {
      errorNumber_ = 3;
      return 0;
    }
    if (length < 0) throw vb::Error(9, "Negative chunk length");
    const auto n = static_cast<std::size_t>(length);
    if (type == "IDAT") {
      // Joined straight into the image data.
      idatChunks_.emplace_back(file.Position(), length);
      const std::size_t block = std::size_t{1} << IdatShift;
      for (std::size_t done = 0; done < n;) {
        const std::size_t at = static_cast<std::size_t>(idatLength_) + done;
        if ((at >> IdatShift) >= idatBlocks_.size()) idatBlocks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(block));
        const std::size_t part = std::min(n - done, block - (at & (block - 1)));
        file.Get(idatBlocks_[at >> IdatShift].get() + (at & (block - 1)), part);
        done += part;
      }
      idatLength_ += length;
    } else {
      data.resize(n);
      file.Get(data.data(), n);
    }
    std::uint8_t crc[4];
    file.Get(crc, 4);

    if (type == "IHDR") {
      ReadIHDR(data);
    } else if (type == "PLTE") {
      paletteBytes_ = data;
    } else if (type == "IEND") {
      if (idatLength_ == 0) {
        errorNumber_ = 4;
        return 0;
      }
      file.Close();
      try {
        DecodeImage();
      } catch (const std::bad_alloc&) {
        throw vb::Error(7, "Out of memory");
      } catch (const std::length_error&) {
        throw vb::Error(7, "Out of memory");
      }
      return 0;
    } else if (type == "bKGD") {
      bkgdBytes_ = data;
      ReadBKGD();
      hasBKGD_ = true;
    } else if (type == "gAMA") {
      if (data.size() < 4) subscriptError();
      gammaRaw_ = SwapLong(data.data());
    } else if (type == "tEXt") {
      text_ += FromCodePage(data.data(), data.size());
      text_ += '\0';
    } else if (type == "zTXt") {
      ReadZTXT(data);
    } else if (type == "tIME") {
      if (data.size() < 7) subscriptError();
      modiTime_ = vb::Format(static_cast<double>(data[3]), "00") + "." + vb::Format(static_cast<double>(data[2]), "00") + "." +
                  std::to_string(IntToLong(data.data())) + " " + vb::Format(static_cast<double>(data[4]), "00") + ":" +
                  vb::Format(static_cast<double>(data[5]), "00") + ":" + vb::Format(static_cast<double>(data[6]), "00");
    } else if (type == "tRNS") {
      trnsBytes_ = data;
      haveTransparence_ = true;
    }
  }
}

void LoadPNG::ReadIHDR(const Bytes& data) {
  if (data.size() < 13) subscriptError();
  width_ = SwapLong(data.data());
  height_ = SwapLong(data.data() + 4);
  bitDepth_ = data[8];
  colorType_ = data[9];
  compressionMethod_ = data[10];
  filterMethod_ = data[11];
  interlaceMethod_ = data[12];
}

void LoadPNG::ReadBKGD() {
  bkgdColor_ = 0;
  const Bytes& b = bkgdBytes_;
  switch (colorType_) {
    case 0:
    case 4: {
      int level = 0;
      if (b.size() == 2 && CBitmap::GreyLevel(bitDepth_, IntToLong(b.data()), level)) bkgdColor_ = level * 0x010101;
      break;
    }
    case 2:
    case 6: {
      if (b.size() != 6 || bitDepth_ < 1 || bitDepth_ > 30) break;
      const double top = std::ldexp(1.0, bitDepth_) - 1;
      int64_t rgb[3];
      for (int i = 0; i < 3; ++i) rgb[i] = static_cast<int64_t>(std::nearbyint(IntToLong(b.data() + 2 * i) / top * 255));
      const int64_t color = rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
      if (color <= INT32_MAX) bkgdColor_ = static_cast<int32_t>(color);
      break;
    }
    case 3:
      if (b.size() == 1 && 3 * std::size_t{b[0]} + 2 < paletteBytes_.size()) {
        const std::uint8_t* e = paletteBytes_.data() + 3 * b[0];
        bkgdColor_ = e[0] + 256 * e[1] + 65536 * e[2];
      }
      break;
    default: break;
  }
}

void LoadPNG::ReadZTXT(const Bytes& data) {
  const int64_t keywordEnd = FindNul(data, 0);
  zText_ += FromCodePage(data.data(), static_cast<std::size_t>(keywordEnd + 1));
  zText_ += '\0';
  // Past the NUL, the method byte and the zlib header; at least one byte of data must follow.
  const int64_t start = keywordEnd + 5;
  if (start >= static_cast<int64_t>(data.size())) subscriptError();
  Bytes text(data.begin() + start, data.end());
  const int64_t estimate = (static_cast<int64_t>(text.size()) - 1) * 12;
  if (estimate > INT32_MAX) overflowError();
  int32_t expected = static_cast<int32_t>(estimate);
  int32_t result = 0;
  Inflate(text, expected, false, result);
  zText_ += FromCodePage(text.data(), text.size());
  zText_ += '\0';
}

// ---- Inflate ----

void LoadPNG::Inflate(Bytes& data, int32_t& expectedSize, bool deflate64, int32_t& result) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[data.size() + 1]);
  std::copy(data.begin(), data.end(), copy.get());
  BitReader bits{&copy, 1, 62, 0, data.size(), false};
  Bytes out;
  if (InflateInto(bits, expectedSize, deflate64, result, out)) data = std::move(out);
}

// Inflates into out; false after a tree failure (the message was shown; out is not used).
bool LoadPNG::InflateInto(BitReader& bits, int32_t& expectedSize, bool deflate64, int32_t& result, Bytes& out) {
  const std::size_t inLength = bits.length;
  if (expectedSize > INT32_MAX - 100) overflowError();
  expectedSize += 100;
  if (expectedSize < 0) subscriptError();
  result = 0;
  // Output indices 0..expectedSize; the buffer grows towards that as output arrives, so
  // a stream that claims much but holds little costs little.
  const std::size_t cap = static_cast<std::size_t>(expectedSize) + 1;
  // Room is reserved at once (for what the input can give) but taken up a megabyte at a time,
  // so that memory is only used as output arrives while the input behind is freed.
  out.clear();
  out.reserve(std::min<std::size_t>(cap, std::max<std::size_t>(inLength * 1032 + 4096, 1 << 16)));
  std::size_t outPos = 0;
  bool full = false;
  auto room = [&](std::size_t need) {
    if (outPos + need <= out.size()) return;
    const std::size_t step = out.size() < out.capacity() ? std::size_t{1} << 20 : out.size();
    out.resize(std::min(cap, std::max(out.size() + step, outPos + need)));
  };
  for (;;) {
    bits.FreeBehind();
    const std::uint32_t final = bits.GetBits(1);
    const std::uint32_t type = bits.GetBits(2);
    if (type == 3) {
      result = -1;
      break;
    }
    if (type == 0) {
      // Stored block. The reader has taken in whole bytes as far as its look-ahead reached;
      // those that hold no consumed bit are given back.
      std::uint64_t inPos = std::min<std::uint64_t>((bits.high + 7) / 8, inLength);
      if (inLength == 0 || inPos + 4 > inLength - 1) {
        result = -1;
        break;
      }
      int64_t count = static_cast<int64_t>(8 * inPos) - static_cast<int64_t>(bits.pos);
      while (count >= 8) --inPos, count -= 8;
      const std::uint32_t len = bits.At(inPos) | (bits.At(inPos + 1) << 8);
      const std::uint32_t nlen = bits.At(inPos + 2) | (bits.At(inPos + 3) << 8);
      inPos += 4;
      if (len != (~nlen & 0xFFFF)) result = -2;
      if (inPos + len > inLength || outPos + len > cap) {
        result = -1;
        break;
      }
      room(len);
      for (std::uint32_t done = 0; done < len;) {
        const std::uint64_t at = bits.base + inPos + done, block = std::uint64_t{1} << bits.shift;
        const std::uint32_t part =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(len - done, block - (at & (block - 1))));
        std::memcpy(out.data() + outPos + done, bits.blocks[at >> bits.shift].get() + (at & (block - 1)), part);
        done += part;
      }
      outPos += len;
      inPos += len;
      bits.pos = bits.high = 8 * inPos;
    } else {
      if (type == 1) {
        BuildStaticTrees();
      } else if (BuildDynamicTrees(bits) != 0) {
        vb::MsgBox("Error in tree creation (Static)");
        return false;
      }
      const HuffmanTable& lit = litTable_;
      const HuffmanTable& dist = distTable_;
      int64_t lastDistance = -1;  // where the last distance code was looked up
      for (;;) {
        const std::uint64_t start = bits.pos;
        const std::uint32_t e = lit.Lookup(bits.Peek());
        if (!e) throw vb::Error(9, "Invalid code in compressed data");
        bits.pos += e >> 9;
        // The zeros after the input's end are no codes.
        if (bits.pos > 8 * static_cast<std::uint64_t>(inLength)) throw vb::Error(9, "Compressed data ends too early");
        const int symbol = e & 511;
        if (symbol < 256) {
          if (outPos >= out.size()) {
            if (outPos >= cap) {
              full = true;
              break;
            }
            room(1);
          }
          out[outPos++] = static_cast<std::uint8_t>(symbol);
          continue;
        }
        if (symbol == 256) {
          bits.high = std::max(bits.high, start + static_cast<std::uint64_t>(litMaxLen_));
          if (lastDistance >= 0)
            bits.high = std::max(bits.high, static_cast<std::uint64_t>(lastDistance + distMaxLen_));
          break;
        }
        const int li = symbol - 257;
        int length = 0;
        std::size_t distance = 0;
        if (!deflate64) {
          // Length bits, distance code and distance bits all lie within one look-ahead
          // (at most 5 + 15 + 14 bits); a value read past the input's end is a failure.
          std::uint64_t w = bits.Peek();
          length = LenBase[li] + static_cast<int>(w & ((1u << LenBits[li]) - 1));
          w >>= LenBits[li];
          bits.pos += static_cast<std::uint64_t>(LenBits[li]);
          lastDistance = static_cast<int64_t>(bits.pos);
          const std::uint32_t de = dist.Lookup(w);
          if (!de) throw vb::Error(9, "Invalid code in compressed data");
          w >>= de >> 9;
          const int d = de & 511;
          distance = static_cast<std::size_t>(DistBase[d]) + (w & ((1u << DistBits[d]) - 1));
          bits.pos += static_cast<std::uint64_t>((de >> 9) + DistBits[d]);
          if (bits.pos > 8 * static_cast<std::uint64_t>(inLength)) throw vb::Error(9, "Compressed data ends too early");
          bits.high = std::max(bits.high, bits.pos);
        } else {
          length = LenBase[li] + static_cast<int>(bits.GetBits(LenBits[li]));
          if (length == 258) length = static_cast<int>(bits.GetBits(16)) + 3;
          lastDistance = static_cast<int64_t>(bits.pos);
          const int d = bits.Decode(dist);
          distance = static_cast<std::size_t>(DistBase[d]) + bits.GetBits(DistBits[d]);
        }
        if (length == 0) continue;
        if (outPos >= cap) {
          full = true;
          break;
        }
        if (distance > outPos) throw vb::Error(9, "Distance too far back in compressed data");
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), cap - outPos);
        room(n);
        std::uint8_t* o = out.data() + outPos;
        const std::uint8_t* from = o - distance;
        if (distance >= n) {
          std::memcpy(o, from, n);
        } else {
          // Overlapping: the last `distance` bytes repeat; each copy doubles what can be
          // taken from `from` at once.
          for (std::size_t done = 0; done < n;) {
            const std::size_t c = std::min(done + distance, n - done);
            std::memcpy(o + done, from, c);
            done += c;
          }
        }
        outPos += n;
        if (n < static_cast<std::size_t>(length)) {
          full = true;
          break;
        }
      }
      if (full) break;
    }
    if (final) break;
  }
  if (full) outPos = static_cast<std::size_t>(expectedSize);
  out.resize(outPos);
  return true;
}

void LoadPNG::BuildStaticTrees() {
  if (!staticBuilt_) {
    int lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    CreateHuffmanTable(staticLitTable_, lengths, 288, litMaxLen_, litMinLen_, false);
    std::fill(lengths, lengths + 32, 5);
    CreateHuffmanTable(staticDistTable_, lengths, 32, distMaxLen_, distMinLen_, false);
    staticBuilt_ = true;
  } else {
    litMinLen_ = 7;
    litMaxLen_ = 9;
    distMinLen_ = 5;
    distMaxLen_ = 5;
  }
  litTable_ = staticLitTable_;
  distTable_ = staticDistTable_;
}

int LoadPNG::BuildDynamicTrees(BitReader& bits) {
  const int hlit = static_cast<int>(bits.GetBits(5)) + 257;
  const int hdist = static_cast<int>(bits.GetBits(5)) + 1;
  const int hclen = static_cast<int>(bits.GetBits(4)) + 4;
  int clLengths[19] = {};
  for (int i = 0; i < hclen; ++i) clLengths[ClOrder[i]] = static_cast<int>(bits.GetBits(3));
  HuffmanTable clTable;
  int clMax = 0, clMin = 0;
  if (CreateHuffmanTable(clTable, clLengths, 19, clMax, clMin, false) != 0) return -1;

  int lengths[288 + 32] = {};
  const int total = hlit + hdist;
  int n = 0;
  while (n < total) {
    bits.NeedBits(clMax);
    const int symbol = bits.Decode(clTable);
    if (symbol < 16) {
      lengths[n++] = symbol;
      continue;
    }
    int value = 0, repeat = 0;
    if (symbol == 16) {
      if (n == 0) return -5;
      value = lengths[n - 1];
      repeat = static_cast<int>(bits.GetBits(2)) + 3;
    } else if (symbol == 17) {
      repeat = static_cast<int>(bits.GetBits(3)) + 3;
    } else {
      repeat = static_cast<int>(bits.GetBits(7)) + 11;
    }
    if (n + repeat > total) return -6;
    std::fill(lengths + n, lengths + n + repeat, value);
    n += repeat;
  }
  if (CreateHuffmanTable(litTable_, lengths, hlit, litMaxLen_, litMinLen_, false) != 0) return -1;
  return CreateHuffmanTable(distTable_, lengths + hlit, hdist, distMaxLen_, distMinLen_, true);
}

// Builds a lookup table from code lengths: 0 for a complete code, negative when
// over-subscribed, positive when incomplete. For distance codes, a set of no code or of a
// single one-bit code is accepted (as the format allows).
int LoadPNG::CreateHuffmanTable(HuffmanTable& table, const int* lengths, int count, int& maxLen, int& minLen,
                                bool distances) {
  int counts[17] = {};
  int longest = 0;
  minLen = 16;
  for (int i = 0; i < count; ++i) {
    const int l = lengths[i];
    ++counts[l];
    maxLen = std::max(maxLen, l);
    longest = std::max(longest, l);
    if (l > 0) minLen = std::min(minLen, l);
  }
  int left = 1;
  for (int b = 1; b <= maxLen; ++b) {
    left = 2 * left - counts[b];
    if (left < 0) return left;
  }
  int next[17] = {};
  int code = 0;
  counts[0] = 0;
  for (int b = 1; b <= longest; ++b) {
    code = (code + counts[b - 1]) << 1;
    next[b] = code;
  }
  // Each code fills every entry whose low bits are its bits in stream order.
  const int root = std::min(longest, 10);
  const std::size_t rootSize = std::size_t{1} << root, rootMask = rootSize - 1;
  std::vector<std::uint32_t> reversed(static_cast<std::size_t>(count));
  std::vector<int> subBits(rootSize, 0);
  for (int n = 0; n < count; ++n) {
    const int l = lengths[n];
    if (l == 0) continue;
    std::uint32_t c = static_cast<std::uint32_t>(next[l]++), r = 0;
    for (int i = 0; i < l; ++i, c >>= 1) r = (r << 1) | (c & 1);
    reversed[static_cast<std::size_t>(n)] = r;
    if (l > root) subBits[r & rootMask] = std::max(subBits[r & rootMask], l - root);
  }
  table.rootBits = root;
  table.entry.assign(rootSize, 0);
  for (std::size_t i = 0; i < rootSize; ++i)
    if (subBits[i]) {
      table.entry[i] = HuffmanTable::Link | static_cast<std::uint32_t>(subBits[i]) << 24 |
                       static_cast<std::uint32_t>(table.entry.size());
      table.entry.resize(table.entry.size() + (std::size_t{1} << subBits[i]), 0);
    }
  for (int n = 0; n < count; ++n) {
    const int l = lengths[n];
    if (l == 0) continue;
    const std::uint32_t r = reversed[static_cast<std::size_t>(n)];
    const std::uint32_t value = static_cast<std::uint32_t>((l << 9) | n);
    if (l <= root) {
      for (std::size_t k = r; k < rootSize; k += std::size_t{1} << l) table.entry[k] = value;
    } else {
      const std::uint32_t link = table.entry[r & rootMask];
      const std::size_t start = link & 0xFFFFFF, size = std::size_t{1} << ((link >> 24) & 0x7F);
      for (std::size_t k = r >> root; k < size; k += std::size_t{1} << (l - root)) table.entry[start + k] = value;
    }
  }
  if (left > 0 && distances && longest <= 1) return 0;
  return left;
}

// ---- Pixel pipeline ----

int LoadPNG::BitsPerPixel() const {
  const int s = outBitCount_ != 0 ? outBitCount_ : bitDepth_;
  switch (colorType_) {
    case 0:
    case 3: return s;
    case 2: return 3 * s;
    case 4: return 2 * s;
    case 6: return 4 * s;
    default: return 0;
  }
}

int LoadPNG::BytesPerPixel() const { return std::max(BitsPerPixel() / 8, 1); }

int64_t LoadPNG::RowBytes() const {
  const int64_t bits = int64_t{width_} * BitsPerPixel() + 7;
  if (bits > INT32_MAX) overflowError();
  return bits / 8 + 1;
}

namespace {

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  if (pb <= pc) return static_cast<std::uint8_t>(b);
  return static_cast<std::uint8_t>(c);
}

// Reconstructs n bytes of one row from src into dst (which may be src shifted left);
// prior is the reconstructed row above (nullptr: zeros).
void UnfilterRow(int filter, const std::uint8_t* src, std::uint8_t* dst, const std::uint8_t* prior, std::size_t n,
                 std::size_t bpp) {
  switch (filter) {
    case 1:
      for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<std::uint8_t>(src[i] + (i >= bpp ? dst[i - bpp] : 0));
      return;
    case 2:
      if (prior)
        for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<std::uint8_t>(src[i] + prior[i]);
      else
        std::memmove(dst, src, n);
      return;
    case 3:
      for (std::size_t i = 0; i < n; ++i) {
        const int a = i >= bpp ? dst[i - bpp] : 0;
        const int b = prior ? prior[i] : 0;
        dst[i] = static_cast<std::uint8_t>(src[i] + ((a + b) >> 1));
      }
      return;
    case 4:
      if (!prior) {
        for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<std::uint8_t>(src[i] + (i >= bpp ? dst[i - bpp] : 0));
        return;
      }
      for (std::size_t i = 0; i < bpp && i < n; ++i) dst[i] = static_cast<std::uint8_t>(src[i] + prior[i]);
      for (std::size_t i = bpp; i < n; ++i)
        dst[i] = static_cast<std::uint8_t>(src[i] + Paeth(dst[i - bpp], prior[i], prior[i - bpp]));
      return;
    default:  // 0, and unknown filters leave the row as it is
      std::memmove(dst, src, n);
      return;
  }
}

// Rows of rowLength bytes, first row last.
void FlipRows(Bytes& data, std::size_t rowLength, std::size_t rows) {
  for (std::size_t a = 0, b = rows ? rows - 1 : 0; a < b; ++a, --b)
    std::swap_ranges(data.begin() + static_cast<std::ptrdiff_t>(a * rowLength),
                     data.begin() + static_cast<std::ptrdiff_t>((a + 1) * rowLength),
                     data.begin() + static_cast<std::ptrdiff_t>(b * rowLength));
}

void Reduce16To8(Bytes& data) {
  const std::size_t n = data.size() / 2;
  for (std::size_t i = 0; i < n; ++i) data[i] = data[2 * i];
  data.resize(n);
}

void SwapRGB(Bytes& data, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) std::swap(data[3 * i], data[3 * i + 2]);
}

void SwapRGBA(Bytes& data, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) std::swap(data[4 * i], data[4 * i + 2]);
}

void GreyAlphaToBGRA(Bytes& data, std::size_t pixels) {
  data.resize(4 * pixels);
  for (std::size_t i = pixels; i-- > 0;) {
    const std::uint8_t g = data[2 * i], a = data[2 * i + 1];
    std::uint8_t* p = data.data() + 4 * i;
    p[0] = p[1] = p[2] = g;
    p[3] = a;
  }
}

// Adam7: first row, row step, first column, column step of each pass.
constexpr int Passes[7][4] = {{0, 8, 0, 8}, {0, 8, 4, 8}, {4, 8, 0, 4}, {0, 4, 2, 4},
                              {2, 4, 0, 2}, {0, 2, 1, 2}, {1, 2, 0, 1}};

int64_t PassCount(int64_t size, int first, int step) { return size > first ? (size - first + step - 1) / step : 0; }

// Bytes of the zlib output of an interlaced picture.
int64_t Adam7Size(int64_t width, int64_t height, int bits) {
  int64_t total = 0;
  for (const auto& p : Passes) {
    const int64_t rowBytes = (PassCount(width, p[2], p[3]) * bits + 7) / 8;
    if (rowBytes > 0) total += PassCount(height, p[0], p[1]) * (rowBytes + 1);
  }
  return total;
}

}  // namespace

// Every buffer the pipeline derives from the header must fit a Long: known from the header
// alone, so a picture too large for one ends before anything is inflated or allocated.
// Answers the size the image data inflates to.
int64_t LoadPNG::CheckPictureSize() const {
  auto fits = [](int64_t n) {
    if (n > INT32_MAX) overflowError();
  };
  if (width_ < 0 || height_ < 0) overflowError();
  const int64_t w = width_, h = height_;
  fits(w * h);
  const int64_t pixels = w * h;
  fits(pixels * BytesPerPixel());  // also the interlaced picture, a byte per sample below 8 bits
  const int64_t rowBytes = RowBytes();
  int64_t expected = h * rowBytes + (interlaceMethod_ == 1 ? h : 0);
  // The zlib output of an interlaced picture with samples below 8 bits can be longer than
  // that estimate; the estimate limits the output, so it must hold the whole picture.
  if (interlaceMethod_ == 1) expected = std::max(expected, Adam7Size(w, h, BitsPerPixel()));
  fits(expected + 100);
  // The widest rows a conversion makes: BGRA for alpha and transparency (blended rows are no
  // wider), B, G, R for RGB, a byte per pixel for grey and palette pictures.
  const int ct = colorType_;
  if (ct == 4 || ct == 6 || (haveTransparence_ && setTrans_ && (ct == 0 || ct == 2 || ct == 3))) fits(4 * pixels);
  if (ct == 2) fits(h * DibStride(w, 24));
  if (ct == 0 || ct == 3) fits(h * DibStride(w, 8));
  return expected;
}

void LoadPNG::DecodeImage() {
  haveAlpha_ = false;
  const int64_t expected = CheckPictureSize();
  const bool interlaced = interlaceMethod_ == 1;

  // The zlib stream without its two header bytes.
  Bytes data;
  bool inflated = false;
  if (compressionMethod_ == 0) {
    int32_t size = static_cast<int32_t>(expected), result = 0;
    BitReader bits{idatBlocks_.data(), idatBlocks_.size(), IdatShift, 2,
                   static_cast<std::size_t>(std::max(idatLength_ - 2, 0)), true};
    inflated = InflateInto(bits, size, false, result, data);
  }
  if (!inflated) data = IdatBytes(2);
  idatBlocks_.clear();  // no longer needed; OpenPNG starts every file afresh

  if (interlaceMethod_ == 0)
    UnfilterImage(data);
  else if (interlaced && BitsPerPixel() > 0)  // else no bitmap follows: its zeros would only take memory
    DeinterlaceAdam7(data);

  const int depth = bitDepth_;
  const std::size_t w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  const std::size_t pixels = w * h;
  auto need = [&](std::size_t n) {
    if (data.size() < n) subscriptError();
    data.resize(n);
  };
  int bits = 0;
  bool topDown = true;
  switch (colorType_) {
    case 0:
    case 3:
      if (depth == 16 && colorType_ == 0) {
        Reduce16To8(data);
        outBitCount_ = 8;
        PadRowsToStride(data, 8);
        CBitmap::MakeGreyPalette(8, true);
        bits = 8;
      } else if (depth == 2 && !interlaced) {
        Unpack2Bit(data);
        if (colorType_ == 0) CBitmap::MakeGreyPalette(2, true);
        bits = 8;
      } else if ((depth == 1 || depth == 4 || depth == 8) && !interlaced) {
        PadRowsToStride(data, depth);
        if (colorType_ == 0 && depth != 1) CBitmap::MakeGreyPalette(depth, false);
        bits = depth;
      } else if ((depth == 1 || depth == 2 || depth == 4 || depth == 8) && interlaced) {
        PadRowsToStride(data, 8);
        if (colorType_ == 0) CBitmap::MakeGreyPalette(depth, true);
        bits = 8;
      }
      break;
    case 2:
      if (depth == 8 || depth == 16) {
        if (depth == 16) Reduce16To8(data), outBitCount_ = 8;
        need(3 * pixels);
        SwapRGB(data, pixels);
        PadRowsToStride(data, 24);
        bits = 24;
      }
      break;
    case 4:
    case 6:
      if (depth == 8 || depth == 16) {
        haveAlpha_ = true;
        if (depth == 16) Reduce16To8(data), outBitCount_ = 8;
        if (colorType_ == 4) {
          need(2 * pixels);
          GreyAlphaToBGRA(data, pixels);
        } else {
          need(4 * pixels);
          SwapRGBA(data, pixels);
        }
        FlipRows(data, 4 * w, h);
        topDown = false;
        if (setAlpha_) {
          BlendOnBackground(data, bgOriginX_, bgOriginY_);
          bits = 24;
        } else {
          bits = 32;
        }
      }
      break;
    default: break;
  }
  if (bits == 0) return;

  if (haveTransparence_ && setTrans_ && (colorType_ == 0 || colorType_ == 2 || colorType_ == 3)) {
    if (colorType_ == 2)
      ApplyTrnsRGB(data);
    else
      ApplyTrnsIndexed(data, bits);
    FlipRows(data, 4 * w, h);
    BlendOnBackground(data, bgOriginX_, bgOriginY_);
    bits = 24;
    topDown = false;
  }
  outBitCount_ = bits;

  switch (bits) {
    case 1:
      if (colorType_ == 3)
        CBitmap::SetMonoPaletteFromPLTE(paletteBytes_);
      else
        CBitmap::SetMonoPalette(1);
      CBitmap::CreateDIB1(data, width_, height_, 1);
      break;
    case 4:
      if (colorType_ == 3) CBitmap::SetPalette16FromPLTE(paletteBytes_);
      CBitmap::CreateDIB4(data, width_, height_, 1);
      break;
    case 8:
      if (colorType_ != 0 && colorType_ != 4) CBitmap::SetPalette256FromPLTE(paletteBytes_);
      CBitmap::CreateDIB8(data, width_, height_, 1);
      break;
    default: CBitmap::CreateDIB24or32(data, width_, height_, topDown ? 1 : 0, bits == 24 ? 1 : 0); break;
  }
  Bytes().swap(data);  // what a failed creation left
  CBitmap::DrawToPicBox(width_, height_, targetBox_, true, bgOriginX_, bgOriginY_, setToBG_);
}

// The image data from byte `from` on, read again from the file where the inflater has freed
// some of it.
LoadPNG::Bytes LoadPNG::IdatBytes(std::size_t from) const {
  Bytes all(static_cast<std::size_t>(idatLength_));
  const bool whole = std::all_of(idatBlocks_.begin(), idatBlocks_.end(), [](const auto& b) { return b != nullptr; });
  if (whole) {
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = idatBlocks_[i >> IdatShift][i & ((std::size_t{1} << IdatShift) - 1)];
  } else {
    RawFile file(fileName_);
    std::size_t at = 0;
    for (const auto& [offset, length] : idatChunks_) {
      file.Seek(offset);
      file.Get(all.data() + at, static_cast<std::size_t>(length));
      at += static_cast<std::size_t>(length);
    }
  }
  all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())));
  return all;
}

void LoadPNG::UnfilterImage(Bytes& data) {
  const std::size_t rowBytes = static_cast<std::size_t>(RowBytes());
  const std::size_t h = static_cast<std::size_t>(height_);
  if (data.size() < h * rowBytes) subscriptError();
  const std::size_t n = rowBytes - 1, bpp = static_cast<std::size_t>(BytesPerPixel());
  // In place: each row moves left by its filter bytes, above the row it reads.
  std::uint8_t* base = data.data();
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = base + y * rowBytes;
    UnfilterRow(src[0], src + 1, base + y * n, y ? base + (y - 1) * n : nullptr, n, bpp);
  }
  data.resize(h * n);
}

void LoadPNG::DeinterlaceAdam7(Bytes& data) {
  const int bits = BitsPerPixel();
  const std::size_t w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  const std::size_t b = bits >= 8 ? static_cast<std::size_t>(bits / 8) : 1;
  if (static_cast<int64_t>(data.size()) < Adam7Size(width_, height_, bits)) subscriptError();
  Bytes out(w * h * b);
  const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel());
  std::size_t at = 0;
  Bytes rows[2];
  for (const auto& p : Passes) {
    const std::size_t cols = static_cast<std::size_t>(PassCount(width_, p[2], p[3]));
    const std::size_t rowBytes = (cols * static_cast<std::size_t>(bits) + 7) / 8;
    if (rowBytes == 0) continue;
    const std::size_t count = static_cast<std::size_t>(PassCount(height_, p[0], p[1]));
    rows[0].assign(rowBytes, 0);
    rows[1].assign(rowBytes, 0);
    for (std::size_t r = 0; r < count; ++r) {
      Bytes& row = rows[r & 1];
      const std::uint8_t* prior = r ? rows[(r + 1) & 1].data() : nullptr;
      UnfilterRow(data[at], data.data() + at + 1, row.data(), prior, rowBytes, bpp);
      at += rowBytes + 1;
      const std::size_t y = static_cast<std::size_t>(p[0]) + r * static_cast<std::size_t>(p[1]);
      std::uint8_t* line = out.data() + y * w * b;
      for (std::size_t c = 0; c < cols; ++c) {
        const std::size_t x = static_cast<std::size_t>(p[2]) + c * static_cast<std::size_t>(p[3]);
        if (bits >= 8) {
          std::memcpy(line + x * b, row.data() + c * b, b);
        } else {
          // Samples below a byte, most significant bits first, one byte each (a sample of an
          // odd depth may reach into the next byte).
          const std::size_t bit = c * static_cast<std::size_t>(bits);
          const unsigned two = static_cast<unsigned>(row[bit / 8] << 8) | (bit / 8 + 1 < rowBytes ? row[bit / 8 + 1] : 0u);
          line[x] = static_cast<std::uint8_t>((two >> (16 - bits - static_cast<int>(bit % 8))) & ((1u << bits) - 1));
        }
      }
    }
  }
  data.swap(out);
}

// Rows of (width x bits + 7) \ 8 bytes to rows of DibStride bytes, the padding zero.
void LoadPNG::PadRowsToStride(Bytes& data, int bits) {
  const std::size_t h = static_cast<std::size_t>(height_);
  const std::size_t packed = (static_cast<std::size_t>(width_) * static_cast<std::size_t>(bits) + 7) / 8;
  const std::size_t stride = static_cast<std::size_t>(DibStride(width_, bits));
  if (data.size() < h * packed) subscriptError();
  if (stride == packed) {
    data.resize(h * packed);
    return;
  }
  data.resize(h * stride);
  for (std::size_t y = h; y-- > 0;) {
    std::memmove(data.data() + y * stride, data.data() + y * packed, packed);
    std::memset(data.data() + y * stride + packed, 0, stride - packed);
  }
}

void LoadPNG::Unpack2Bit(Bytes& data) {
  const std::size_t h = static_cast<std::size_t>(height_), w = static_cast<std::size_t>(width_);
  const std::size_t packed = static_cast<std::size_t>(RowBytes()) - 1;
  const std::size_t stride = static_cast<std::size_t>(DibStride(width_, 8));
  if (data.size() < h * packed) subscriptError();
  Bytes out(h * stride);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = data.data() + y * packed;
    std::uint8_t* dst = out.data() + y * stride;
    for (std::size_t x = 0; x < w; ++x) dst[x] = (src[x / 4] >> (6 - 2 * (x % 4))) & 3;
  }
  data.swap(out);
}

void LoadPNG::ApplyTrnsIndexed(Bytes& data, int bits) {
  if (colorType_ == 0) {
    // One table entry per grey level: all opaque but the level of the key.
    if (trnsBytes_.size() < 2) subscriptError();
    paletteBytes_ = CBitmap::MakeGreyPalette(bitDepth_, true);
    // 16-bit samples were reduced to their high bytes: the key's high byte picks the level.
    const int key = bitDepth_ == 16 ? trnsBytes_[0] : trnsBytes_[1];
    trnsBytes_.assign(paletteBytes_.size() / 3, 255);
    if (static_cast<std::size_t>(key) < trnsBytes_.size()) trnsBytes_[static_cast<std::size_t>(key)] = 0;
  }
  const std::size_t h = static_cast<std::size_t>(height_), w = static_cast<std::size_t>(width_);
  const std::size_t stride = static_cast<std::size_t>(DibStride(width_, bits));
  if (data.size() < h * stride) subscriptError();
  Bytes out(4 * w * h);
  const int mask = (1 << bits) - 1;
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = data.data() + y * stride;
    std::uint8_t* dst = out.data() + 4 * w * y;
    for (std::size_t x = 0; x < w; ++x) {
      const std::size_t bit = x * static_cast<std::size_t>(bits);
      const std::size_t i = static_cast<std::size_t>((src[bit / 8] >> (8 - bits - static_cast<int>(bit % 8))) & mask);
      if (3 * i + 2 >= paletteBytes_.size()) subscriptError();
      dst[4 * x] = paletteBytes_[3 * i + 2];
      dst[4 * x + 1] = paletteBytes_[3 * i + 1];
      dst[4 * x + 2] = paletteBytes_[3 * i];
      dst[4 * x + 3] = i < trnsBytes_.size() ? trnsBytes_[i] : 255;
    }
  }
  data.swap(out);
}

void LoadPNG::ApplyTrnsRGB(Bytes& data) {
  if (trnsBytes_.size() < 6) subscriptError();
  // The key's low bytes for 8-bit samples; for 16-bit samples, reduced to their high bytes,
  // the key's high bytes.
  const int low = bitDepth_ == 16 ? 0 : 1;
  const std::uint8_t r = trnsBytes_[static_cast<std::size_t>(low)], g = trnsBytes_[static_cast<std::size_t>(2 + low)],
                     b = trnsBytes_[static_cast<std::size_t>(4 + low)];
  const std::size_t h = static_cast<std::size_t>(height_), w = static_cast<std::size_t>(width_);
  const std::size_t stride = static_cast<std::size_t>(DibStride(width_, 24));
  if (data.size() < h * stride) subscriptError();
  Bytes out(4 * w * h);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = data.data() + y * stride;
    std::uint8_t* dst = out.data() + 4 * w * y;
    for (std::size_t x = 0; x < w; ++x, src += 3, dst += 4) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      dst[3] = src[0] == b && src[1] == g && src[2] == r ? 0 : 255;
    }
  }
  data.swap(out);
}

void LoadPNG::FillBackground(Bytes& background, int32_t color) {
  const std::uint8_t r = static_cast<std::uint8_t>(color & 255), g = static_cast<std::uint8_t>((color >> 8) & 255),
                     b = static_cast<std::uint8_t>((color >> 16) & 255);
  if (r == g && g == b) {
    std::fill(background.begin(), background.end(), r);
    return;
  }
  const std::size_t h = static_cast<std::size_t>(height_), w = static_cast<std::size_t>(width_);
  const std::size_t stride = static_cast<std::size_t>(DibStride(width_, 24));
  for (std::size_t y = 0; y < h; ++y) {
    std::uint8_t* p = background.data() + y * stride;
    for (std::size_t x = 0; x < w; ++x, p += 3) p[0] = b, p[1] = g, p[2] = r;
  }
}

// BGRA rows (bottom-up) over the background: 24-bit rows in the same order.
void LoadPNG::BlendOnBackground(Bytes& data, int32_t x, int32_t y) {
  const std::size_t h = static_cast<std::size_t>(height_), w = static_cast<std::size_t>(width_);
  const std::size_t stride = static_cast<std::size_t>(DibStride(width_, 24));
  Bytes background(h * stride);
  if (!bgPicture_) {
    FillBackground(background, ownBackColor_ != 0 ? ownBackColor_ : bkgdColor_);
  } else {
    // The part of the background picture under the image, as 24-bit rows bottom-up. A step
    // that fails is left undone.
    try {
      vb::PictureBox& pic = *bgPicture_;
      // Its size in twips: measured with its window's scale in twips for the moment.
      vb::Form* parent = pic.Parent();
      const int parentMode = parent ? parent->ScaleMode() : vb::vbTwips;
      if (parent) parent->ScaleMode(vb::vbTwips);
      const float needW = static_cast<float>(width_) * static_cast<float>(vb::Screen::TwipsPerPixelX());
      const float needH = static_cast<float>(height_) * static_cast<float>(vb::Screen::TwipsPerPixelY());
      if (pic.Width() < needW) pic.Width(needW + 100);
      if (pic.Height() < needH) pic.Height(needH + 100);
      if (parent) parent->ScaleMode(parentMode);
      const win::HDC src = pic.hDC();
      const win::HDC mem = win::CreateCompatibleDC(src);
      const win::HBITMAP copy = win::CreateCompatibleBitmap(src, width_, height_);
      const win::HGDIOBJ old = win::SelectObject(mem, copy);
      win::BitBlt(mem, 0, 0, width_, height_, src, x, y, win::SRCCOPY);
      win::BITMAPINFO info{};
      info.bmiHeader.biWidth = width_;
      info.bmiHeader.biHeight = height_;
      info.bmiHeader.biBitCount = 24;
      win::GetDIBits(mem, copy, 0, static_cast<unsigned>(height_), background.data(), &info, win::DIB_RGB_COLORS,
                     background.size());
      win::SelectObject(mem, old);
      win::DeleteDC(mem);
      win::DeleteObject(copy);
    } catch (const std::exception&) {
    }
  }
  for (std::size_t row = 0; row < h; ++row) {
    const std::uint8_t* f = data.data() + 4 * w * row;
    std::uint8_t* g = background.data() + stride * row;
    for (std::size_t i = 0; i < w; ++i, f += 4, g += 3) {
      const int a = f[3];
      if (a == 255) {
        g[0] = f[0], g[1] = f[1], g[2] = f[2];
      } else if (a != 0) {
        for (int k = 0; k < 3; ++k) g[k] = static_cast<std::uint8_t>((f[k] * a + g[k] * (255 - a) + 255) >> 8);
      }
    }
  }
  data.swap(background);
}
