// Our own native windows filled by the X server itself: for a window that another program draws
// into (the engine's video through -wid), so that nothing of ours paints over that program's
// pixels, while the parts it has not drawn (or that come back into view) show the window's colour;
// and for a window that grows, until the program has painted its new part.
// Where the program's windows are not on X, every call does nothing and answers false.
#pragma once
#include <cstdint>

namespace win::x11 {

// The window's background becomes the colour (&H00BBGGRR) and the window is filled with it now.
bool FillWithBackground(unsigned long window, int32_t bgr);

// The window's background becomes the colour: what of the window comes into view before the
// program has painted it (as it grows) shows that colour, not what was on the screen there.
bool SetBackground(unsigned long window, int32_t bgr);

}  // namespace win::x11
