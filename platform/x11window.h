// Top-level windows of other processes on the X display: the engine's own window, found by
// the process that made it, retitled and asked to close. Where the program does not show its
// windows on X, every call does nothing.
#pragma once
#include <string>

namespace win::x11 {

using Window = unsigned long;  // an X window id; 0 is none

// True when the program's windows are on an X display (Qt's xcb platform, or DISPLAY set
// before any window system was chosen) and the X library can be loaded.
bool Available();

// The first top-level window made by the process pid or by a process it started; 0 when it
// has none yet.
Window FindProcessWindow(int pid);

// Whether the window still exists.
bool IsWindow(Window w);

// Sets the window's title.
bool SetWindowTitle(Window w, const std::string& title);

// Asks the window's owner to close it, as the window manager's close button does.
bool PostClose(Window w);

// Whether a compositing manager draws the screen (then windows may be partly transparent).
bool CompositingManager();

// Takes a window of the program's own out of sight while it stays mapped (its shape becomes
// empty), or gives it back its whole shape.
bool SetOutOfSight(Window w, bool out);

// Whether a window manager runs that tells the frame of a window before it is shown.
bool FramesToldAhead();
// The frame (left, top, right, bottom, in pixels) the window manager will put around the
// program's own top-level window w, asked before the window is first shown. False when no
// window manager answers.
bool FrameExtents(Window w, int& left, int& top, int& right, int& bottom);

}  // namespace win::x11
