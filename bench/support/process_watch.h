// What the viewer benchmarks watch of a program they started: its window on the X display,
// its processor time and its peak memory.
#pragma once
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/types.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace benchwatch {

// The test display; nullptr (said on standard error) when there is none.
inline Display* OpenDisplay() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) std::fprintf(stderr, "no X display: run under xvfb-run\n");
  return d;
}

// A copy of the built viewer in a program folder of its own under `tmp` (the viewer writes its
// settings and cursor beside itself); "" (said on standard error) when there is no viewer.
inline QString ViewerCopy(const QTemporaryDir& tmp, const char* appDir) {
  const QString viewer = tmp.filePath("app/Fenwo.Lumtak");
  QDir().mkpath(tmp.filePath("app"));
  if (QFile::copy(QString::fromUtf8(appDir) + "/Fenwo.Lumtak", viewer)) return viewer;
  std::fprintf(stderr, "no viewer in %s\n", appDir);
  return {};
}

// The first viewable window (depth first) that the process has marked as its own.
inline std::optional<Window> FindWindow(Display* d, Window w, pid_t pid, Atom pidAtom) {
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                         &data) == Success && data) {
    const long owner = *reinterpret_cast<long*>(data);
    XFree(data);
    XWindowAttributes a;
    if (owner == pid && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  std::optional<Window> found;
  if (XQueryTree(d, w, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !found; ++i) found = FindWindow(d, children[i], pid, pidAtom);
    if (children) XFree(children);
  }
  return found;
}

// Processor time the process has used, in clock ticks.
inline long CpuTicks(long long pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(line.substr(close + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

// The process's peak resident memory, in kB.
inline long PeakKb(long long pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

}  // namespace benchwatch
