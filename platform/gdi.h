// Device contexts and bitmaps in memory: the drawing calls of the picture reader.
//
// Handles are plain numbers, 0 meaning none, as the programs keep them. A bitmap keeps the
// layout it was created with (1, 4, 8 bits with a colour table, 24 or 32 bits); a blit
// converts pixels on the way. Only the raster operation SRCCOPY is drawn.
//
// A device context can be bound to a 32-bit pixel buffer that someone else owns (a picture
// box's persistent image): see CreateBoundDC. Everything is single-threaded, as the programs
// are.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace win {

using HDC = std::intptr_t;
using HBITMAP = std::intptr_t;
using HGDIOBJ = std::intptr_t;

enum : std::uint32_t {
  SRCCOPY = 0x00CC0020,
  CBM_INIT = 4,
  DIB_RGB_COLORS = 0,
  BI_RGB = 0,
};
// GetDeviceCaps indexes.
enum : int { BITSPIXEL = 12, LOGPIXELSX = 88, LOGPIXELSY = 90 };

#pragma pack(push, 1)
// The 40-byte header of a device-independent bitmap.
struct BITMAPINFOHEADER {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;  // > 0: rows bottom-up; < 0: rows top-down
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = BI_RGB;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;  // 0: the whole table of 2^biBitCount entries
  std::uint32_t biClrImportant = 0;
};
struct RGBQUAD {
  std::uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};
// A header followed by its colour table; bmiColors is as long as the bit count needs
// (2, 16 or 256 entries; none for 24 and 32 bits).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// What GetObject tells of a bitmap.
struct BITMAP {
  std::int32_t bmType = 0;
  std::int32_t bmWidth = 0;
  std::int32_t bmHeight = 0;
  std::int32_t bmWidthBytes = 0;
  std::uint16_t bmPlanes = 1;
  std::uint16_t bmBitsPixel = 0;
  void* bmBits = nullptr;
};

// Bytes of one bitmap row: padded to a multiple of 4. 0 when out of range.
std::size_t DibRowBytes(std::int64_t width, int bitCount);

// The screen's context (hWnd 0); other windows have none here (0).
HDC GetDC(std::intptr_t hWnd);
int ReleaseDC(std::intptr_t hWnd, HDC dc);
// BITSPIXEL (32), LOGPIXELSX, LOGPIXELSY (the screen's logical dots per inch).
int GetDeviceCaps(HDC dc, int index);

// A memory context (dc may be 0 for the screen). It starts with a 1 x 1 stock bitmap.
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
// A black 32-bit bitmap of that size; 0 when the size is not positive or too large.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A bitmap holding the pixels of `bits` when init is CBM_INIT (else black), laid out as
// `info` says (its colour table for 1, 4 and 8 bits). bitsSize is the length of `bits`:
// a buffer shorter than the header's rows fails (0), so a caller never reads past it.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, std::uint32_t init,
                       const void* bits, const BITMAPINFO* info, std::uint32_t usage,
                       std::size_t bitsSize);
// The same with the pixels taken over (no copy); `bits` is left empty when a bitmap is made.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, std::vector<std::uint8_t>&& bits,
                       const BITMAPINFO* info, std::uint32_t usage);
// Makes a bitmap the surface of a memory context; answers the object it replaces, 0 on
// failure (a bound context, a bitmap already selected elsewhere, an unknown handle).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Fills `out` with the size and bit count of a bitmap; answers the bytes written, 0 for a
// handle that is not a bitmap or a size smaller than BITMAP.
int GetObject(HGDIOBJ object, int size, BITMAP* out);
// Frees a bitmap; false for a bitmap still selected into a context, as the system does.
bool DeleteObject(HGDIOBJ object);

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
            std::uint32_t rop);
// Nearest-pixel scaling from the source rectangle to the destination rectangle. Parts of
// either rectangle outside its surface are left out; the destination keeps its pixels there.
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, std::uint32_t rop);
// Copies scan lines [start, start + lines) of a bitmap into `bits` as `info` asks (24 or
// 32 bits, its biWidth, bottom-up when biHeight > 0). bitsSize is the length of `bits`.
// Answers the number of lines copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, unsigned start, unsigned lines, void* bits,
              BITMAPINFO* info, std::uint32_t usage, std::size_t bitsSize);

// --- Contexts bound to someone else's pixels ---
//
// CreateBoundDC gives a device context whose surface is the caller's buffer: `width` x
// `height` pixels of 32 bits each (0xffRRGGBB as one native std::uint32_t, which is
// QImage::Format_RGB32), rows `stride` bytes apart, top row first. Blits into it write
// opaque pixels (top byte 0xff) and then call `invalidate` with the rectangle they changed,
// so the owner can repaint. Blits from it read the buffer as it is. The buffer must stay
// valid until the context is rebound or deleted; DeleteDC ends the binding and leaves the
// pixels to their owner. Answers 0 for a null buffer, a negative size or a stride too small.
using InvalidateFn = std::function<void(int x, int y, int width, int height)>;
HDC CreateBoundDC(std::uint32_t* pixels, int width, int height, int stride,
                  InvalidateFn invalidate);
// Points a bound context at another buffer (for example after the owner resized its image).
bool RebindDC(HDC dc, std::uint32_t* pixels, int width, int height, int stride);

// Test and benchmark aid: the number of contexts and bitmaps alive (leak checks).
int LiveGdiObjects();

}  // namespace win
