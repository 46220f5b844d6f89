// Camera-size JPEGs in the viewer and in feh, each program started in turn on the same
// pictures (made here) on the X display:
//   - 12 MP (4000 x 3000): shown no later than feh, peak memory at most 80 MB;
//   - 48 MP (8000 x 6000): shown in at most 0.8 of feh's time, peak memory at most 215 MB;
//   - 200 MP (16384 x 12288): shown within 4 s.
// "Shown" is the picture's pixels at the centre of the program's window; "rests" is the
// program's processor time standing still for 150 ms (the whole picture decoded). On the
// 48 MP picture the viewer's pan steps (arrow keys, at natural size) and zoom steps (the plus
// key, in a window sized by hand, where the picture is fitted and zooms) are timed from the key
// to the changed screen. Figures are medians of the runs.
// Usage: xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/photos/photos_bench [runs]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <X11/keysym.h>

#include "support/process_watch.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using benchwatch::CpuTicks;
using benchwatch::PeakKb;

// A photo-like texture, red throughout (so that any part of it tells that it is shown): soft
// gradients with fine grain, about 2 bits a pixel at quality 90, as a camera's file.
QImage MakePhoto(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  uint32_t seed = 2463534242u;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      seed ^= seed << 13;
      seed ^= seed >> 17;
      seed ^= seed << 5;
      const int grain = int(seed & 15);
      line[x] = qRgb(190 + (x / 64 + y / 48) % 40 + grain, 20 + (y / 24) % 50 + grain, 30 + (x / 40) % 40 + grain);
    }
  }
  return img;
}

bool IsPicture(unsigned long pixel) {
  const int r = int((pixel >> 16) & 0xFF), g = int((pixel >> 8) & 0xFF), b = int(pixel & 0xFF);
  return r > 150 && g < 110 && b < 110;
}

std::string Title(Display* d, Window w) {
  XTextProperty p;
  std::string out;
  if (XGetWMName(d, w, &p) && p.value) {
    out.assign(reinterpret_cast<char*>(p.value), p.nitems);
    XFree(p.value);
  }
  return out;
}

// The program's window: by its process id, or (feh marks none) by the picture's name in its title.
std::optional<Window> FindWindow(Display* d, Window w, pid_t pid, const std::string& name) {
  if (auto byPid = benchwatch::FindWindow(d, w, pid, XInternAtom(d, "_NET_WM_PID", False))) return byPid;
  XWindowAttributes a;
  if (Title(d, w).find(name) != std::string::npos && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
    return w;
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  std::optional<Window> found;
  if (XQueryTree(d, w, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !found; ++i) found = FindWindow(d, children[i], pid, name);
    if (children) XFree(children);
  }
  return found;
}

std::vector<unsigned long> Strip(Display* d, Window w) {
  std::vector<unsigned long> v;
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, w, &a)) return v;
  const int width = std::min(400, a.width);
  XImage* img = XGetImage(d, w, (a.width - width) / 2, a.height / 2, unsigned(width), 1, AllPlanes, ZPixmap);
  if (!img) return v;
  for (int x = 0; x < width; ++x) v.push_back(XGetPixel(img, x, 0));
  XDestroyImage(img);
  return v;
}

void SendKey(Display* d, Window w, KeySym key) {
  for (int type : {KeyPress, KeyRelease}) {
    XEvent e{};
    e.xkey.type = type;
    e.xkey.display = d;
    e.xkey.window = w;
    e.xkey.root = DefaultRootWindow(d);
    e.xkey.time = CurrentTime;
    e.xkey.x = e.xkey.y = 1;
    e.xkey.same_screen = True;
    e.xkey.keycode = XKeysymToKeycode(d, key);
    XSendEvent(d, w, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
  }
  XFlush(d);
}

struct Run {
  double shownMs = -1, restsMs = -1;
  long peakKb = 0;
  std::vector<double> panMs, zoomMs;
  int unchanged = 0;
};

Run Measure(Display* d, const QString& program, const QStringList& args, const QString& picture, int steps) {
  Run run;
  QProcess p;
  QElapsedTimer clock;
  clock.start();
  p.start(program, args + QStringList{picture});
  if (!p.waitForStarted()) return run;
  const auto ms = [&] { return double(clock.nsecsElapsed()) / 1e6; };
  const std::string name = QFileInfo(picture).fileName().toStdString();
  std::optional<Window> win;
  while (clock.elapsed() < 15000 && run.shownMs < 0) {
    if (!win) win = FindWindow(d, DefaultRootWindow(d), pid_t(p.processId()), name);
    if (win) {
      XWindowAttributes a;
      if (XGetWindowAttributes(d, *win, &a) && a.width > 2 && a.height > 2) {
        XImage* img = XGetImage(d, *win, a.width / 2, a.height / 2, 1, 1, AllPlanes, ZPixmap);
        if (img) {
          if (IsPicture(XGetPixel(img, 0, 0))) run.shownMs = ms();
          XDestroyImage(img);
        }
      }
    }
    if (run.shownMs < 0) QThread::usleep(300);
  }
  if (run.shownMs >= 0) {
    long last = CpuTicks(p.processId());
    double lastChange = run.shownMs;
    while (clock.elapsed() < 20000 && ms() - lastChange < 150) {
      QThread::usleep(2000);
      const long now = CpuTicks(p.processId());
      if (now != last) {
        last = now;
        lastChange = ms();
      }
    }
    run.restsMs = lastChange;
  }
  if (steps > 0 && win && run.shownMs >= 0) {
    // Panning at natural size, then zooming in the picture fitted into a window sized by hand.
    auto step = [&](KeySym key, std::vector<double>& into) {
      const auto before = Strip(d, *win);
      QElapsedTimer t;
      t.start();
      SendKey(d, *win, key);
      while (t.elapsed() < 1000 && Strip(d, *win) == before) QThread::usleep(300);
      if (t.elapsed() >= 1000) ++run.unchanged;
      else into.push_back(double(t.nsecsElapsed()) / 1e6);
      QThread::msleep(30);
    };
    for (int i = 0; i < 5; ++i) step(XK_Right, run.panMs);
    XResizeWindow(d, *win, 1000, 780);
    XFlush(d);
    QThread::msleep(1500);
    for (int i = 0; i < steps; ++i) step(XK_equal, run.zoomMs);
  }
  run.peakKb = PeakKb(p.processId());
  p.kill();
  p.waitForFinished();
  return run;
}

double Median(std::vector<double> v) {
  v.erase(std::remove(v.begin(), v.end(), -1.0), v.end());
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Figures {
  double shown, rests, peakMb;
  int seen, runs;
  std::vector<double> pan, zoom;
  int unchanged;
};

double Max(const std::vector<double>& v) { return v.empty() ? -1 : *std::max_element(v.begin(), v.end()); }

Figures Sum(const std::vector<Run>& runs) {
  std::vector<double> shown, rests, peak, pan, zoom;
  int seen = 0, unchanged = 0;
  for (const Run& r : runs) {
    shown.push_back(r.shownMs);
    rests.push_back(r.restsMs);
    peak.push_back(double(r.peakKb) / 1024);
    pan.insert(pan.end(), r.panMs.begin(), r.panMs.end());
    zoom.insert(zoom.end(), r.zoomMs.begin(), r.zoomMs.end());
    seen += r.shownMs >= 0;
    unchanged += r.unchanged;
  }
  return {Median(shown), Median(rests), Median(peak), seen, int(runs.size()), pan, zoom, unchanged};
}

void Print(const char* who, const Figures& f) {
  std::printf("  %-6s shown %7.1f ms  rests %7.1f ms  peak %6.1f MB  (shown in %d/%d runs)\n", who, f.shown,
              f.rests, f.peakMb, f.seen, f.runs);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  Display* d = benchwatch::OpenDisplay();
  if (!d) return 1;
  const QString feh = QStandardPaths::findExecutable("feh");
  if (feh.isEmpty()) std::fprintf(stderr, "feh is not installed: only the viewer is measured\n");
  QTemporaryDir tmp;
  const QString viewer = benchwatch::ViewerCopy(tmp, FENWO_APPDIR);
  if (viewer.isEmpty()) return 1;

  struct Case {
    const char* name;
    int w, h;
    double fehShare;  // the most of feh's time the viewer may take (0: no comparison)
    double mostMb, mostMs;
  } cases[] = {{"12 MP", 4000, 3000, 1.0, 80, 0}, {"48 MP", 8000, 6000, 0.8, 215, 0},
               {"200 MP", 16384, 12288, 0, 0, 4000}};
  for (const Case& c : cases) {
    const QString path = tmp.filePath(QString("photo-%1x%2.jpg").arg(c.w).arg(c.h));
    {
      const QImage img = MakePhoto(c.w, c.h);
      if (!img.save(path, "JPG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
      }
    }
    std::printf("JPEG %dx%d (%s), %.1f MB\n", c.w, c.h, c.name, double(QFile(path).size()) / 1e6);
    std::fflush(stdout);
    const bool zoom = c.w == 8000;
    std::vector<Run> ours, theirs;
    for (int i = 0; i < runs; ++i) {
      ours.push_back(Measure(d, viewer, {}, path, zoom ? 120 : 0));
      if (!feh.isEmpty()) theirs.push_back(Measure(d, feh, {}, path, 0));
    }
    const Figures o = Sum(ours);
    Print("viewer", o);
    if (!feh.isEmpty()) {
      const Figures f = Sum(theirs);
      Print("feh", f);
      if (c.fehShare > 0 && f.shown > 0)
        std::printf("  viewer/feh shown %.2f (goal at most %.2f)\n", o.shown / f.shown, c.fehShare);
    }
    if (c.mostMb > 0) std::printf("  viewer peak %.1f MB (goal at most %.0f MB)\n", o.peakMb, c.mostMb);
    if (c.mostMs > 0) std::printf("  viewer shown %.1f ms (goal at most %.0f ms)\n", o.shown, c.mostMs);
    if (zoom)
      std::printf("  viewer pan step: median %.1f ms, max %.1f ms; zoom step (fitted, from 1/8 past 1/2 of "
                  "the size): median %.1f ms, max %.1f ms (goal at most 100 ms); %zu steps, %d left the screen as it was\n",
                  Median(o.pan), Max(o.pan), Median(o.zoom), Max(o.zoom), o.pan.size() + o.zoom.size(), o.unchanged);
    std::fflush(stdout);
  }
  XCloseDisplay(d);
  return 0;
}
