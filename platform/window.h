// Window handles, style bits, layered windows, z-order, the pointer and window dragging.
//
// A window handle is the native window id of a widget (its X11 window on the xcb platform);
// the forms layer registers every window it hands out a handle for. Style bits are kept per
// window here and mapped to its look: a top-level window without a caption (for example
// &H6000000) is frameless; the border bits of a child window become its frame.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace win {

using HWND = std::intptr_t;

struct POINT {
  int32_t x = 0, y = 0;
};
struct RECT {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20 };
enum : uint32_t {
  WS_OVERLAPPED = 0, WS_MAXIMIZEBOX = 0x10000, WS_MINIMIZEBOX = 0x20000,
  WS_THICKFRAME = 0x40000, WS_SYSMENU = 0x80000, WS_DLGFRAME = 0x400000, WS_BORDER = 0x800000,
  WS_CAPTION = 0xC00000, WS_CLIPCHILDREN = 0x2000000, WS_CLIPSIBLINGS = 0x4000000,
  WS_VISIBLE = 0x10000000, WS_CHILD = 0x40000000, WS_POPUP = 0x80000000,
};
enum : uint32_t {
  WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_TOOLWINDOW = 0x80,
  WS_EX_CLIENTEDGE = 0x200, WS_EX_STATICEDGE = 0x20000, WS_EX_LAYERED = 0x80000,
};
enum : uint32_t { LWA_COLORKEY = 1, LWA_ALPHA = 2 };
inline constexpr HWND HWND_TOP = 0, HWND_BOTTOM = 1, HWND_TOPMOST = -1, HWND_NOTOPMOST = -2;
enum : uint32_t {
  SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOACTIVATE = 0x10,
  SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80,
};
enum : uint32_t { WM_CLOSE = 0x10, WM_NCLBUTTONDOWN = 0xA1, WM_SYSCOMMAND = 0x112 };
enum : int { HTCAPTION = 2 };
enum : uint32_t { SPI_GETWORKAREA = 48 };

// Style bits of a window (0 for an unknown handle). Setting answers the previous value.
int32_t GetWindowLongA(HWND hwnd, int index);
int32_t SetWindowLongA(HWND hwnd, int index, int32_t value);

// Alpha (LWA_ALPHA) is the window's opacity; the colour key (LWA_COLORKEY, &H00BBGGRR) cuts
// the pixels of that colour out of the window. Both need WS_EX_LAYERED in the extended style.
bool SetLayeredWindowAttributes(HWND hwnd, uint32_t colorKey, uint8_t alpha, uint32_t flags);
// HWND_TOPMOST / HWND_NOTOPMOST set the stays-on-top hint; position and size in pixels
// unless SWP_NOMOVE / SWP_NOSIZE; SWP_FRAMECHANGED redraws the frame from the style bits.
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, uint32_t flags);

// The pointer position in screen pixels, and the window under a point (0 for none of ours).
bool GetCursorPos(POINT& point);
HWND WindowFromPoint(POINT point);
// Test seam: a pointer position that GetCursorPos answers instead ({} restores the real one).
void SetCursorPosForTests(std::function<POINT()> position);

// Whether a mouse button or a shift key is down now: the high bit (&H8000) set when it is.
enum : int { VK_LBUTTON = 1, VK_RBUTTON = 2, VK_MBUTTON = 4, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
             VK_MENU = 0x12 };
int16_t GetAsyncKeyState(int vKey);
// Test seam: while set, GetAsyncKeyState asks this whether a key or button is down.
void SetKeyStateForTests(std::function<bool(int vKey)> isDown);

// Ends any pointer capture. WM_NCLBUTTONDOWN with HTCAPTION, sent while the left button is
// held, moves the window with the pointer until the release, keeping the spot where the button
// went down under the pointer; sent after the release it does nothing.
bool ReleaseCapture();
std::intptr_t SendMessageA(HWND hwnd, uint32_t msg, std::intptr_t wParam, std::intptr_t lParam);

// SPI_GETWORKAREA into a RECT (pixels).
bool SystemParametersInfoA(uint32_t action, uint32_t param, void* data, uint32_t winIni);

// The title of one of our windows, or of another program's top-level X window (the engine's).
bool SetWindowTextA(HWND hwnd, const std::string& text);

bool IsWindow(HWND hwnd);
bool GetWindowRect(HWND hwnd, RECT& rect);  // screen pixels, frame included
bool GetClientRect(HWND hwnd, RECT& rect);  // 0, 0, client width, client height

}  // namespace win
