#include "foundation/mdlSetBoxSpec.h"

#include "platform/window.h"

namespace mdlSetBoxSpec {
namespace {
constexpr int32_t kStyleBits = 0x840000;    // WS_BORDER | WS_THICKFRAME
constexpr int32_t kExStyleBits = 0x20201;   // WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME

void modify(int32_t hwnd, int index, int32_t remove, int32_t add) {
  const int32_t old = win::GetWindowLongA(hwnd, index);
  win::SetWindowLongA(hwnd, index, (old & ~remove) | add);
}
}  // namespace

void ModifyStyle(int32_t hwnd, int32_t remove, int32_t add) { modify(hwnd, win::GWL_STYLE, remove, add); }

void ModifyExStyle(int32_t hwnd, int32_t remove, int32_t add) {
  modify(hwnd, win::GWL_EXSTYLE, remove, add);
}

void SetBoxSpec(int32_t hwnd, int16_t preset) {
  ModifyStyle(hwnd, kStyleBits, 0);
  ModifyExStyle(hwnd, kExStyleBits, 0);
  switch (preset) {
    case 0: ModifyExStyle(hwnd, 0, 0x201); break;
    case 1: ModifyStyle(hwnd, 0, 0x840000); break;
    case 2: ModifyExStyle(hwnd, 0, 0x1); break;
    case 3: ModifyExStyle(hwnd, 0, 0x20200); break;
    case 4: ModifyExStyle(hwnd, 0, 0x200); break;
    case 5: ModifyExStyle(hwnd, 0, 0x20000); break;
    case 6: ModifyStyle(hwnd, 0, 0x800000); break;
    default: break;
  }
  win::SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                    win::SWP_NOSIZE | win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                        win::SWP_FRAMECHANGED);
}

}  // namespace mdlSetBoxSpec
