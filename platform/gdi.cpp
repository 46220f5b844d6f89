#include "platform/gdi.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

namespace win {
namespace {

// Pixels of a bitmap, rows top-down, each DibRowBytes(width, bits) long.
struct Bitmap {
  int width = 0, height = 0, bits = 32;
  std::size_t stride = 0;
  std::vector<std::uint8_t> data;
  std::array<std::uint32_t, 256> colors{};  // 0x00RRGGBB
  HDC selectedIn = 0;
  bool stock = false;
};

struct Context {
  HBITMAP bitmap = 0;  // memory contexts
  bool screen = false;
  bool bound = false;  // bound contexts
  std::uint32_t* pixels = nullptr;
  int width = 0, height = 0;
  std::size_t stride = 0;
  InvalidateFn invalidate;
};

std::intptr_t nextHandle = 0x1000;
std::unordered_map<std::intptr_t, std::unique_ptr<Bitmap>> bitmaps;
std::unordered_map<std::intptr_t, std::unique_ptr<Context>> contexts;
HBITMAP stockBitmap = 0;
HDC screenDC = 0;

Bitmap* bitmapOf(HGDIOBJ h) {
  auto it = bitmaps.find(h);
  return it == bitmaps.end() ? nullptr : it->second.get();
}
Context* contextOf(HDC h) {
  auto it = contexts.find(h);
  return it == contexts.end() ? nullptr : it->second.get();
}

HBITMAP stock() {
  if (!stockBitmap) {
    auto b = std::make_unique<Bitmap>();
    b->width = b->height = 1;
    b->bits = 1;
    b->stride = 4;
    b->data.assign(4, 0);
    b->colors[1] = 0xffffff;
    b->stock = true;
    stockBitmap = nextHandle++;
    bitmaps.emplace(stockBitmap, std::move(b));
  }
  return stockBitmap;
}

// A surface to read from or draw into: a bitmap or a bound buffer.
struct Surface {
  Bitmap* bmp = nullptr;
  Context* bound = nullptr;
  int width = 0, height = 0;
  explicit operator bool() const { return bmp || bound; }
};

Surface surfaceOf(HDC h) {
  Surface s;
  Context* c = contextOf(h);
  if (!c) return s;
  if (c->bound) {
    if (!c->pixels) return s;
    s.bound = c;
    s.width = c->width;
    s.height = c->height;
  } else if (Bitmap* b = bitmapOf(c->bitmap)) {
    s.bmp = b;
    s.width = b->width;
    s.height = b->height;
  }
  return s;
}

// Reads n pixels of row y from column x as 0xAARRGGBB (alpha as stored, 0 for
// palette and 24-bit pixels).
void fetchRow(const Surface& s, int y, int x, int n, std::uint32_t* out) {
  if (s.bound) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        reinterpret_cast<const std::uint8_t*>(s.bound->pixels) + static_cast<std::size_t>(y) * s.bound->stride);
    std::memcpy(out, row + x, static_cast<std::size_t>(n) * 4);
    return;
  }
  const Bitmap& b = *s.bmp;
  const std::uint8_t* row = b.data.data() + static_cast<std::size_t>(y) * b.stride;
  switch (b.bits) {
    case 32:
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x + i);
        out[i] = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
      }
      break;
    case 24:
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x + i);
        out[i] = p[0] | (p[1] << 8) | (p[2] << 16);
      }
      break;
    case 8:
      for (int i = 0; i < n; ++i) out[i] = b.colors[row[x + i]];
      break;
    case 4:
      for (int i = 0; i < n; ++i) {
        const int c = x + i;
        out[i] = b.colors[(row[c >> 1] >> ((c & 1) ? 0 : 4)) & 15];
      }
      break;
    default:
      for (int i = 0; i < n; ++i) {
        const int c = x + i;
        out[i] = b.colors[(row[c >> 3] >> (7 - (c & 7))) & 1];
      }
      break;
  }
}

// Writes n pixels into row y from column x. Only 24- and 32-bit bitmaps and bound buffers
// take drawing.
void storeRow(const Surface& s, int y, int x, int n, const std::uint32_t* px) {
  if (s.bound) {
    auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(s.bound->pixels) +
                                                 static_cast<std::size_t>(y) * s.bound->stride);
    for (int i = 0; i < n; ++i) row[x + i] = px[i] | 0xff000000u;
    return;
  }
  Bitmap& b = *s.bmp;
  std::uint8_t* row = b.data.data() + static_cast<std::size_t>(y) * b.stride;
  if (b.bits == 32) {
    for (int i = 0; i < n; ++i) {
      std::uint8_t* p = row + 4 * static_cast<std::size_t>(x + i);
      p[0] = static_cast<std::uint8_t>(px[i]);
      p[1] = static_cast<std::uint8_t>(px[i] >> 8);
      p[2] = static_cast<std::uint8_t>(px[i] >> 16);
      p[3] = static_cast<std::uint8_t>(px[i] >> 24);
    }
  } else {
    for (int i = 0; i < n; ++i) {
      std::uint8_t* p = row + 3 * static_cast<std::size_t>(x + i);
      p[0] = static_cast<std::uint8_t>(px[i]);
      p[1] = static_cast<std::uint8_t>(px[i] >> 8);
      p[2] = static_cast<std::uint8_t>(px[i] >> 16);
    }
  }
}

bool drawable(const Surface& s) { return s.bound || (s.bmp && (s.bmp->bits == 32 || s.bmp->bits == 24)); }

}  // namespace

std::size_t DibRowBytes(std::int64_t width, int bitCount) {
  if (width < 0 || bitCount < 1 || bitCount > 32 || width > (std::int64_t{1} << 32)) return 0;
  return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

HDC GetDC(std::intptr_t hWnd) {
  if (hWnd != 0) return 0;
  if (!screenDC) {
    auto c = std::make_unique<Context>();
    c->screen = true;
    screenDC = nextHandle++;
    contexts.emplace(screenDC, std::move(c));
  }
  return screenDC;
}

int ReleaseDC(std::intptr_t, HDC dc) { return dc == screenDC && dc != 0 ? 1 : 0; }

int GetDeviceCaps(HDC dc, int index) {
  if (dc && !contextOf(dc)) return 0;
  switch (index) {
    case BITSPIXEL: return 32;
    case LOGPIXELSX:
    case LOGPIXELSY: {
      if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
          const double dpi = index == LOGPIXELSX ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
          if (dpi >= 1) return static_cast<int>(dpi + 0.5);
        }
      return 96;
    }
    default: return 0;
  }
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !contextOf(dc)) return 0;
  auto c = std::make_unique<Context>();
  c->bitmap = stock();
  const HDC h = nextHandle++;
  contexts.emplace(h, std::move(c));
  return h;
}

bool DeleteDC(HDC dc) {
  Context* c = contextOf(dc);
  if (!c || dc == screenDC) return false;
  if (Bitmap* b = bitmapOf(c->bitmap); b && !b->stock) b->selectedIn = 0;
  contexts.erase(dc);
  return true;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (dc && !contextOf(dc)) return 0;
  if (width <= 0 || height <= 0) return 0;
  const std::size_t stride = DibRowBytes(width, 32);
  if (stride == 0 || static_cast<std::size_t>(height) > (std::numeric_limits<std::size_t>::max() / 2) / stride) return 0;
  auto b = std::make_unique<Bitmap>();
  b->width = width;
  b->height = height;
  b->bits = 32;
  b->stride = stride;
  b->data.assign(stride * static_cast<std::size_t>(height), 0);
  const HBITMAP h = nextHandle++;
  bitmaps.emplace(h, std::move(b));
  return h;
}

namespace {

// Both forms of CreateDIBitmap: the pixels copied from `bits`, or taken over from `owned`.
HBITMAP makeDIB(HDC dc, const BITMAPINFOHEADER* header, std::uint32_t init, const void* bits,
                const BITMAPINFO* info, std::uint32_t usage, std::size_t bitsSize, std::vector<std::uint8_t>* owned) {
  if (dc && !contextOf(dc)) return 0;
  if (!header || header->biSize < 40 || header->biCompression != BI_RGB || usage != DIB_RGB_COLORS) return 0;
  const int bitCount = header->biBitCount;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return 0;
  const std::int32_t width = header->biWidth;
  const std::int64_t rawHeight = header->biHeight;
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || height > INT_MAX) return 0;
  const std::size_t stride = DibRowBytes(width, bitCount);
  if (stride == 0 || static_cast<std::size_t>(height) > (std::numeric_limits<std::size_t>::max() / 2) / stride) return 0;
  const std::size_t total = stride * static_cast<std::size_t>(height);
  const bool copy = (init & CBM_INIT) != 0;
  if (copy && (!bits || !info || bitsSize < total)) return 0;

  auto b = std::make_unique<Bitmap>();
  b->width = width;
  b->height = static_cast<int>(height);
  b->bits = bitCount;
  b->stride = stride;
  if (!copy) {
    b->data.assign(total, 0);
  } else {
    const auto* src = static_cast<const std::uint8_t*>(bits);
    if (owned) {
      owned->resize(total);
      if (!topDown)
        for (std::size_t y = 0, z = static_cast<std::size_t>(height) - 1; y < z; ++y, --z)
          std::swap_ranges(owned->begin() + static_cast<std::ptrdiff_t>(y * stride),
                           owned->begin() + static_cast<std::ptrdiff_t>((y + 1) * stride),
                           owned->begin() + static_cast<std::ptrdiff_t>(z * stride));
      b->data = std::move(*owned);
    } else if (topDown) {
      b->data.resize(total);
      std::memcpy(b->data.data(), src, total);
    } else {
      b->data.resize(total);
      for (std::int64_t y = 0; y < height; ++y)
        std::memcpy(b->data.data() + static_cast<std::size_t>(y) * stride,
                    src + static_cast<std::size_t>(height - 1 - y) * stride, stride);
    }
    if (bitCount <= 8) {
      const int entries = 1 << bitCount;
      const RGBQUAD* table = info->bmiColors;  // as long as the bit count needs
      for (int i = 0; i < entries; ++i) {
        const RGBQUAD& q = table[i];
        b->colors[i] = q.rgbBlue | (q.rgbGreen << 8) | (q.rgbRed << 16);
      }
    }
  }
  const HBITMAP h = nextHandle++;
  bitmaps.emplace(h, std::move(b));
  return h;
}

}  // namespace

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, std::uint32_t init, const void* bits,
                       const BITMAPINFO* info, std::uint32_t usage, std::size_t bitsSize) {
  return makeDIB(dc, header, init, bits, info, usage, bitsSize, nullptr);
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, std::vector<std::uint8_t>&& bits,
                       const BITMAPINFO* info, std::uint32_t usage) {
  return makeDIB(dc, header, CBM_INIT, bits.data(), info, usage, bits.size(), &bits);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  Context* c = contextOf(dc);
  Bitmap* b = bitmapOf(object);
  if (!c || !b || c->bound || c->screen) return 0;
  if (!b->stock && b->selectedIn && b->selectedIn != dc) return 0;
  const HGDIOBJ old = c->bitmap;
  if (Bitmap* ob = bitmapOf(old); ob && !ob->stock) ob->selectedIn = 0;
  c->bitmap = object;
  if (!b->stock) b->selectedIn = dc;
  return old;
}

int GetObject(HGDIOBJ object, int size, BITMAP* out) {
  const Bitmap* b = bitmapOf(object);
  if (!b || !out || size < static_cast<int>(sizeof(BITMAP))) return 0;
  *out = {};
  out->bmWidth = b->width;
  out->bmHeight = b->height;
  out->bmWidthBytes = static_cast<std::int32_t>(b->stride);
  out->bmBitsPixel = static_cast<std::uint16_t>(b->bits);
  return static_cast<int>(sizeof(BITMAP));
}

bool DeleteObject(HGDIOBJ object) {
  Bitmap* b = bitmapOf(object);
  if (!b) return false;
  if (b->stock) return true;
  if (b->selectedIn) return false;
  bitmaps.erase(object);
  return true;
}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, std::uint32_t rop) {
  return StretchBlt(dest, x, y, width, height, src, srcX, srcY, width, height, rop);
}

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, std::uint32_t rop) {
  if (rop != SRCCOPY) return false;
  const Surface d = surfaceOf(dest), s = surfaceOf(src);
  if (!d || !s || !drawable(d)) return false;
  if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) return false;
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return true;

  // Destination columns and rows that land on both surfaces.
  const bool same = width == srcWidth && height == srcHeight;
  auto sourceOf = [](std::int64_t i, std::int64_t origin, std::int64_t dn, std::int64_t sn) {
    return origin + i * sn / dn;
  };
  std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t{x});
  std::int64_t x1 = std::min<std::int64_t>(width, std::int64_t{d.width} - x);
  std::int64_t y0 = std::max<std::int64_t>(0, -std::int64_t{y});
  std::int64_t y1 = std::min<std::int64_t>(height, std::int64_t{d.height} - y);
  if (x0 >= x1 || y0 >= y1) return true;

  std::vector<std::uint32_t> srcRow(static_cast<std::size_t>(s.width));
  std::vector<std::uint32_t> out(static_cast<std::size_t>(x1 - x0));
  std::vector<std::int64_t> cols(static_cast<std::size_t>(x1 - x0));
  for (std::int64_t i = x0; i < x1; ++i) cols[static_cast<std::size_t>(i - x0)] = sourceOf(i, srcX, width, srcWidth);
  int minX = INT_MAX, maxX = -1, minY = INT_MAX, maxY = -1;
  for (std::int64_t j = y0; j < y1; ++j) {
    const std::int64_t sy = same ? srcY + j : sourceOf(j, srcY, height, srcHeight);
    if (sy < 0 || sy >= s.height) continue;
    const int dy = static_cast<int>(y + j);
    if (same) {
      // One run of source pixels straight across.
      std::int64_t a = std::max<std::int64_t>(x0, -std::int64_t{srcX});
      std::int64_t e = std::min<std::int64_t>(x1, std::int64_t{s.width} - srcX);
      if (a >= e) continue;
      const int n = static_cast<int>(e - a);
      fetchRow(s, static_cast<int>(sy), static_cast<int>(srcX + a), n, out.data());
      storeRow(d, dy, static_cast<int>(x + a), n, out.data());
      minX = std::min(minX, static_cast<int>(x + a));
      maxX = std::max(maxX, static_cast<int>(x + e - 1));
    } else {
      fetchRow(s, static_cast<int>(sy), 0, s.width, srcRow.data());
      // Runs of destination pixels whose source column lies on the source.
      std::int64_t i = x0;
      while (i < x1) {
        while (i < x1 && (cols[static_cast<std::size_t>(i - x0)] < 0 || cols[static_cast<std::size_t>(i - x0)] >= s.width)) ++i;
        const std::int64_t a = i;
        while (i < x1 && cols[static_cast<std::size_t>(i - x0)] >= 0 && cols[static_cast<std::size_t>(i - x0)] < s.width) {
          out[static_cast<std::size_t>(i - a)] = srcRow[static_cast<std::size_t>(cols[static_cast<std::size_t>(i - x0)])];
          ++i;
        }
        if (i > a) {
          storeRow(d, dy, static_cast<int>(x + a), static_cast<int>(i - a), out.data());
          minX = std::min(minX, static_cast<int>(x + a));
          maxX = std::max(maxX, static_cast<int>(x + i - 1));
        }
      }
    }
    minY = std::min(minY, dy);
    maxY = std::max(maxY, dy);
  }
  if (d.bound && maxX >= 0 && d.bound->invalidate) {
    InvalidateFn call = d.bound->invalidate;  // the owner may rebind from inside
    call(minX, minY, maxX - minX + 1, maxY - minY + 1);
  }
  return true;
}

int GetDIBits(HDC dc, HBITMAP bitmap, unsigned start, unsigned lines, void* bits, BITMAPINFO* info,
              std::uint32_t usage, std::size_t bitsSize) {
  if (dc && !contextOf(dc)) return 0;
  Bitmap* b = bitmapOf(bitmap);
  if (!b || !info || !bits || usage != DIB_RGB_COLORS) return 0;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biBitCount != 24 && h.biBitCount != 32) return 0;
  if (h.biWidth <= 0 || h.biHeight == 0) return 0;
  const bool topDown = h.biHeight < 0;
  const std::int64_t height = topDown ? -std::int64_t{h.biHeight} : h.biHeight;
  if (start >= height) return 0;
  const std::int64_t n = std::min<std::int64_t>(lines, height - start);
  const std::size_t stride = DibRowBytes(h.biWidth, h.biBitCount);
  if (stride == 0 || static_cast<std::uint64_t>(n) > bitsSize / stride) return 0;

  Surface s;
  s.bmp = b;
  s.width = b->width;
  s.height = b->height;
  std::vector<std::uint32_t> px(static_cast<std::size_t>(h.biWidth));
  auto* out = static_cast<std::uint8_t*>(bits);
  const int usable = std::min<int>(h.biWidth, b->width);
  for (std::int64_t k = 0; k < n; ++k) {
    // Scan line numbers count from the bottom for bottom-up rows.
    const std::int64_t line = start + k;
    const std::int64_t y = topDown ? line : height - 1 - line;
    std::uint8_t* row = out + static_cast<std::size_t>(k) * stride;
    std::memset(row, 0, stride);
    if (y < 0 || y >= b->height) continue;
    fetchRow(s, static_cast<int>(y), 0, usable, px.data());
    for (int i = 0; i < usable; ++i) {
      if (h.biBitCount == 32) {
        std::memcpy(row + 4 * static_cast<std::size_t>(i), &px[static_cast<std::size_t>(i)], 4);
      } else {
        std::uint8_t* p = row + 3 * static_cast<std::size_t>(i);
        p[0] = static_cast<std::uint8_t>(px[static_cast<std::size_t>(i)]);
        p[1] = static_cast<std::uint8_t>(px[static_cast<std::size_t>(i)] >> 8);
        p[2] = static_cast<std::uint8_t>(px[static_cast<std::size_t>(i)] >> 16);
      }
    }
  }
  return static_cast<int>(n);
}

HDC CreateBoundDC(std::uint32_t* pixels, int width, int height, int stride, InvalidateFn invalidate) {
  if (!pixels || width < 0 || height < 0 || stride < 0 || static_cast<std::int64_t>(stride) < std::int64_t{width} * 4)
    return 0;
  auto c = std::make_unique<Context>();
  c->bound = true;
  c->pixels = pixels;
  c->width = width;
  c->height = height;
  c->stride = static_cast<std::size_t>(stride);
  c->invalidate = std::move(invalidate);
  const HDC h = nextHandle++;
  contexts.emplace(h, std::move(c));
  return h;
}

bool RebindDC(HDC dc, std::uint32_t* pixels, int width, int height, int stride) {
  Context* c = contextOf(dc);
  if (!c || !c->bound) return false;
  if (!pixels || width < 0 || height < 0 || stride < 0 || static_cast<std::int64_t>(stride) < std::int64_t{width} * 4)
    return false;
  c->pixels = pixels;
  c->width = width;
  c->height = height;
  c->stride = static_cast<std::size_t>(stride);
  return true;
}

int LiveGdiObjects() {
  int n = 0;
  for (const auto& [h, c] : contexts)
    if (!c->screen) ++n;
  for (const auto& [h, b] : bitmaps)
    if (!b->stock) ++n;
  return n;
}

}  // namespace win
