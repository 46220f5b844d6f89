// The viewer program's window on the X display, watched and driven as a person would: its
// title and width, keys, the close button.
#pragma once
#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include "support/paths.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace testsupport {

// The viewer's top-level window on the display, found by its process id.
class ViewerWindow {
 public:
  // The window of that process; pid 0: the first viewer window found.
  explicit ViewerWindow(long pid = 0) : d_(XOpenDisplay(nullptr)), pid_(pid) {
    // The viewer answers a ping through the root window.
    if (d_) XSelectInput(d_, DefaultRootWindow(d_), StructureNotifyMask);
  }
  // A viewer still running after a failed check is ended: it would hold the test's output open.
  ~ViewerWindow() {
    if (d_) XCloseDisplay(d_);
    if (pid_ > 0 && readFile("/proc/" + std::to_string(pid_) + "/cmdline").find("Fenwo.Lumtak") != std::string::npos)
      kill(pid_t(pid_), SIGKILL);
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

  // Waits until the viewer has handled everything the display sent it so far (its own late
  // size reports among them): a ping goes behind those events and comes back once they were
  // read, and then the program must rest, waiting for events, on several looks in a row. A
  // key that comes while the viewer is busy loading or sizing is dropped, as it should be.
  bool Settle(int ms = 10000) {
    QElapsedTimer t;
    t.start();
    if (!w_) return false;
    const Atom protocols = XInternAtom(d_, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(d_, "_NET_WM_PING", False);
    const long token = ++pings_;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = *w_;
    e.xclient.message_type = protocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(ping);
    e.xclient.data.l[1] = token;
    e.xclient.data.l[2] = long(*w_);
    XSendEvent(d_, *w_, False, NoEventMask, &e);
    XFlush(d_);
    for (bool answered = false; !answered;) {
      while (!answered && XPending(d_)) {
        XEvent r;
        XNextEvent(d_, &r);
        answered = r.type == ClientMessage && r.xclient.message_type == protocols &&
                   Atom(r.xclient.data.l[0]) == ping && r.xclient.data.l[1] == token;
      }
      if (answered) break;
      if (t.elapsed() > ms) return false;
      QThread::msleep(5);
    }
    for (int resting = 0; resting < 5;) {
      if (t.elapsed() > ms) return false;
      resting = MainThreadSleeps() ? resting + 1 : 0;
      QThread::msleep(10);
    }
    return true;
  }

  void Key(KeySym key) {
    Settle();
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

  // A key as a person types it (an X keysym name such as "Next"): through the X server's own
  // input (xdotool), to the window given the focus.
  bool TypeKey(const std::string& name) {
    if (!Settle()) return false;
    const std::string id = std::to_string(*w_);
    return std::system(("xdotool windowfocus --sync " + id + " key " + name).c_str()) == 0;
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
  // Whether the program's main thread is asleep (in its event loop: the loading and sizing
  // steps let events run without waiting for them).
  bool MainThreadSleeps() const {
    const std::string stat = readFile("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/stat");
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'S';
  }

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
  long pings_ = 0;
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
