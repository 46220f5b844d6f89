// Colours as the runtime keeps them: a Long of &H00BBGGRR, or a system colour &H800000nn.
#pragma once
#include <cstdint>

namespace vb {

constexpr int32_t RGB(int r, int g, int b) {
  return (r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16);
}

enum : int32_t {
  vbBlack = 0x000000, vbWhite = 0xFFFFFF, vbRed = 0x0000FF, vbGreen = 0x00FF00,
  vbBlue = 0xFF0000, vbYellow = 0x00FFFF,
  // System colours (the desktop theme's).
  vbButtonFace = static_cast<int32_t>(0x8000000F),
  vbButtonText = static_cast<int32_t>(0x80000012),
  vbWindowBackground = static_cast<int32_t>(0x80000005),
  vbWindowText = static_cast<int32_t>(0x80000008),
};

}  // namespace vb
