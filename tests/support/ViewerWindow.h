// The viewer program's window on the X display, watched and driven as a person would: its
// title and width, keys, the close button.
#pragma once
#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <optional>
#include <string>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace testsupport {

// The viewer's top-level window on the display, found by its process id.
class ViewerWindow {
 public:
  // The window of that process; pid 0: the first viewer window found.
  explicit ViewerWindow(long pid = 0) : d_(XOpenDisplay(nullptr)), pid_(pid) {}
  ~ViewerWindow() {
    if (d_) XCloseDisplay(d_);
  }

  // Waits until the window's title says that a picture is shown at that width.
  bool WaitFor(int width, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
      if (!w_) w_ = Find(DefaultRootWindow(d_));
      if (w_ && Title().find("  - 100 %") != std::string::npos && Width() == width) return true;
      QThread::msleep(20);
    }
    return false;
  }

  std::string Title() { return w_ ? Title(*w_) : std::string(); }
  // The process that shows the window (once found).
  long Pid() const { return pid_; }

  std::string Title(Window w) {
    XTextProperty p;
    std::string out;
    if (XGetWMName(d_, w, &p) && p.value) {
      out.assign(reinterpret_cast<char*>(p.value), p.nitems);
      XFree(p.value);
    }
    return out;
  }

  int Width() {
    XWindowAttributes a;
    return w_ && XGetWindowAttributes(d_, *w_, &a) ? a.width : -1;
  }

  void Key(KeySym key) {
    for (int type : {KeyPress, KeyRelease}) {
      XEvent e{};
      e.xkey.type = type;
      e.xkey.display = d_;
      e.xkey.window = *w_;
      e.xkey.root = DefaultRootWindow(d_);
      e.xkey.time = CurrentTime;
      e.xkey.x = e.xkey.y = 1;
      e.xkey.same_screen = True;
      e.xkey.keycode = XKeysymToKeycode(d_, key);
      XSendEvent(d_, *w_, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
    }
    XFlush(d_);
  }

  // The close button of the window's frame.
  void Close() {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = *w_;
    e.xclient.message_type = XInternAtom(d_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(d_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d_, *w_, False, NoEventMask, &e);
    XFlush(d_);
  }

 private:
  std::optional<Window> Find(Window w) {
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom pidAtom = XInternAtom(d_, "_NET_WM_PID", False);
    if (XGetWindowProperty(d_, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success && data) {
      const long owner = *reinterpret_cast<long*>(data);
      XFree(data);
      XWindowAttributes a;
      if ((pid_ == 0 || owner == pid_) && XGetWindowAttributes(d_, w, &a) &&
          a.map_state == IsViewable && Title(w).rfind(" Fenwo.Lumtak", 0) == 0) {
        pid_ = owner;
        return w;
      }
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    std::optional<Window> found;
    if (XQueryTree(d_, w, &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && !found; ++i) found = Find(children[i]);
      if (children) XFree(children);
    }
    return found;
  }

  Display* d_;
  long pid_;
  std::optional<Window> w_;
};

// Waits until the process has ended.
inline bool Gone(long pid, int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    if (kill(pid_t(pid), 0) != 0) return true;
    QThread::msleep(20);
  }
  return false;
}

}  // namespace testsupport
