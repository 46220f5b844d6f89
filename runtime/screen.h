// The screen as the runtime describes it: sizes in twips, the pointer shape over every window.
#pragma once
#include <cstdint>

namespace vb::Screen {

// 1440 / the screen's logical dots per inch, as a whole number (15 at 96 DPI).
int TwipsPerPixelX();
int TwipsPerPixelY();
// Size of the primary screen in twips.
float Width();
float Height();

// Work area of the primary screen (without panels), in pixels.
struct Rect { int32_t Left = 0, Top = 0, Right = 0, Bottom = 0; };
Rect WorkArea();

// Pointer shape over all the program's windows (vbDefault 0 gives each window its own).
int MousePointer();
void MousePointer(int pointer);

}  // namespace vb::Screen
