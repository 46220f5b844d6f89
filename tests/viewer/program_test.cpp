// labels: e2e x11
// libs: X11
// The viewer program itself, started as the conversion program starts it (its path and the
// picture's, each in quotes), watched and driven on the X display.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QThread>
#include <csignal>
#include <optional>
#include <string>

#include "platform/fs.h"
#include "runtime/shell.h"
#include "support/paths.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

using testsupport::TempDir;

// The viewer's top-level window on the display, found by its process id.
class ViewerWindow {
 public:
  explicit ViewerWindow(long pid) : d_(XOpenDisplay(nullptr)), pid_(pid) {}
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

  std::string Title() {
    XTextProperty p;
    std::string out;
    if (w_ && XGetWMName(d_, *w_, &p) && p.value) {
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
      if (owner == pid_ && XGetWindowAttributes(d_, w, &a) && a.map_state == IsViewable) return w;
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

bool Gone(long pid, int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    if (kill(pid_t(pid), 0) != 0) return true;
    QThread::msleep(20);
  }
  return false;
}

void Copy(const std::string& from, const std::string& to) {
  ASSERT_TRUE(QFile::copy(QString::fromStdString(from), QString::fromStdString(to))) << from;
}

TEST(ViewerProgram, StartedWithAGifShowsItAtItsSizeStepsThroughItsFolderAndSavesAtExit) {
  TempDir app("viewer-app"), pics("viewer-road");
  const std::string viewer = app.file("Fenwo.Lumtak.exe");
  Copy(testsupport::appDir() + "/Fenwo.Lumtak.exe", viewer);
  Copy(testsupport::media("anim.gif"), pics.file("anim.gif"));         // 160 x 120
  Copy(testsupport::media("pictures/png/p1.png"), pics.file("p1.png"));  // 120 x 90
  ASSERT_TRUE(QImage(200, 50, QImage::Format_RGB32).save(QString::fromStdString(pics.file("q.jpg"))));

  const long pid = long(vb::Shell("\"" + viewer + "\" \"" + pics.file("anim.gif") + "\"",
                                  vb::vbNormalFocus));
  ASSERT_GT(pid, 0);
  ViewerWindow w(pid);
  ASSERT_TRUE(w.WaitFor(160)) << w.Title() << " " << w.Width();
  EXPECT_EQ(w.Title(), " Fenwo.Lumtak  1.6.6  - 100 %");
  EXPECT_TRUE(win::IsFile(app.file("harrow.cur")));

  w.Key(XK_Next);
  EXPECT_TRUE(w.WaitFor(120)) << "Page Down shows p1.png";
  w.Key(XK_Next);
  EXPECT_TRUE(w.WaitFor(200)) << "Page Down shows q.jpg";
  // The viewer lets waiting events run before it acts on a key: a person's pace keeps the
  // keys in their order.
  w.Key(XK_Next);
  QThread::msleep(300);
  EXPECT_EQ(w.Width(), 200) << "no wrap at the end";
  w.Key(XK_Home);
  EXPECT_TRUE(w.WaitFor(160)) << "Home shows anim.gif again";

  w.Close();
  ASSERT_TRUE(Gone(pid, 10000));
  EXPECT_FALSE(win::IsFile(app.file("harrow.cur")));
  const std::string ini = testsupport::readFile(app.file("Fenwo.Lumtak.ini"));
  EXPECT_EQ(ini.substr(0, 9), "MainLeft=") << ini;
  EXPECT_NE(ini.find("\r\nLanguage="), std::string::npos) << ini;
}

}  // namespace
