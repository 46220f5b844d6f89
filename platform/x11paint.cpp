#include "platform/x11paint.h"

#include <QGuiApplication>
#include <dlfcn.h>
#include <xcb/xcb.h>

#include "platform/x11window.h"

namespace win::x11 {
namespace {

// The XCB library is loaded at run time (as the X library is, see x11window.cpp); the requests go
// over Qt's own connection, after the ones that made the window.
struct Xcb {
  decltype(&::xcb_change_window_attributes) ChangeAttributes = nullptr;
  decltype(&::xcb_clear_area) ClearArea = nullptr;
  decltype(&::xcb_flush) Flush = nullptr;
  bool ok = false;
};

const Xcb& xcb() {
  static const Xcb x = [] {
    Xcb l;
    void* lib = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return l;
    l.ChangeAttributes = reinterpret_cast<decltype(l.ChangeAttributes)>(::dlsym(lib, "xcb_change_window_attributes"));
    l.ClearArea = reinterpret_cast<decltype(l.ClearArea)>(::dlsym(lib, "xcb_clear_area"));
    l.Flush = reinterpret_cast<decltype(l.Flush)>(::dlsym(lib, "xcb_flush"));
    l.ok = l.ChangeAttributes && l.ClearArea && l.Flush;
    return l;
  }();
  return x;
}

xcb_connection_t* connection() {
  if (!qGuiApp || !Available() || !xcb().ok) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// A true-colour screen, as the X servers of today have: the pixel is 0xAARRGGBB (the alpha
// matters only to a window of 32 bits, where it is opaque).
bool changeBackground(xcb_connection_t* c, unsigned long window, int32_t bgr) {
  if (!c || !window) return false;
  const auto u = static_cast<uint32_t>(bgr);
  const uint32_t pixel = 0xff000000u | ((u & 0xff) << 16) | (u & 0xff00) | ((u >> 16) & 0xff);
  xcb().ChangeAttributes(c, static_cast<xcb_window_t>(window), XCB_CW_BACK_PIXEL, &pixel);
  return true;
}

}  // namespace

bool SetBackground(unsigned long window, int32_t bgr) {
  xcb_connection_t* c = connection();
  if (!changeBackground(c, window, bgr)) return false;
  xcb().Flush(c);
  return true;
}

bool FillWithBackground(unsigned long window, int32_t bgr) {
  xcb_connection_t* c = connection();
  if (!changeBackground(c, window, bgr)) return false;
  xcb().ClearArea(c, 0, static_cast<xcb_window_t>(window), 0, 0, 0, 0);
  xcb().Flush(c);
  return true;
}

}  // namespace win::x11
