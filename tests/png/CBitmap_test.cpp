// labels: unit
// The bitmap module's colour tables, headers and size conversions.
#include "png/CBitmap.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Reds(int bits, int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(CBitmap::Info(bits).bmiColors[i].rgbRed);
  return v;
}

}  // namespace

TEST(CBitmap, ColourTablesFromPalettesAndGreyLevels) {
  std::vector<std::uint8_t> plte;
  for (int i = 0; i < 20; ++i) plte.insert(plte.end(), {static_cast<std::uint8_t>(10 + i), 1, 2});
  // The 1-bit table takes the first two entries of any palette; one it lacks is black.
  CBitmap::SetMonoPaletteFromPLTE({plte.begin(), plte.begin() + 9});
  EXPECT_EQ(Reds(1, 2), (std::vector<int>{10, 11}));
  EXPECT_EQ(CBitmap::Info(1).bmiColors[0].rgbBlue, 2);
  CBitmap::SetMonoPaletteFromPLTE({plte.begin() + 3, plte.begin() + 6});
  EXPECT_EQ(Reds(1, 2), (std::vector<int>{11, 0}));
  CBitmap::SetMonoPalette(0);
  EXPECT_EQ(Reds(1, 2), (std::vector<int>{255, 0}));
  // 20 entries fill the 16 of the 4-bit table; 20 of 256 leave the rest black.
  CBitmap::SetPalette16FromPLTE(plte);
  EXPECT_EQ(Reds(4, 16).back(), 25);
  CBitmap::SetPalette256FromPLTE(plte);
  EXPECT_EQ(Reds(8, 21)[19], 29);
  EXPECT_EQ(Reds(8, 21)[20], 0);
  // Grey levels fill only the entries of their depth.
  EXPECT_EQ(CBitmap::MakeGreyPalette(2, false).size(), 12u);
  EXPECT_EQ(Reds(8, 5), (std::vector<int>{0, 85, 170, 255, 14}));  // the rest stays
  CBitmap::MakeGreyPalette(4, false);
  EXPECT_EQ(Reds(4, 3), (std::vector<int>{0, 17, 34}));
  EXPECT_EQ(Reds(8, 5)[4], 14);
  EXPECT_EQ(CBitmap::MakeGreyPalette(16, false).size(), 768u);
  EXPECT_EQ(Reds(8, 5)[4], 14);
}

TEST(CBitmap, HeadersAndSizes) {
  std::vector<std::uint8_t> rows(8, 0xff);
  CBitmap::CreateDIB1(rows, 10, 2, 1);
  EXPECT_TRUE(rows.empty());  // taken over by the bitmap
  const auto& h = CBitmap::Info(1).bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 10);
  EXPECT_EQ(h.biHeight, -2);
  EXPECT_EQ(h.biBitCount, 1);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_NE(CBitmap::BitmapHandle, 0);
  // A buffer too short for the rows makes no bitmap.
  std::vector<std::uint8_t> few(8, 0xff);
  CBitmap::CreateDIB24or32(few, 10, 2, 0, 1);
  EXPECT_EQ(CBitmap::BitmapHandle, 0);
  EXPECT_EQ(CBitmap::Info(24).bmiHeader.biHeight, 2);
  EXPECT_EQ(win::LiveGdiObjects(), 0);

  int w = 20, h2 = 10;
  CBitmap::PixelsToTwips(w, h2);
  EXPECT_EQ(w, 20 * (1440 / win::GetDeviceCaps(0, win::LOGPIXELSX)));
  CBitmap::TwipsToPixels(w, h2);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h2, 10);
}
