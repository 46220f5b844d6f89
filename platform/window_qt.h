// Window handles as the forms layer gives them out: the widget behind a handle.
#pragma once
#include <cstdint>

#include "platform/window.h"

class QWidget;

namespace win {

// Set on a window while it is hidden and shown again only to redraw its frame.
inline constexpr const char* kRemapping = "win.remapping";

// The handle of a widget (its native window id, made native on first use), registered with
// its initial style bits. Registering again answers the same handle.
HWND RegisterWindow(QWidget* widget, uint32_t style, uint32_t exStyle);
// The widget of a handle; nullptr when unknown or gone.
QWidget* WindowWidget(HWND hwnd);
// The handle of a registered widget, 0 when it has none.
HWND HandleOf(const QWidget* widget);

// Makes a top-level window owned by another: on X it is transient for the owner (a plain
// window becomes a dialog, the kind X keeps with its owner), and it is raised again whenever
// its owner comes up, which no window manager does on a bare display.
void SetOwner(QWidget* owned, QWidget* owner);

}  // namespace win
