// Border looks of a window (a text box in practice), by editing its window styles.
#pragma once
#include <cstdint>

namespace mdlSetBoxSpec {

// Gives the window one of seven borders: 0 client edge and modal frame, 1 border and thick
// frame, 2 modal frame, 3 static and client edge, 4 client edge, 5 static edge, 6 a single
// line; any other value none. Every border bit is cleared first, so only the last preset
// counts.
void SetBoxSpec(int32_t hwnd, int16_t preset);

// Reads the style, takes out `remove`, adds `add` and writes it back.
void ModifyStyle(int32_t hwnd, int32_t remove, int32_t add);
void ModifyExStyle(int32_t hwnd, int32_t remove, int32_t add);

}  // namespace mdlSetBoxSpec
