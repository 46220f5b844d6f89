#include "png/CBitmap.h"

#include <cmath>
#include <cstring>

#include "runtime/controls.h"
#include "runtime/error.h"
#include "runtime/Form.h"
#include "runtime/screen.h"

namespace CBitmap {

win::HBITMAP BitmapHandle = 0;

namespace {

template <int N>
struct InfoN {
  win::BITMAPINFOHEADER h;
  win::RGBQUAD colors[N > 0 ? N : 1];
  const win::BITMAPINFO& info() const { return *reinterpret_cast<const win::BITMAPINFO*>(this); }
};

InfoN<2> info1;
InfoN<16> info4;
InfoN<256> info8;
InfoN<0> info24;
InfoN<0> info32;

win::RGBQUAD quad(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {b, g, r, 0}; }

// Table entries from PLTE bytes (R, G, B each); entries the palette does not reach are black.
template <int N>
void fromPalette(InfoN<N>& info, const std::vector<std::uint8_t>& palette) {
  for (std::size_t i = 0; i < N; ++i) {
    if (3 * i + 2 < palette.size())
      info.colors[i] = quad(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
    else
      info.colors[i] = {};
  }
}

void fillHeader(win::BITMAPINFOHEADER& h, int width, int height, int topDown, int bitCount) {
  h = {};
  h.biWidth = width;
  h.biHeight = topDown ? -height : height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<std::uint16_t>(bitCount);
}

void create(win::BITMAPINFOHEADER& h, const win::BITMAPINFO& info, std::vector<std::uint8_t>& bits) {
  // A bitmap nobody drew is replaced; ours are not shared, so the old one is freed here.
  if (BitmapHandle) win::DeleteObject(BitmapHandle);
  BitmapHandle = win::CreateDIBitmap(win::GetDC(0), &h, std::move(bits), &info, win::DIB_RGB_COLORS);
}

}  // namespace

const win::BITMAPINFO& Info(int bitCount) {
  switch (bitCount) {
    case 1: return info1.info();
    case 4: return info4.info();
    case 8: return info8.info();
    case 24: return info24.info();
    default: return info32.info();
  }
}

void SetMonoPalette(int flag) {
  const std::uint8_t first = flag ? 0 : 255;
  info1.colors[0] = quad(first, first, first);
  info1.colors[1] = quad(255 - first, 255 - first, 255 - first);
}

// The first two entries, as the 8-bit table of the same picture interlaced has them: a palette
// of one colour, or of more than the two a 1-bit picture can use, is still its palette.
void SetMonoPaletteFromPLTE(const std::vector<std::uint8_t>& palette) { fromPalette(info1, palette); }

void SetPalette16FromPLTE(const std::vector<std::uint8_t>& palette) { fromPalette(info4, palette); }

void SetPalette256FromPLTE(const std::vector<std::uint8_t>& palette) { fromPalette(info8, palette); }

std::vector<std::uint8_t> MakeGreyPalette(int depth, bool toEightBit) {
  std::vector<std::uint8_t> levels;
  if (depth < 1 || depth > 16) return levels;
  const int count = depth == 16 ? 256 : 1 << depth;
  levels.reserve(3 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    int v = 0;
    GreyLevel(depth, i, v);
    levels.insert(levels.end(), 3, static_cast<std::uint8_t>(v));
  }
  auto install = [&](win::RGBQUAD* table, int n) {
    for (int i = 0; i < n; ++i) table[i] = quad(levels[3 * i], levels[3 * i], levels[3 * i]);
  };
  switch (depth) {
    case 1:
      if (toEightBit) install(info8.colors, 2);
      break;
    case 2: install(info8.colors, 4); break;
    case 4:
      if (toEightBit)
        install(info8.colors, 16);
      else
        install(info4.colors, 16);
      break;
    case 8: install(info8.colors, 256); break;
    default: break;
  }
  return levels;
}

bool GreyLevel(int depth, std::int64_t v, int& level) {
  if (depth == 16) {
    if (v < 0 || v > 255) return false;
    level = static_cast<int>(v);
    return true;
  }
  if (depth < 1 || depth > 30) return false;
  const std::int64_t top = (std::int64_t{1} << depth) - 1;
  if (v < 0 || v > top) return false;
  level = static_cast<int>(std::nearbyint(static_cast<double>(v) * 255.0 / static_cast<double>(top)));
  return true;
}

void CreateDIB1(std::vector<std::uint8_t>& bits, int width, int height, int topDown) {
  fillHeader(info1.h, width, height, topDown, 1);
  create(info1.h, info1.info(), bits);
}

void CreateDIB4(std::vector<std::uint8_t>& bits, int width, int height, int topDown) {
  fillHeader(info4.h, width, height, topDown, 4);
  create(info4.h, info4.info(), bits);
}

void CreateDIB8(std::vector<std::uint8_t>& bits, int width, int height, int topDown) {
  fillHeader(info8.h, width, height, topDown, 8);
  create(info8.h, info8.info(), bits);
}

void CreateDIB24or32(std::vector<std::uint8_t>& bits, int width, int height, int topDown, int kind) {
  InfoN<0>& info = kind == 1 ? info24 : info32;
  fillHeader(info.h, width, height, topDown, kind == 1 ? 24 : 32);
  create(info.h, info.info(), bits);
}

void DrawToPicBox(int width, int height, vb::PictureBox* box, bool resize, int x, int y, bool setToBG) {
  if (!box) throw vb::Error(vb::vbErrObjectNotSet, "Object variable not set");
  box->Cls();
  vb::Form* parent = box->Parent();
  const int parentMode = parent ? parent->ScaleMode() : vb::vbTwips;
  if (parent) parent->ScaleMode(vb::vbTwips);
  const int boxMode = box->ScaleMode();
  box->ScaleMode(vb::vbTwips);
  int tw = 0, th = 0;
  if (resize) {
    tw = width, th = height;
    PixelsToTwips(tw, th);
    if (!setToBG) {
      box->Height(static_cast<float>(th));
      box->Width(static_cast<float>(tw));
    }
  }
  int destW = 0, destH = 0, srcW = width, srcH = height;
  if (!setToBG) {
    if (box->Height() == box->ScaleHeight()) {
      // No border: the inner area in pixels.
      box->ScaleMode(vb::vbPixels);
      destW = static_cast<int>(box->ScaleWidth());
      destH = static_cast<int>(box->ScaleHeight());
    } else {
      destW = static_cast<int>(box->Width());
      destH = static_cast<int>(box->Height());
      TwipsToPixels(destW, destH);
      box->Height(box->Height() + (box->Height() - box->ScaleHeight()));
      box->Width(box->Width() + (box->Width() - box->ScaleWidth()));
    }
  } else {
    destW = srcW = tw;
    destH = srcH = th;
  }
  if (BitmapHandle) {
    const win::HDC dc = box->hDC();
    const win::HDC mem = win::CreateCompatibleDC(dc);
    const win::HGDIOBJ old = win::SelectObject(mem, BitmapHandle);
    win::StretchBlt(dc, x, y, destW, destH, mem, 0, 0, srcW, srcH, win::SRCCOPY);
    win::SelectObject(mem, old);
    win::DeleteDC(mem);
    win::DeleteObject(BitmapHandle);
    BitmapHandle = 0;
  }
  if (parent) parent->ScaleMode(parentMode);
  box->ScaleMode(boxMode);
  box->Picture(box->Image());
}

void PixelsToTwips(int& w, int& h) {
  w *= vb::Screen::TwipsPerPixelX();
  h *= vb::Screen::TwipsPerPixelY();
}

void TwipsToPixels(int& w, int& h) {
  w = static_cast<int>(std::nearbyint(static_cast<double>(w) / vb::Screen::TwipsPerPixelX()));
  h = static_cast<int>(std::nearbyint(static_cast<double>(h) / vb::Screen::TwipsPerPixelY()));
}

}  // namespace CBitmap
