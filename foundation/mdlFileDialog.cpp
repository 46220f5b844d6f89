#include "foundation/mdlFileDialog.h"

#include <string>

#include "foundation/CommDialog.h"

namespace mdlFileDialog {

int32_t BrowseCallbackProc(int32_t hwnd, int32_t uMsg, const win::PIDL& lParam, int32_t /*lpData*/) {
  if (uMsg == win::BFFM_INITIALIZED) {
    win::SendMessageA(hwnd, win::BFFM_SETSELECTIONA, 1, objDialog().InitDir + '\0');
  } else if (uMsg == win::BFFM_SELCHANGED) {
    std::string buffer(999, '\0');
    if (win::SHGetPathFromIDList(lParam, buffer)) win::SendMessageA(hwnd, win::BFFM_SETSTATUSTEXTA, 0, buffer);
  }
  return 0;
}

}  // namespace mdlFileDialog
