// Bitmap headers and colour tables of the PNG reader; turns a decoded pixel buffer into a
// bitmap and draws it into a picture box.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gdi.h"

namespace vb {
class PictureBox;
}

namespace CBitmap {

// The bitmap last created; 0 when none. Drawing frees it.
extern win::HBITMAP BitmapHandle;

// The header and colour table kept for one bit count (1, 4, 8, 24 or 32).
const win::BITMAPINFO& Info(int bitCount);

// Colour tables.
void SetMonoPalette(int flag);
void SetMonoPaletteFromPLTE(const std::vector<std::uint8_t>& palette);
void SetPalette16FromPLTE(const std::vector<std::uint8_t>& palette);
void SetPalette256FromPLTE(const std::vector<std::uint8_t>& palette);
// The grey levels of a bit depth as R, G, B triplets, installed into the part of the tables
// that the depth uses.
std::vector<std::uint8_t> MakeGreyPalette(int depth, bool toEightBit);
// Level v of the grey table of a depth; false when the table has no such entry.
bool GreyLevel(int depth, std::int64_t v, int& level);

// Bitmap creation from the whole pixel buffer (topDown non-zero: first row on top). The
// bitmap takes the buffer over: it is left empty.
void CreateDIB1(std::vector<std::uint8_t>& bits, int width, int height, int topDown);
void CreateDIB4(std::vector<std::uint8_t>& bits, int width, int height, int topDown);
void CreateDIB8(std::vector<std::uint8_t>& bits, int width, int height, int topDown);
// kind 1: 24 bits, 0: 32 bits.
void CreateDIB24or32(std::vector<std::uint8_t>& bits, int width, int height, int topDown, int kind);

void DrawToPicBox(int width, int height, vb::PictureBox* box, bool resize, int x, int y, bool setToBG);

// Sizes between pixels and twips, by the screen's twips per pixel.
void PixelsToTwips(int& w, int& h);
void TwipsToPixels(int& w, int& h);

}  // namespace CBitmap
