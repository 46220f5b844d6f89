// labels: unit
// The in-memory drawing layer: bitmaps of every layout, blits, read-back and bound buffers.
#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace win;

namespace {

struct Info8 {
  BITMAPINFOHEADER h;
  RGBQUAD colors[256];
};

HBITMAP make(int bits, int w, int h, const std::vector<std::uint8_t>& data, bool topDown,
             const std::vector<RGBQUAD>& colors = {}) {
  Info8 info{};
  info.h.biWidth = w;
  info.h.biHeight = topDown ? -h : h;
  info.h.biBitCount = static_cast<std::uint16_t>(bits);
  for (std::size_t i = 0; i < colors.size(); ++i) info.colors[i] = colors[i];
  return CreateDIBitmap(GetDC(0), &info.h, CBM_INIT, data.data(), reinterpret_cast<BITMAPINFO*>(&info),
                        DIB_RGB_COLORS, data.size());
}

// Draws a bitmap 1:1 into a bound buffer of its size and gives the buffer back.
std::vector<std::uint32_t> drawn(HBITMAP bmp, int w, int h, int* invalidations = nullptr) {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h), 0x12345678);
  HDC box = CreateBoundDC(px.data(), w, h, w * 4, [&](int, int, int, int) {
    if (invalidations) ++*invalidations;
  });
  HDC mem = CreateCompatibleDC(box);
  HGDIOBJ old = SelectObject(mem, bmp);
  EXPECT_NE(old, 0);
  EXPECT_TRUE(BitBlt(box, 0, 0, w, h, mem, 0, 0, SRCCOPY));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteDC(box);
  return px;
}

}  // namespace

TEST(Gdi, EveryLayoutDrawsItsColours) {
  const std::vector<RGBQUAD> mono = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  const std::vector<RGBQUAD> pal = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  struct Case {
    int bits;
    std::vector<std::uint8_t> data;  // 3 x 2, top-down
    std::vector<RGBQUAD> colors;
    std::vector<std::uint32_t> want;
  } cases[] = {
      {1, {0xa0, 0, 0, 0, 0x40, 0, 0, 0}, mono,
       {0xffffffff, 0xff000000, 0xffffffff, 0xff000000, 0xffffffff, 0xff000000}},
      {4, {0x01, 0x20, 0, 0, 0x22, 0x10, 0, 0}, pal,
       {0xff030201, 0xff060504, 0xff090807, 0xff090807, 0xff090807, 0xff060504}},
      {8, {0, 1, 2, 0, 2, 2, 1, 0}, pal,
       {0xff030201, 0xff060504, 0xff090807, 0xff090807, 0xff090807, 0xff060504}},
      {24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0}, {},
       {0xff030201, 0xff060504, 0xff090807, 0xff070809, 0xff040506, 0xff010203}},
      {32, {1, 2, 3, 0, 4, 5, 6, 9, 7, 8, 9, 0, 9, 8, 7, 0, 6, 5, 4, 0, 3, 2, 1, 0}, {},
       {0xff030201, 0xff060504, 0xff090807, 0xff070809, 0xff040506, 0xff010203}},
  };
  for (const Case& c : cases) {
    HBITMAP b = make(c.bits, 3, 2, c.data, true, c.colors);
    ASSERT_NE(b, 0) << c.bits;
    BITMAP info;
    ASSERT_EQ(GetObject(b, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, c.bits);
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmWidthBytes, 4 * ((3 * c.bits + 31) / 32));
    int invalidations = 0;
    EXPECT_EQ(drawn(b, 3, 2, &invalidations), c.want) << c.bits;
    EXPECT_EQ(invalidations, 1);
    EXPECT_TRUE(DeleteObject(b));
  }
  EXPECT_EQ(LiveGdiObjects(), 0);
}

TEST(Gdi, BottomUpRowsAndShortBuffers) {
  std::vector<std::uint8_t> rows = {1, 0, 0, 0, 2, 0, 0, 0};  // 1 x 2, 24-bit, bottom row first
  HBITMAP b = make(24, 1, 2, rows, false);
  EXPECT_EQ(drawn(b, 1, 2), (std::vector<std::uint32_t>{0xff000002, 0xff000001}));
  DeleteObject(b);
  // Taken over rather than copied: the same picture.
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biBitCount = 24;
  std::vector<std::uint8_t> owned = rows;
  b = CreateDIBitmap(0, &info.bmiHeader, std::move(owned), &info, DIB_RGB_COLORS);
  EXPECT_EQ(drawn(b, 1, 2), (std::vector<std::uint32_t>{0xff000002, 0xff000001}));
  DeleteObject(b);
  rows.pop_back();
  EXPECT_EQ(make(24, 1, 2, rows, false), 0);
}

TEST(Gdi, StretchAndClip) {
  HBITMAP b = make(32, 2, 1, {1, 0, 0, 0, 2, 0, 0, 0}, true);
  std::vector<std::uint32_t> px(5 * 2, 0);
  HDC box = CreateBoundDC(px.data(), 5, 2, 20, nullptr);
  HDC mem = CreateCompatibleDC(0);
  HGDIOBJ old = SelectObject(mem, b);
  // Twice the size, one pixel in, partly off the bottom edge.
  EXPECT_TRUE(StretchBlt(box, 1, 1, 4, 2, mem, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(px, (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0, 0xff000001, 0xff000001, 0xff000002, 0xff000002}));
  // A source rectangle larger than the bitmap leaves the rest alone.
  std::fill(px.begin(), px.end(), 7u);
  EXPECT_TRUE(StretchBlt(box, 0, 0, 5, 2, mem, 0, 0, 5, 2, SRCCOPY));
  EXPECT_EQ(px, (std::vector<std::uint32_t>{0xff000001, 0xff000002, 7, 7, 7, 7, 7, 7, 7, 7}));
  // A selected bitmap cannot be freed; once deselected it can.
  EXPECT_FALSE(DeleteObject(b));
  SelectObject(mem, old);
  EXPECT_TRUE(DeleteObject(b));
  DeleteDC(mem);
  DeleteDC(box);
}

TEST(Gdi, ReadBackFromBoundBufferAs24Bits) {
  std::vector<std::uint32_t> px = {0xff010203, 0xff040506, 0xff070809, 0xff0a0b0c};  // 2 x 2
  HDC box = CreateBoundDC(px.data(), 2, 2, 8, nullptr);
  HDC mem = CreateCompatibleDC(box);
  HBITMAP b = CreateCompatibleBitmap(box, 2, 2);
  HGDIOBJ old = SelectObject(mem, b);
  ASSERT_TRUE(BitBlt(mem, 0, 0, 2, 2, box, 0, 0, SRCCOPY));
  SelectObject(mem, old);
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biBitCount = 24;
  std::vector<std::uint8_t> out(16);
  EXPECT_EQ(GetDIBits(mem, b, 0, 2, out.data(), &info, DIB_RGB_COLORS, out.size()), 2);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0}));
  EXPECT_EQ(GetDIBits(mem, b, 0, 2, out.data(), &info, DIB_RGB_COLORS, 15), 0);
  DeleteObject(b);
  DeleteDC(mem);
  // Rebinding points the context at a new buffer.
  std::vector<std::uint32_t> other(1, 0);
  EXPECT_TRUE(RebindDC(box, other.data(), 1, 1, 4));
  EXPECT_FALSE(RebindDC(box, other.data(), 2, 1, 4));
  DeleteDC(box);
  EXPECT_EQ(LiveGdiObjects(), 0);
}
