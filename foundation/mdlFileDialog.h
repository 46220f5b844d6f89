// The folder browser's callback.
#pragma once
#include <cstdint>

#include "platform/comdlg.h"

namespace mdlFileDialog {

// Opens the tree at objDialog's InitDir and shows the selected folder in the status line.
int32_t BrowseCallbackProc(int32_t hwnd, int32_t uMsg, const win::PIDL& lParam, int32_t lpData);

// The callback as the browser takes it.
inline win::BFFCALLBACK FarProc(win::BFFCALLBACK value) { return value; }

}  // namespace mdlFileDialog
