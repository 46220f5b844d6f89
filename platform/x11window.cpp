#include "platform/x11window.h"

#include <QGuiApplication>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

// The X library is loaded at run time, so the build needs nothing beyond its headers.
namespace win::x11 {
namespace {

struct Xlib {
  decltype(&::XOpenDisplay) OpenDisplay = nullptr;
  decltype(&::XCloseDisplay) CloseDisplay = nullptr;
  decltype(&::XDefaultRootWindow) RootOf = nullptr;
  decltype(&::XQueryTree) QueryTree = nullptr;
  decltype(&::XFree) Free = nullptr;
  decltype(&::XInternAtom) InternAtom = nullptr;
  decltype(&::XGetWindowProperty) GetWindowProperty = nullptr;
  decltype(&::XGetWindowAttributes) GetWindowAttributes = nullptr;
  decltype(&::XChangeProperty) ChangeProperty = nullptr;
  decltype(&::XSendEvent) SendEvent = nullptr;
  decltype(&::XSync) Sync = nullptr;
  decltype(&::XSetErrorHandler) SetErrorHandler = nullptr;
  decltype(&::XGetSelectionOwner) GetSelectionOwner = nullptr;
  bool ok = false;
};

template <typename F>
bool bind(void* lib, F& f, const char* name) {
  f = reinterpret_cast<F>(::dlsym(lib, name));
  return f != nullptr;
}

const Xlib& xlib() {
  static const Xlib x = [] {
    Xlib l;
    void* lib = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return l;
    l.ok = bind(lib, l.OpenDisplay, "XOpenDisplay") && bind(lib, l.CloseDisplay, "XCloseDisplay") &&
           bind(lib, l.RootOf, "XDefaultRootWindow") &&
           bind(lib, l.QueryTree, "XQueryTree") && bind(lib, l.Free, "XFree") &&
           bind(lib, l.InternAtom, "XInternAtom") &&
           bind(lib, l.GetWindowProperty, "XGetWindowProperty") &&
           bind(lib, l.GetWindowAttributes, "XGetWindowAttributes") &&
           bind(lib, l.ChangeProperty, "XChangeProperty") && bind(lib, l.SendEvent, "XSendEvent") &&
           bind(lib, l.Sync, "XSync") && bind(lib, l.SetErrorHandler, "XSetErrorHandler") &&
           bind(lib, l.GetSelectionOwner, "XGetSelectionOwner");
    return l;
  }();
  return x;
}

// Windows of other clients may go at any moment; an error about one must not end the program.
int ignoreError(Display*, XErrorEvent*) { return 0; }

// One connection for one call, with X errors ignored while it is open.
class Connection {
 public:
  Connection() {
    if (!Available()) return;
    previous_ = xlib().SetErrorHandler(ignoreError);
    dpy_ = xlib().OpenDisplay(nullptr);
  }
  ~Connection() {
    if (dpy_) {
      xlib().Sync(dpy_, False);
      xlib().CloseDisplay(dpy_);
    }
    if (xlib().ok) xlib().SetErrorHandler(previous_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Display* get() const { return dpy_; }
  Atom atom(const char* name) const { return xlib().InternAtom(dpy_, name, False); }

 private:
  Display* dpy_ = nullptr;
  XErrorHandler previous_ = nullptr;
};

bool hasProperty(const Connection& c, Window w, Atom prop) {
  Atom type = 0;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  const int rc =
      xlib().GetWindowProperty(c.get(), w, prop, 0, 0, False, AnyPropertyType, &type, &format, &n,
                               &after, &data);
  if (data) xlib().Free(data);
  return rc == Success && type != 0;
}

// The 32-bit values of a property (CARDINAL or ATOM lists), empty when it is not there.
std::vector<long> longs(const Connection& c, Window w, Atom prop, Atom type, long most) {
  Atom actual = 0;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (xlib().GetWindowProperty(c.get(), w, prop, 0, most, False, type, &actual, &format, &n, &after,
                               &data) == Success &&
      data && format == 32) {
    const auto* v = reinterpret_cast<const long*>(data);
    out.assign(v, v + n);
  }
  if (data) xlib().Free(data);
  return out;
}

long windowPid(const Connection& c, Window w, Atom netWmPid) {
  const std::vector<long> v = longs(c, w, netWmPid, XA_CARDINAL, 1);
  return v.size() == 1 ? v[0] : 0;
}

std::vector<Window> children(const Connection& c, Window w) {
  Window root = 0, parent = 0;
  Window* kids = nullptr;
  unsigned int n = 0;
  std::vector<Window> out;
  if (xlib().QueryTree(c.get(), w, &root, &parent, &kids, &n) && kids) out.assign(kids, kids + n);
  if (kids) xlib().Free(kids);
  return out;
}

long parentPid(long pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(line.substr(close + 2));
  std::string state;
  long ppid = 0;
  rest >> state >> ppid;
  return ppid;
}

// The engine may run in a process of the one that was started (the shim's child).
bool isSelfOrDescendant(long pid, long ancestor) {
  for (int depth = 0; pid > 1 && depth < 16; ++depth) {
    if (pid == ancestor) return true;
    pid = parentPid(pid);
  }
  return false;
}

// Client windows below a window manager's frame carry WM_STATE.
Window clientBelow(const Connection& c, Window frame, Atom wmState, int depth) {
  for (Window w : children(c, frame)) {
    if (hasProperty(c, w, wmState)) return w;
    if (depth > 0)
      if (Window found = clientBelow(c, w, wmState, depth - 1)) return found;
  }
  return 0;
}

struct Xext {
  decltype(&::XShapeCombineRectangles) CombineRectangles = nullptr;
  decltype(&::XShapeCombineMask) CombineMask = nullptr;
  bool ok = false;
};

const Xext& xext() {
  static const Xext x = [] {
    Xext l;
    void* lib = ::dlopen("libXext.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return l;
    l.ok = bind(lib, l.CombineRectangles, "XShapeCombineRectangles") &&
           bind(lib, l.CombineMask, "XShapeCombineMask");
    return l;
  }();
  return x;
}

}  // namespace

bool Available() {
  if (!xlib().ok) return false;
  if (qGuiApp) return QGuiApplication::platformName() == QLatin1String("xcb");
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

Window FindProcessWindow(int pid) {
  if (pid <= 0) return 0;
  Connection c;
  if (!c.get()) return 0;
  const Atom netWmPid = c.atom("_NET_WM_PID");
  const Atom wmState = c.atom("WM_STATE");
  for (Window top : children(c, xlib().RootOf(c.get()))) {
    Window client = top;
    if (!hasProperty(c, top, wmState) && !hasProperty(c, top, netWmPid))
      client = clientBelow(c, top, wmState, 2);
    if (!client) continue;
    const long owner = windowPid(c, client, netWmPid);
    if (owner > 0 && isSelfOrDescendant(owner, pid)) return client;
  }
  return 0;
}

bool IsWindow(Window w) {
  if (!w) return false;
  Connection c;
  if (!c.get()) return false;
  XWindowAttributes a{};
  return xlib().GetWindowAttributes(c.get(), w, &a) != 0;
}

bool SetWindowTitle(Window w, const std::string& title) {
  if (!w) return false;
  Connection c;
  if (!c.get()) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
  const int n = static_cast<int>(title.size());
  // WM_NAME for older window managers, _NET_WM_NAME as UTF-8 for the rest.
  xlib().ChangeProperty(c.get(), w, XA_WM_NAME, c.atom("UTF8_STRING"), 8, PropModeReplace, bytes, n);
  xlib().ChangeProperty(c.get(), w, c.atom("_NET_WM_NAME"), c.atom("UTF8_STRING"), 8,
                        PropModeReplace, bytes, n);
  return true;
}

bool PostClose(Window w) {
  if (!w) return false;
  Connection c;
  if (!c.get()) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = c.atom("WM_PROTOCOLS");
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(c.atom("WM_DELETE_WINDOW"));
  e.xclient.data.l[1] = CurrentTime;
  return xlib().SendEvent(c.get(), w, False, NoEventMask, &e) != 0;
}

bool CompositingManager() {
  Connection c;
  if (!c.get()) return false;
  const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(c.get()));
  return xlib().GetSelectionOwner(c.get(), c.atom(name.c_str())) != 0;
}

bool SetOutOfSight(Window w, bool out) {
  if (!w || !xext().ok) return false;
  Connection c;
  if (!c.get()) return false;
  // An empty shape: the window stays mapped, yet none of it is drawn and the pointer goes through.
  if (out) xext().CombineRectangles(c.get(), w, ShapeBounding, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  else xext().CombineMask(c.get(), w, ShapeBounding, 0, 0, None, ShapeSet);
  return true;
}

bool FramesToldAhead() {
  Connection c;
  if (!c.get()) return false;
  const Atom request = c.atom("_NET_REQUEST_FRAME_EXTENTS");
  for (long a : longs(c, xlib().RootOf(c.get()), c.atom("_NET_SUPPORTED"), XA_ATOM, 4096))
    if (static_cast<Atom>(a) == request) return true;
  return false;
}

bool FrameExtents(Window w, int& left, int& top, int& right, int& bottom) {
  if (!w) return false;
  Connection c;
  if (!c.get()) return false;
  const Window root = xlib().RootOf(c.get());
  const Atom request = c.atom("_NET_REQUEST_FRAME_EXTENTS");
  const Atom extents = c.atom("_NET_FRAME_EXTENTS");

  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = request;
  e.xclient.format = 32;
  xlib().SendEvent(c.get(), root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  // The window manager answers by setting the property, normally within a few milliseconds.
  for (int i = 0; i < 50; ++i) {
    xlib().Sync(c.get(), False);
    const std::vector<long> v = longs(c, w, extents, XA_CARDINAL, 4);
    if (v.size() == 4) {
      left = static_cast<int>(v[0]);
      right = static_cast<int>(v[1]);
      top = static_cast<int>(v[2]);
      bottom = static_cast<int>(v[3]);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  return false;
}

}  // namespace win::x11
