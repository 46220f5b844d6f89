#include "converter/pending/pending.h"
#include "platform/window.h"
namespace mdlFenwoZantiro {
void OpenURL(const std::string&) {}
void SetWindowTrans(std::intptr_t hWnd, int32_t colorKey, int32_t alpha, int32_t) {
  uint32_t flags = 0;
  if (colorKey != -1) flags |= win::LWA_COLORKEY;
  if (alpha != -1) flags |= win::LWA_ALPHA;
  win::SetWindowLongA(hWnd, win::GWL_EXSTYLE, win::GetWindowLongA(hWnd, win::GWL_EXSTYLE) | static_cast<int32_t>(win::WS_EX_LAYERED));
  win::SetLayeredWindowAttributes(hWnd, static_cast<uint32_t>(colorKey), static_cast<uint8_t>(alpha), flags);
}
void SetTopMost(vb::Form& f, bool on) { win::SetWindowPos(f.hWnd(), on ? win::HWND_TOPMOST : win::HWND_NOTOPMOST, 0,0,0,0, win::SWP_NOMOVE|win::SWP_NOSIZE); }
}
