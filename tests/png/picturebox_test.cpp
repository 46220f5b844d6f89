// labels: gui
// Drawing decoded pictures into picture boxes: sizes, borders, origins and backgrounds.
#include <gtest/gtest.h>

#include "platform/gdi.h"
#include "png/CBitmap.h"
#include "png/LoadPNG.h"
#include "runtime/forms.h"
#include "support/paths.h"
#include "support/pngfile.h"

using namespace testsupport::png;

namespace {

const char* kDesign = R"(
Begin VB.Form frmPictures
  ScaleMode = 3
  ClientWidth = 300
  ClientHeight = 200
  BackColor = &H00FFFFFF&
  Begin VB.PictureBox picPlain
    Left = 0
    Top = 0
    Width = 40
    Height = 40
    BorderStyle = 0
    BackColor = &H00FFFFFF&
  End
  Begin VB.PictureBox picFramed
    Left = 50
    Top = 0
    Width = 40
    Height = 40
    BorderStyle = 1
  End
  Begin VB.PictureBox picBack
    Left = 100
    Top = 0
    Width = 60
    Height = 60
    BorderStyle = 0
    BackColor = &H00FFFFFF&
  End
End
)";

struct Designed : vb::Form {
  // Shown, as the program's windows are (AHiddenBoxTakesThePictureSizeToo draws into a hidden one).
  Designed() {
    LoadDesignText(kDesign);
    Show();
  }
};
struct Pictures : Designed {
  vb::PictureBox& plain = Ctl<vb::PictureBox>("picPlain");
  vb::PictureBox& framed = Ctl<vb::PictureBox>("picFramed");
  vb::PictureBox& back = Ctl<vb::PictureBox>("picBack");
};

// Pixels of a box's persistent image as 0xRRGGBB, top row first.
std::vector<std::uint32_t> BoxPixels(vb::PictureBox& box, int x, int y, int w, int h) {
  const win::HDC dc = box.hDC();
  const win::HDC mem = win::CreateCompatibleDC(dc);
  const win::HBITMAP bmp = win::CreateCompatibleBitmap(dc, w, h);
  const win::HGDIOBJ old = win::SelectObject(mem, bmp);
  win::BitBlt(mem, 0, 0, w, h, dc, x, y, win::SRCCOPY);
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
  win::BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biBitCount = 32;
  win::GetDIBits(mem, bmp, 0, static_cast<unsigned>(h), px.data(), &info, win::DIB_RGB_COLORS, px.size() * 4);
  win::SelectObject(mem, old);
  win::DeleteDC(mem);
  win::DeleteObject(bmp);
  for (auto& v : px) v &= 0xffffff;
  return px;
}

// A w x h RGB (or RGBA) picture of distinct pixels.
std::string Rgb(int w, int h, bool alpha = false, int a = 255) {
  Picture p;
  p.width = w, p.height = h, p.colorType = alpha ? 6 : 2;
  for (int i = 0; i < w * h; ++i) {
    p.samples.insert(p.samples.end(), {static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(255 - i), 7});
    if (alpha) p.samples.push_back(static_cast<std::uint16_t>(a));
  }
  return File(p);
}

std::vector<std::uint32_t> RgbPixels(int w, int h) {
  std::vector<std::uint32_t> v;
  for (int i = 0; i < w * h; ++i) v.push_back(static_cast<std::uint32_t>(i << 16 | (255 - i) << 8 | 7));
  return v;
}

}  // namespace

TEST(PictureBox, BoxTakesThePictureSize) {
  testsupport::TempDir dir;
  Pictures f;
  const int tx = vb::Screen::TwipsPerPixelX(), ty = vb::Screen::TwipsPerPixelY();
  LoadPNG png;
  png.PicBox(&f.plain);
  f.plain.hDC();
  const int live = win::LiveGdiObjects();
  png.OpenPNG(testsupport::writeFile(dir.file("a.png"), Rgb(20, 10)));
  EXPECT_EQ(png.ErrorNumber(), 0);
  // Scale modes come back; sizes are those of the picture.
  EXPECT_EQ(f.ScaleMode(), vb::vbPixels);
  EXPECT_EQ(f.plain.ScaleMode(), vb::vbTwips);
  f.ScaleMode(vb::vbTwips);
  EXPECT_FLOAT_EQ(f.plain.Width(), static_cast<float>(20 * tx));
  EXPECT_FLOAT_EQ(f.plain.Height(), static_cast<float>(10 * ty));
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 20, 10), RgbPixels(20, 10));
  EXPECT_EQ(CBitmap::BitmapHandle, 0);
  EXPECT_EQ(win::LiveGdiObjects(), live);
  // The drawing stays as the box's picture.
  f.plain.Cls();
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 20, 10), RgbPixels(20, 10));

  // A box with a border grows by it: its inner area is the picture.
  png.PicBox(&f.framed);
  png.OpenPNG(testsupport::writeFile(dir.file("b.png"), Rgb(12, 9)));
  f.framed.ScaleMode(vb::vbPixels);
  EXPECT_FLOAT_EQ(f.framed.ScaleWidth(), 12);
  EXPECT_FLOAT_EQ(f.framed.ScaleHeight(), 9);
  EXPECT_GT(f.framed.Width(), static_cast<float>(12 * tx));
  EXPECT_EQ(BoxPixels(f.framed, 0, 0, 12, 9), RgbPixels(12, 9));
}

TEST(PictureBox, BlendsOntoBackgrounds) {
  testsupport::TempDir dir;
  Pictures f;
  LoadPNG png;
  png.PicBox(&f.plain);
  png.SetAlpha(true);
  // Half-transparent black over the white background picture: 127.
  Picture p;
  p.width = 2, p.height = 1, p.colorType = 6;
  p.samples = {0, 0, 0, 128, 255, 0, 0, 0};
  png.BackgroundPicture(&f.back);
  png.OpenPNG(testsupport::writeFile(dir.file("a.png"), File(p)));
  EXPECT_TRUE(png.HaveAlpha());
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 2, 1), (std::vector<std::uint32_t>{0x7f7f7f, 0xffffff}));
  // A background picture smaller than the image grows to it (plus 100 twips).
  Picture wide;
  wide.width = 70, wide.height = 1, wide.colorType = 6;
  wide.samples.assign(70 * 4, 0);
  png.OpenPNG(testsupport::writeFile(dir.file("w.png"), File(wide)));
  EXPECT_EQ(f.ScaleMode(), vb::vbPixels);
  EXPECT_NEAR(f.back.Width(), 70.0 + 100.0 / vb::Screen::TwipsPerPixelX(), 1.0);  // whole pixels
  EXPECT_FLOAT_EQ(f.back.Height(), 60);

  // Without a background picture: the own colour, else the bKGD colour.
  png.BackgroundPicture(nullptr);
  bool on = true;
  png.SetOwnBkgndColor(on, 0x0000ff);
  png.OpenPNG(testsupport::writeFile(dir.file("b.png"), File(p)));
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 2, 1), (std::vector<std::uint32_t>{0x7f0000, 0xff0000}));
  png.SetOwnBkgndColor(on);
  p.before = {Chunk("bKGD", Be16(0) + Be16(255) + Be16(0))};
  png.OpenPNG(testsupport::writeFile(dir.file("c.png"), File(p)));
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 2, 1), (std::vector<std::uint32_t>{0x007f00, 0x00ff00}));

  // Palette transparency blends too, whatever SetAlpha says; without SetTrans it is opaque.
  Picture q;
  q.width = 2, q.height = 1, q.colorType = 3;
  q.samples = {0, 1};
  q.before = {Chunk("PLTE", std::string("\x10\x20\x30\x40\x50\x60", 6)), Chunk("tRNS", std::string("\0", 1))};
  png.SetAlpha(false);
  png.OpenPNG(testsupport::writeFile(dir.file("d.png"), File(q)));
  EXPECT_TRUE(png.HaveTransparence());
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 2, 1), (std::vector<std::uint32_t>{0x102030, 0x405060}));
  png.SetTrans(true);
  png.OpenPNG(testsupport::writeFile(dir.file("e.png"), File(q)));
  // (the bKGD colour of the file before stays)
  EXPECT_EQ(BoxPixels(f.plain, 0, 0, 2, 1), (std::vector<std::uint32_t>{0x00ff00, 0x405060}));
}

TEST(PictureBox, DrawsAtTheBackgroundOriginWithoutResizing) {
  testsupport::TempDir dir;
  Pictures f;
  LoadPNG png;
  png.PicBox(&f.back);
  bool toBG = true;
  int x = 5, y = 7;
  png.SetToBkgrnd(toBG, x, y);
  f.ScaleMode(vb::vbTwips);
  const float w = f.back.Width(), h = f.back.Height();
  png.OpenPNG(testsupport::writeFile(dir.file("a.png"), Rgb(4, 3)));
  EXPECT_FLOAT_EQ(f.back.Width(), w);
  EXPECT_FLOAT_EQ(f.back.Height(), h);
  EXPECT_EQ(BoxPixels(f.back, 5, 7, 4, 3), RgbPixels(4, 3));
  EXPECT_EQ(BoxPixels(f.back, 4, 7, 1, 1), std::vector<std::uint32_t>{0xffffff});
}

// The converter draws into a box of a window not shown yet: the box must not take its old
// inner size for a border and shrink away.
TEST(PictureBox, AHiddenBoxTakesThePictureSizeToo) {
  testsupport::TempDir dir;
  vb::Form f;
  f.LoadDesignText(kDesign);
  LoadPNG png;
  for (const char* name : {"picPlain", "picFramed"}) {
    SCOPED_TRACE(name);
    auto& box = f.Ctl<vb::PictureBox>(name);
    png.PicBox(&box);
    // Smaller than the box first, then wider (under 256 pixels: distinct ones).
    for (const auto& [w, h] : {std::pair{12, 9}, std::pair{60, 4}}) {
      png.OpenPNG(testsupport::writeFile(dir.file("a.png"), Rgb(w, h)));
      EXPECT_EQ(png.ErrorNumber(), 0);
      box.ScaleMode(vb::vbPixels);
      EXPECT_FLOAT_EQ(box.ScaleWidth(), static_cast<float>(w));
      EXPECT_FLOAT_EQ(box.ScaleHeight(), static_cast<float>(h));
      EXPECT_EQ(BoxPixels(box, 0, 0, w, h), RgbPixels(w, h));
      box.ScaleMode(vb::vbTwips);
    }
  }
  EXPECT_FALSE(f.Visible());
}

// A 1-bit palette picture shows its palette's colours, whatever number of entries the palette
// holds, the same interlaced or not; a colour the palette lacks is black.
TEST(PictureBox, OneBitPalettePicturesInTheirColours) {
  testsupport::TempDir dir;
  Pictures f;
  LoadPNG png;
  png.PicBox(&f.plain);
  for (int entries : {1, 2, 3, 16})
    for (int w : {1, 2, 3, 9})
      for (int interlace : {0, 1}) {
        SCOPED_TRACE(testing::Message() << entries << " entries, " << w << " wide, interlace " << interlace);
        std::string plte;
        for (int i = 0; i < entries; ++i) plte += {static_cast<char>(0x10 + i), '\x80', static_cast<char>(0xf0 - i)};
        Picture p;
        p.width = w, p.height = 2, p.depth = 1, p.colorType = 3, p.interlace = interlace;
        p.before = {Chunk("PLTE", plte)};
        std::vector<std::uint32_t> want;
        for (int i = 0; i < 2 * w; ++i) {
          const int index = (i + i / w) % 2;
          p.samples.push_back(static_cast<std::uint16_t>(index));
          const std::uint32_t colour = static_cast<std::uint32_t>((0x10 + index) << 16 | 0x8000 | (0xf0 - index));
          want.push_back(index < entries ? colour : 0);
        }
        png.OpenPNG(testsupport::writeFile(dir.file("p.png"), File(p)));
        EXPECT_EQ(BoxPixels(f.plain, 0, 0, w, 2), want);
      }
}
