// labels: unit
// The PNG reader on files the tests write: every colour type, bit depth and interlace method,
// the chunks it reads, its inflater and its failures.
#include "png/LoadPNG.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/gdi.h"
#include "png/CBitmap.h"
#include "runtime/msgbox.h"
#include "support/paths.h"
#include "support/pngfile.h"

using namespace testsupport::png;
using testsupport::TempDir;

namespace {

// Opens the bytes as a file. The tests give no picture box, so a decode that gets as far as
// drawing ends with error 91 and leaves its bitmap in CBitmap::BitmapHandle. Answers the
// run-time error number, 0 when there was none.
int Open(LoadPNG& png, const std::string& bytes) {
  static TempDir dir("png");
  static int n = 0;
  const std::string path = testsupport::writeFile(dir.file("p" + std::to_string(n++) + ".png"), bytes);
  if (CBitmap::BitmapHandle) win::DeleteObject(CBitmap::BitmapHandle);
  CBitmap::BitmapHandle = 0;
  try {
    EXPECT_EQ(png.OpenPNG(path), 0);
  } catch (const vb::Error& e) {
    return e.Number;
  }
  return 0;
}
constexpr int Drawn = 91;

// The bitmap last made, as 0xAARRGGBB top row first (alpha 0 for palette and 24-bit bitmaps).
std::vector<std::uint32_t> Pixels(int w, int h) {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  win::BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biBitCount = 32;
  EXPECT_EQ(win::GetDIBits(win::GetDC(0), CBitmap::BitmapHandle, 0, static_cast<unsigned>(h), px.data(), &info,
                           win::DIB_RGB_COLORS, px.size() * 4),
            h);
  return px;
}

int Grey(int depth, int v) {
  return depth == 16 ? v >> 8 : static_cast<int>(std::lround(v * 255.0 / ((1 << depth) - 1)));
}

// Random samples for a picture, and the palette for colour type 3.
Picture Random(int colorType, int depth, int w, int h, int interlace, Blocks blocks, std::string* plte = nullptr) {
  static std::mt19937 rng(7);
  Picture p;
  p.width = w, p.height = h, p.depth = depth, p.colorType = colorType, p.interlace = interlace, p.blocks = blocks;
  const int top = colorType == 3 ? std::min(1 << depth, 40) : (1 << depth);
  for (int i = 0; i < w * h * Channels(colorType); ++i) p.samples.push_back(static_cast<std::uint16_t>(rng() % static_cast<unsigned>(top)));
  if (colorType == 3) {
    std::string pal;
    for (int i = 0; i < top * 3; ++i) pal += static_cast<char>(rng());
    p.before.push_back(Chunk("PLTE", pal));
    if (plte) *plte = pal;
  }
  return p;
}

// What each pixel must look like in the bitmap (32-bit results keep their alpha).
std::vector<std::uint32_t> Expected(const Picture& p, const std::string& plte) {
  std::vector<std::uint32_t> want;
  const int ch = Channels(p.colorType);
  auto s8 = [&](std::size_t i) { return p.depth == 16 ? p.samples[i] >> 8 : p.samples[i]; };
  for (int i = 0; i < p.width * p.height; ++i) {
    const std::size_t k = static_cast<std::size_t>(i * ch);
    std::uint32_t v = 0;
    switch (p.colorType) {
      case 0: v = static_cast<std::uint32_t>(Grey(p.depth, p.samples[k])) * 0x010101u; break;
      case 2: v = static_cast<std::uint32_t>(s8(k) << 16 | s8(k + 1) << 8 | s8(k + 2)); break;
      case 3: {
        const auto* e = reinterpret_cast<const unsigned char*>(plte.data()) + 3 * p.samples[k];
        v = static_cast<std::uint32_t>(e[0] << 16 | e[1] << 8 | e[2]);
        break;
      }
      case 4: v = static_cast<std::uint32_t>(s8(k + 1)) << 24 | static_cast<std::uint32_t>(s8(k)) * 0x010101u; break;
      case 6: v = static_cast<std::uint32_t>(s8(k + 3)) << 24 | static_cast<std::uint32_t>(s8(k) << 16 | s8(k + 1) << 8 | s8(k + 2)); break;
    }
    want.push_back(v);
  }
  return want;
}

}  // namespace

TEST(LoadPNG, EveryColourTypeDepthInterlaceAndBlockKind) {
  const std::vector<std::pair<int, std::vector<int>>> kinds = {
      {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  const std::pair<int, int> sizes[] = {{13, 7}, {1, 1}, {3, 10}, {8, 9}};
  LoadPNG png;
  for (const auto& [ct, depths] : kinds)
    for (int depth : depths)
      for (int interlace : {0, 1})
        for (Blocks blocks : {Blocks::Stored, Blocks::Fixed, Blocks::Dynamic})
          for (auto [w, h] : sizes) {
            std::string plte;
            Picture p = Random(ct, depth, w, h, interlace, blocks, &plte);
            p.idatParts = w * h > 20 ? 3 : 1;
            SCOPED_TRACE(testing::Message() << "type " << ct << " depth " << depth << " interlace " << interlace
                                            << " blocks " << static_cast<int>(blocks) << " size " << w << "x" << h);
            ASSERT_EQ(Open(png, File(p)), Drawn);
            EXPECT_EQ(png.ErrorNumber(), 0);
            EXPECT_EQ(png.Width(), w);
            EXPECT_EQ(png.Height(), h);
            EXPECT_EQ(png.HaveAlpha(), ct == 4 || ct == 6);
            std::vector<std::uint32_t> got = Pixels(w, h);
            if (ct != 4 && ct != 6)
              for (auto& v : got) v &= 0xffffff;
            ASSERT_EQ(got, Expected(p, plte));
          }
}

TEST(LoadPNG, BitmapLayoutsByColourType) {
  // Result bit counts and row order, read from the headers the bitmap module keeps.
  struct Case {
    int ct, depth, interlace, bits;
    bool topDown;
  } cases[] = {
      {0, 1, 0, 1, true}, {0, 4, 0, 4, true},  {0, 8, 0, 8, true},  {0, 2, 0, 8, true}, {0, 1, 1, 8, true},
      {0, 16, 0, 8, true}, {3, 1, 0, 1, true}, {3, 4, 0, 4, true},  {3, 2, 0, 8, true}, {3, 4, 1, 8, true},
      {2, 8, 0, 24, true}, {2, 16, 1, 24, true}, {6, 8, 0, 32, false}, {4, 16, 0, 32, false},
  };
  LoadPNG png;
  for (const Case& c : cases) {
    Picture p = Random(c.ct, c.depth, 10, 3, c.interlace, Blocks::Fixed);
    ASSERT_EQ(Open(png, File(p)), Drawn);
    const auto& h = CBitmap::Info(c.bits).bmiHeader;
    EXPECT_EQ(h.biBitCount, c.bits) << c.ct << "/" << c.depth;
    EXPECT_EQ(h.biWidth, 10);
    EXPECT_EQ(h.biHeight, c.topDown ? -3 : 3) << c.ct << "/" << c.depth;
  }
  // A 1-bit grey picture: black and white; interlaced, the first two grey entries of the
  // 8-bit table are black and white.
  ASSERT_EQ(Open(png, File(Random(0, 1, 10, 2, 0, Blocks::Fixed))), Drawn);
  EXPECT_EQ(CBitmap::Info(1).bmiColors[0].rgbRed, 0);
  EXPECT_EQ(CBitmap::Info(1).bmiColors[1].rgbRed, 255);
  Picture grey = Random(0, 1, 10, 2, 1, Blocks::Fixed);
  ASSERT_EQ(Open(png, File(grey)), Drawn);
  const win::RGBQUAD* t8 = CBitmap::Info(8).bmiColors;
  EXPECT_EQ(t8[0].rgbGreen, 0);
  EXPECT_EQ(t8[1].rgbGreen, 255);
}

TEST(LoadPNG, ChunksReadAlongTheWay) {
  LoadPNG png;
  Picture p = Random(2, 8, 4, 4, 0, Blocks::Dynamic);
  p.before = {Chunk("tEXt", std::string("a\0b", 3)), Chunk("tEXt", std::string("c\0d", 3)),
              Chunk("tIME", Be16(2009) + std::string("\x03\x07\x05\x04\x09", 5)), Chunk("gAMA", Be32(45455)),
              Chunk("bKGD", Be16(0x00ff) + Be16(0x0080) + Be16(0x0001)), Chunk("abCD", "skipped"),
              Chunk("zTXt", std::string("Title\0\0", 7) + Zlib("hello", Blocks::Dynamic))};
  ASSERT_EQ(Open(png, File(p)), Drawn);
  EXPECT_EQ(png.Text(), std::string("a\0b\0c\0d\0", 8));
  EXPECT_EQ(png.zText(), std::string("Title\0hello\0", 12));
  EXPECT_EQ(png.ModiTime(), "07.03.2009 05:04:09");
  EXPECT_DOUBLE_EQ(png.gama(), 0.45455);
  EXPECT_TRUE(png.HasBKGDChunk());
  EXPECT_EQ(png.BkgdColor(), 0xff + 256 * 0x80 + 65536 * 1);
  EXPECT_EQ(png.Bitdepht(), 8);
  EXPECT_EQ(png.ColorType(), 2);
  EXPECT_EQ(png.Compression(), 0);
  EXPECT_EQ(png.Filter(), 0);
  EXPECT_EQ(png.Interlacing(), 0);

  // Text keeps growing with every file; a bKGD of the wrong length gives 0 but is seen.
  p.before = {Chunk("tEXt", "e"), Chunk("bKGD", Be16(5))};
  ASSERT_EQ(Open(png, File(p)), Drawn);
  EXPECT_EQ(png.Text(), std::string("a\0b\0c\0d\0e\0", 10));
  EXPECT_TRUE(png.HasBKGDChunk());
  EXPECT_EQ(png.BkgdColor(), 0);
  p.before = {};
  ASSERT_EQ(Open(png, File(p)), Drawn);
  EXPECT_FALSE(png.HasBKGDChunk());
}

TEST(LoadPNG, ColourKeysBlendOntoTheBackground) {
  // Pixels of the tRNS colour show the background (own colour: red); the rest stay. The
  // result is 24-bit, bottom-up; without SetTrans the picture stays opaque.
  struct Case {
    int ct, depth;
    std::vector<std::uint16_t> samples;  // 3 pixels
    std::string trns;
    std::vector<std::uint32_t> want;
  } cases[] = {
      {0, 2, {2, 1, 2}, Be16(2), {0xff0000, 0x555555, 0xff0000}},
      {0, 8, {7, 8, 7}, Be16(8), {0x070707, 0xff0000, 0x070707}},
      {2, 8, {1, 2, 3, 1, 2, 4, 1, 2, 3}, Be16(1) + Be16(2) + Be16(3), {0xff0000, 0x010204, 0xff0000}},
      {2, 16, {0x1ff, 0x2ff, 0x300, 0x100, 0x200, 0x400, 0, 0, 0}, Be16(0x100) + Be16(0x200) + Be16(0x300),
       {0xff0000, 0x010204, 0x000000}},
      {3, 1, {1, 0, 1}, std::string("\xff\x00", 2), {0xff0000, 0x112233, 0xff0000}},
  };
  for (const Case& c : cases) {
    for (bool trans : {false, true}) {
      LoadPNG png;
      bool on = true;
      png.SetOwnBkgndColor(on, 0x0000ff);
      png.SetTrans(trans);
      Picture p;
      p.width = 3, p.height = 1, p.depth = c.depth, p.colorType = c.ct, p.samples = c.samples;
      if (c.ct == 3) p.before.push_back(Chunk("PLTE", std::string("\x11\x22\x33\x44\x55\x66", 6)));
      p.before.push_back(Chunk("tRNS", c.trns));
      ASSERT_EQ(Open(png, File(p)), Drawn);
      EXPECT_TRUE(png.HaveTransparence());
      std::vector<std::uint32_t> got = Pixels(3, 1);
      for (auto& v : got) v &= 0xffffff;
      if (trans) {
        EXPECT_EQ(got, c.want) << c.ct << "/" << c.depth;
        EXPECT_EQ(CBitmap::Info(24).bmiHeader.biHeight, 1);
      } else {
        EXPECT_NE(got, c.want) << c.ct << "/" << c.depth;
      }
    }
  }
}

TEST(LoadPNG, BackgroundColourByColourType) {
  struct Case {
    int ct, depth;
    std::string bkgd;
    int want;
  } cases[] = {
      {0, 2, Be16(2), 170 * 0x010101},        {0, 2, Be16(4), 0},  // beyond the 4 levels
      {0, 16, Be16(200), 200 * 0x010101},     {0, 16, Be16(300), 0},
      {4, 8, Be16(7), 7 * 0x010101},          {2, 16, Be16(0x8000) + Be16(0xffff) + Be16(0), 128 + 256 * 255},
      {3, 8, std::string(1, '\1'), 0x060504}, {3, 8, std::string(1, '\7'), 0},  // not in the palette
  };
  for (const Case& c : cases) {
    LoadPNG png;
    Picture p = Random(c.ct, c.depth, 2, 2, 0, Blocks::Fixed);
    if (c.ct == 3) p.before = {Chunk("PLTE", "\1\2\3\4\5\6")};
    p.before.push_back(Chunk("bKGD", c.bkgd));
    for (auto& s : p.samples) s = static_cast<std::uint16_t>(s % 2);
    Open(png, File(p));
    EXPECT_EQ(png.BkgdColor(), c.want) << c.ct << "/" << c.depth;
  }
}

TEST(LoadPNG, ErrorNumbersAndWhatStaysBetweenFiles) {
  LoadPNG png;
  const std::string good = File(Random(0, 8, 5, 4, 0, Blocks::Fixed));
  std::string badSig = good;
  badSig[7] = 11;
  EXPECT_EQ(Open(png, badSig), 0);
  EXPECT_EQ(png.ErrorNumber(), 1);

  LoadPNG png3;
  ASSERT_EQ(Open(png3, good), Drawn);
  // Ends right after the IHDR's CRC: the next header is read past the end.
  EXPECT_EQ(Open(png3, good.substr(0, 8 + 25)), 0);
  EXPECT_EQ(png3.ErrorNumber(), 3);
  // A later good file still reports 3; a file failing before its IHDR keeps the last size.
  ASSERT_EQ(Open(png3, File(Random(0, 8, 9, 2, 0, Blocks::Fixed))), Drawn);
  EXPECT_EQ(png3.ErrorNumber(), 3);
  EXPECT_EQ(Open(png3, Signature()), 0);
  EXPECT_EQ(png3.Width(), 9);

  LoadPNG png4;
  EXPECT_EQ(Open(png4, Signature() + Ihdr(2, 2, 8, 0, 0) + Chunk("IDAT", "") + Chunk("IEND", "")), 0);
  EXPECT_EQ(png4.ErrorNumber(), 4);
  EXPECT_EQ(png4.Width(), 2);

  LoadPNG missing;
  try {
    missing.OpenPNG("/nonexistent/x.png");
    ADD_FAILURE();
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number, 53);
  }
}

TEST(LoadPNG, TruncatedAndDamagedFilesEndInOrder) {
  // Every cut of a small file, and every single-byte change of it, ends one of the known ways.
  Picture p = Random(3, 4, 9, 5, 1, Blocks::Dynamic);
  p.before.push_back(Chunk("tRNS", "\0\x80"));
  p.before.push_back(Chunk("zTXt", std::string("k\0\0", 3) + Zlib("hello", Blocks::Fixed)));
  const std::string file = File(p);
  vb::SetBoxHook([](const vb::BoxCall&) { return vb::BoxAnswer{}; });
  for (std::size_t n = 0; n < file.size(); ++n) {
    LoadPNG png;
    png.SetTrans(true);
    const int r = Open(png, file.substr(0, n));
    EXPECT_TRUE(r == 0 || r == 9 || r == 6 || r == Drawn) << n;
    if (r == 0) {
      EXPECT_TRUE(png.ErrorNumber() == 1 || png.ErrorNumber() == 3) << n;
    }
  }
  std::mt19937 rng(3);
  for (std::size_t i = 8; i < file.size(); ++i) {
    std::string bad = file;
    bad[i] = static_cast<char>(bad[i] ^ static_cast<char>(1 + rng() % 255));
    LoadPNG png;
    png.SetTrans(true);
    png.SetAlpha(true);
    Open(png, bad);
  }
  vb::SetBoxHook({});
}

TEST(LoadPNG, HostileHeadersEndWithARunTimeError) {
  // Small files whose headers claim more than they hold: a size that some buffer of the
  // picture could not count in a Long ends with error 6 before anything is decoded; any other
  // ends with error 9 once the data runs short, or with no bitmap where none can be made.
  const std::string z = Zlib(std::string(64, '\0'), Blocks::Fixed);
  auto header = [&](std::int64_t w, std::int64_t h, int depth, int ct, int interlace) {
    return Signature() + Ihdr(w, h, depth, ct, interlace) + Chunk("IDAT", z) + Chunk("IEND", "");
  };
  const std::string key = Chunk("tRNS", "\0");
  std::mt19937 rng(5);
  std::string noise;
  for (int i = 0; i < 3000; ++i) noise += static_cast<char>(rng() % 3 ? 0 : rng() % 256);
  const std::string cut = Zlib(noise, Blocks::Dynamic).substr(0, 100);
  struct Case {
    std::string file;
    int number;
    bool trans = false;
  } cases[] = {
      {Signature() + Chunk("IHDR", "short"), 9},
      {Signature() + Ihdr(1, 1, 8, 0, 0) + Chunk("gAMA", "\1") + Chunk("IEND", ""), 9},
      {Signature() + Ihdr(1, 1, 8, 0, 0) + Chunk("tIME", "\7\xd9\3") + Chunk("IEND", ""), 9},
      {Signature() + Ihdr(1, 1, 8, 0, 0) + Chunk("zTXt", std::string("key\0\0", 5)) + Chunk("IEND", ""), 9},
      {Signature() + Ihdr(1, 1, 8, 0, 0) + Chunk("zTXt", "nonul") + Chunk("IEND", ""), 9},
      {Signature() + Be32(0x80000000u) + "tEXt" + std::string(20, 'x'), 9},
      {Signature() + Be32(0x7ffffff0u) + "IDAT" + std::string(20, 'x'), 6},
      {header(-5, 2, 8, 0, 0), 6},
      // Width x height, and times the bytes of a pixel (interlaced: the picture they make).
      {header(0x7fffffff, 0x7fffffff, 1, 3, 0), 6},
      {header(60000, 60000, 8, 2, 0), 6},
      {header(0x7fffffff, 2, 16, 6, 0), 6},
      {header(20000, 20000, 16, 6, 1), 6},
      {header(20000, 20000, 200, 2, 0), 6},  // no such bit depth
      {header(65536, 32768, 8, 5, 1), 6},    // nor colour type: a byte a pixel all the same
      {header(65536, 32768, 0, 0, 0), 6},
      // The image data: a filter byte more for each row.
      {header(1, 0x50000000, 1, 0, 0), 6},
      {header(1, 0x7fffffff, 1, 0, 1), 6},
      // The rows a conversion makes: padded palette rows of 4 bytes for 1 pixel, padded RGB
      // rows of 8 bytes for 2 pixels, BGRA pixels for alpha and for a colour key.
      {header(1, 0x30000000, 1, 3, 0), 6},
      {header(2, 0x10000000, 8, 2, 0), 6},
      {header(30000, 30000, 8, 4, 0), 6},
      {Signature() + Ihdr(30000, 30000, 8, 3, 0) + key + Chunk("IDAT", z) + Chunk("IEND", ""), 6, true},
      // Sizes that fit: the data runs short, or nothing can be made of it.
      {Signature() + Ihdr(30000, 30000, 8, 3, 0) + key + Chunk("IDAT", z) + Chunk("IEND", ""), 9},
      {header(20000, 20000, 8, 0, 0), 9},
      {header(20000, 20000, 8, 0, 1), 9},
      {header(20000, 20000, 8, 6, 1), 9},
      {header(20000, 20000, 3, 0, 1), 9},
      {header(20000, 20000, 8, 2, 7), 9},
      {Signature() + Ihdr(4000, 4000, 8, 0, 0) + Chunk("IDAT", "\x78") + Chunk("IEND", ""), 9},
      // A block cut short: the zeros after the input are no codes, though this tree reads them
      // as literals that would fill the half-gigabyte picture.
      {Signature() + Ihdr(10, 12845066, 8, 6, 0) + Chunk("IDAT", cut) + Chunk("IEND", ""), 9},
      {header(20000, 20000, 8, 5, 0), 9},
      {header(20000, 20000, 8, 5, 1), 0},
      {header(20000, 20000, 0, 0, 1), 0},
  };
  for (const Case& c : cases) {
    LoadPNG png;
    png.SetTrans(c.trans);
    EXPECT_EQ(Open(png, c.file), c.number) << testing::PrintToString(c.file.substr(8, 25));
    EXPECT_EQ(png.ErrorNumber(), 0);
    EXPECT_EQ(CBitmap::BitmapHandle, 0);
  }
}

TEST(LoadPNG, DepthsThePictureTableDoesNotListMakeNoBitmap) {
  // Samples of 3, 5, 6 or 7 bits (some across byte boundaries) are read without harm.
  for (int ct : {0, 2, 3})
    for (int depth : {3, 5, 6, 7})
      for (int interlace : {0, 1}) {
        LoadPNG png;
        Picture p = Random(ct, depth, 11, 9, interlace, Blocks::Fixed);
        EXPECT_EQ(Open(png, File(p)), 0) << ct << "/" << depth << "/" << interlace;
        EXPECT_EQ(CBitmap::BitmapHandle, 0);
      }
}

TEST(LoadPNG, ChunksBetweenImageDataAndOtherCompressionMethods) {
  LoadPNG png;
  Picture p = Random(0, 8, 6, 5, 0, Blocks::Stored);
  const std::string z = Zlib(Scanlines(6, 5, 8, 1, p.samples, false), Blocks::Stored);
  const std::string f = Signature() + Ihdr(6, 5, 8, 0, 0) + Chunk("IDAT", z.substr(0, 10)) + Chunk("tEXt", "x") +
                        Chunk("IDAT", z.substr(10)) + Chunk("IEND", "");
  ASSERT_EQ(Open(png, f), Drawn);
  std::vector<std::uint32_t> got = Pixels(6, 5);
  for (auto& v : got) v &= 0xffffff;
  EXPECT_EQ(got, Expected(p, ""));
  EXPECT_EQ(png.Text(), std::string("x\0", 2));

  // Compression method 1: the data after the two header bytes goes on as it is.
  const std::string rows = Scanlines(6, 5, 8, 1, p.samples, false);
  ASSERT_EQ(Open(png, Signature() + Ihdr(6, 5, 8, 0, 0, 1) + Chunk("IDAT", "zz" + rows) + Chunk("IEND", "")), Drawn);
  got = Pixels(6, 5);
  for (auto& v : got) v &= 0xffffff;
  EXPECT_EQ(got, Expected(p, ""));
}

TEST(LoadPNG, LongInterlacedPicturesWithSmallSamples) {
  // Adam7 rows of 1-bit samples take more bytes than rows x (row bytes + 1): the whole picture
  // still comes out.
  LoadPNG png;
  Picture p = Random(0, 1, 9, 600, 1, Blocks::Dynamic);
  ASSERT_EQ(Open(png, File(p)), Drawn);
  std::vector<std::uint32_t> got = Pixels(9, 600);
  for (auto& v : got) v &= 0xffffff;
  EXPECT_EQ(got, Expected(p, ""));
}

namespace {

// zTXt is the inflater's other caller: its output lands in zText after the keyword.
std::string Inflated(LoadPNG& png, const std::string& deflated) {
  const std::size_t before = png.zText().size();
  Open(png, Signature() + Ihdr(1, 1, 8, 0, 0) + Chunk("zTXt", std::string("k\0\0\x78\x9c", 5) + deflated) +
                Chunk("IEND", ""));
  std::string z = png.zText().substr(before);
  EXPECT_EQ(z.substr(0, 2), std::string("k\0", 2));
  z = z.substr(2);
  EXPECT_EQ(z.back(), '\0');
  z.pop_back();
  return z;
}

// Fields packed least significant bit first.
std::string Bits(const std::vector<std::pair<std::uint32_t, int>>& fields) {
  std::string out;
  std::uint32_t acc = 0;
  int n = 0;
  for (auto [v, len] : fields)
    for (int i = 0; i < len; ++i) {
      const int bit = (v >> i) & 1;
      acc |= static_cast<std::uint32_t>(bit) << n;
      if (++n == 8) out += static_cast<char>(acc), acc = 0, n = 0;
    }
  if (n) out += static_cast<char>(acc);
  return out;
}

}  // namespace

TEST(LoadPNG, InflaterBlocks) {
  LoadPNG png;
  std::vector<std::string> messages;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    messages.push_back(c.prompt);
    return vb::BoxAnswer{};
  });
  // Stored: five bytes; then LEN and NLEN that disagree still copy.
  EXPECT_EQ(Inflated(png, std::string("\1\5\0\xfa\xff" "abcde", 10) + "ADLR"), "abcde");
  EXPECT_EQ(Inflated(png, std::string("\1\5\0\0\0" "abcde", 10) + "ADLR"), "abcde");
  // Fixed codes.
  EXPECT_EQ(Inflated(png, Deflate("abc", Blocks::Fixed) + "ADLR"), "abc");
  // Dynamic blocks whose distance codes are a single code, or none at all, decode.
  EXPECT_EQ(Inflated(png, Deflate("abcabcabcabcabcabcabc", Blocks::Dynamic) + "ADLR"), "abcabcabcabcabcabcabc");
  EXPECT_EQ(Inflated(png, Deflate("abcdefgh", Blocks::Dynamic) + "ADLR"), "abcdefgh");
  EXPECT_TRUE(messages.empty());
  // Several blocks of every kind in one stream.
  for (Blocks blocks : {Blocks::Stored, Blocks::Fixed, Blocks::Dynamic}) {
    Picture p = Random(0, 8, 300, 300, 0, blocks);
    LoadPNG big;
    ASSERT_EQ(Open(big, File(p)), Drawn);
    std::vector<std::uint32_t> got = Pixels(300, 300);
    for (auto& v : got) v &= 0xffffff;
    EXPECT_EQ(got, Expected(p, ""));
  }

  // Output past the caller's estimate + 100 stops there: 1000 'a' from 12 bytes of data
  // (estimate (12 + 4 - 1) x 12).
  const std::string as = Deflate(std::string(1000, 'a'), Blocks::Fixed);
  const std::string capped = Inflated(png, as + "ADLR");
  EXPECT_EQ(capped, std::string(static_cast<std::size_t>((as.size() + 4 - 1) * 12 + 100), 'a'));

  // An incomplete literal code (only end-of-block, one bit): the tree message, and the data
  // comes back as it was. Code-length code: symbols 1 and 18, one bit each; then 256 zeros
  // by two runs of symbol 18, and length 1 for symbol 256 and for distance code 0.
  static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<std::pair<std::uint32_t, int>> f = {{1, 1}, {2, 2}, {0, 5}, {0, 5}, {14, 4}};
  for (int i = 0; i < 18; ++i) f.push_back({order[i] == 18 || order[i] == 1 ? 1u : 0u, 3});
  f.insert(f.end(), {{1, 1}, {127, 7}, {1, 1}, {107, 7}, {0, 1}, {0, 1}});
  const std::string broken = Bits(f) + "zz";
  const std::string back = Inflated(png, broken);
  EXPECT_EQ(back.substr(back.size() - 2), "zz");
  EXPECT_EQ(messages, std::vector<std::string>{"Error in tree creation (Static)"});
  vb::SetBoxHook({});
}

TEST(LoadPNG, UnknownFilterTypesLeaveRowsAsTheyAre) {
  LoadPNG png;
  const std::string rows = std::string("\x07" "abc" "\xff" "def", 8);
  ASSERT_EQ(Open(png, Signature() + Ihdr(3, 2, 8, 0, 0) + Chunk("IDAT", Zlib(rows, Blocks::Fixed)) + Chunk("IEND", "")),
            Drawn);
  std::vector<std::uint32_t> got = Pixels(3, 2);
  for (auto& v : got) v &= 0xff;
  EXPECT_EQ(got, (std::vector<std::uint32_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
}

TEST(LoadPNG, ImageDataOfMoreThan32Megabytes) {
  // Rows of bytes 5..255 (as filter bytes they leave rows unchanged) in stored blocks across
  // many chunks; the image data is held in blocks of 32 MiB, so these rows cross one.
  const int w = 4095, h = 8200;
  std::mt19937 rng(11);
  std::string rows(static_cast<std::size_t>(h) * (w + 1), '\0');
  for (char& c : rows) c = static_cast<char>(5 + rng() % 251);
  const std::string stored = Deflate(rows, Blocks::Stored);
  auto file = [&](const std::string& deflated) {
    const std::string z = std::string("\x78\x9c", 2) + deflated + "ADLR";
    std::string f = Signature() + Ihdr(w, h, 8, 0, 0);
    for (std::size_t at = 0; at < z.size(); at += 1000000) f += Chunk("IDAT", z.substr(at, 1000000));
    return f + Chunk("IEND", "");
  };
  // Rows first..first+count-1 of the bitmap, and of the stream they came from.
  auto got = [&](int first, int count) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(count));
    win::BITMAPINFO info{};
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biBitCount = 32;
    EXPECT_EQ(win::GetDIBits(0, CBitmap::BitmapHandle, static_cast<unsigned>(first), static_cast<unsigned>(count),
                             px.data(), &info, win::DIB_RGB_COLORS, px.size() * 4),
              count);
    for (auto& v : px) v &= 0xff;
    return px;
  };
  auto want = [&](const std::string& z, int first, int count) {
    std::vector<std::uint32_t> px;
    for (int y = first; y < first + count; ++y)
      for (int x = 0; x < w; ++x)
        px.push_back(static_cast<unsigned char>(z[static_cast<std::size_t>(y) * (w + 1) + 1 + static_cast<std::size_t>(x)]));
    return px;
  };
  const int boundary = (1 << 25) / (w + 1);
  LoadPNG png;
  ASSERT_EQ(Open(png, file(stored)), Drawn);
  EXPECT_EQ(got(boundary - 3, 6), want(rows, boundary - 3, 6));
  EXPECT_EQ(got(h - 2, 2), want(rows, h - 2, 2));

  // A broken tree after the first block: the pipeline gets the compressed data whole.
  std::string nonFinal = stored;
  nonFinal[(stored.size() / 65540) * 65540] = 0;  // the last stored block is not the final one
  static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<std::pair<std::uint32_t, int>> f = {{1, 1}, {2, 2}, {0, 5}, {0, 5}, {14, 4}};
  for (int i = 0; i < 18; ++i) f.push_back({order[i] == 18 || order[i] == 1 ? 1u : 0u, 3});
  f.insert(f.end(), {{1, 1}, {127, 7}, {1, 1}, {107, 7}, {0, 1}, {0, 1}});
  std::vector<std::string> messages;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    messages.push_back(c.prompt);
    return vb::BoxAnswer{};
  });
  ASSERT_EQ(Open(png, file(nonFinal + Bits(f))), Drawn);
  vb::SetBoxHook({});
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(got(0, 2), want(nonFinal, 0, 2));
  EXPECT_EQ(got(boundary - 3, 6), want(nonFinal, boundary - 3, 6));
  EXPECT_EQ(got(h - 2, 2), want(nonFinal, h - 2, 2));
}
