#include "support/ScreenGrab.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/x11window.h"
#include "support/crashes.h"
#include "support/paths.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testsupport::screen {
namespace fs = std::filesystem;

QImage Screen() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return {};
  return s->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Area(const QRect& r) {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return {};
  const QRect in = r.intersected(s->geometry());
  if (in.isEmpty()) return {};
  return s->grabWindow(0, in.x(), in.y(), in.width(), in.height()).toImage().convertToFormat(QImage::Format_RGB32);
}

double Share(const QImage& img, const std::function<bool(QRgb)>& test) {
  if (img.isNull()) return 0;
  long n = 0;
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if (test(row[x])) ++n;
  }
  return static_cast<double>(n) / (static_cast<double>(img.width()) * img.height());
}

double BlackShare(const QImage& img) {
  return Share(img, [](QRgb p) { return qRed(p) < 16 && qGreen(p) < 16 && qBlue(p) < 16; });
}

double Mean(const QImage& img) {
  if (img.isNull()) return 0;
  double sum = 0;
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) sum += (qRed(row[x]) + qGreen(row[x]) + qBlue(row[x])) / 3.0;
  }
  return sum / (static_cast<double>(img.width()) * img.height());
}

double ColourShare(const QImage& img, QRgb c, int tol) {
  return Share(img, [c, tol](QRgb p) {
    return std::abs(qRed(p) - qRed(c)) <= tol && std::abs(qGreen(p) - qGreen(c)) <= tol &&
           std::abs(qBlue(p) - qBlue(c)) <= tol;
  });
}

bool WaitForChange(const QRect& r, const QImage& before, int ms) {
  return WaitUntil([&] {
    const QImage now = Area(r);
    if (now.size() != before.size()) return false;
    long differ = 0;
    for (int y = 0; y < now.height(); ++y)
      for (int x = 0; x < now.width(); ++x) differ += now.pixel(x, y) != before.pixel(x, y);
    return differ * 10 > static_cast<long>(now.width()) * now.height();
  }, ms);
}

std::string Keep(const QImage& img, const std::string& name) {
  // Beside the build, not in the temporary folder: a run leaves nothing there.
  const fs::path dir = fs::path(FENWO_BUILD_DIR) / "test-screens";
  std::error_code ec;
  fs::create_directories(dir, ec);
  const std::string path = (dir / (name + ".png")).string();
  img.save(QString::fromStdString(path));
  return path;
}

namespace {
// A tool's standard output, or empty when it failed.
QString Run(const QString& tool, const QStringList& args, int ms = 15000) {
  QProcess p;
  p.start(tool, args);
  if (!p.waitForStarted()) return {};
  WaitUntil([&] { return p.state() == QProcess::NotRunning; }, ms);
  if (p.state() != QProcess::NotRunning) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The client area of a window from xwininfo (which answers the window itself, not a frame).
QRect Geometry(unsigned long id) {
  const QString info = Run("xwininfo", {"-id", QString::number(id)});
  auto field = [&](const char* name) {
    const QRegularExpression re(QString(name) + R"(:\s+(-?\d+))");
    const auto m = re.match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  };
  return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}
}  // namespace

QRect Place(unsigned long id) { return Geometry(id); }

std::vector<Window> Windows(const QString& titleRegex) {
  std::vector<Window> out;
  QProcess p;
  p.start("xdotool", {"search", "--onlyvisible", "--name", titleRegex});
  if (!p.waitForStarted()) return out;
  WaitUntil([&] { return p.state() == QProcess::NotRunning; }, 15000);
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    Window w;
    w.id = line.trimmed().toULong();
    w.rect = Geometry(w.id);
    if (w.id && w.rect.width() > 1) out.push_back(w);
  }
  return out;
}

Window Find(const QString& titleRegex, QSize size) {
  for (const Window& w : Windows(titleRegex))
    if (size.isEmpty() || w.rect.size() == size) return w;
  return {};
}

Window WaitForWindow(const QString& titleRegex, QSize size, int ms) {
  Window found;
  WaitUntil([&] {
    found = Find(titleRegex, size);
    return found.id != 0;
  }, ms);
  return found;
}

namespace {
std::vector<Program*>& livePrograms() {
  static std::vector<Program*> p;
  return p;
}
}  // namespace

// A wait ends at once, failing the test, when a process crashed meanwhile: the window it waits
// for will not come.
bool WaitUntil(const std::function<bool()>& done, int ms) {
  bool crashed = false;
  const bool ok = QTest::qWaitFor([&] {
    if (done()) return true;
    std::string died;
    for (Program* p : livePrograms()) died += p->Death();
    if (!died.empty()) ADD_FAILURE() << died;
    return crashed = testsupport::StopForCrash() || !died.empty();
  }, ms);
  return ok && !crashed;
}

namespace {
// The visible windows under the root, top-level clients and menus, bottom first.
struct Shown {
  unsigned long id;
  long pid;
  bool menu;
  QRect rect;
  std::string title;
};

std::vector<Shown> Visible() {
  std::vector<Shown> out;
  ::Display* d = XOpenDisplay(nullptr);
  if (!d) return out;
  XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });  // a window gone meanwhile
  const ::Window root = DefaultRootWindow(d);
  const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
  auto pidOf = [&](::Window w) {
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) == Success &&
        data) {
      if (n) pid = *reinterpret_cast<long*>(data);
      XFree(data);
    }
    return pid;
  };
  auto titleOf = [&](::Window w) {
    XTextProperty p;
    std::string t;
    if (XGetWMName(d, w, &p) && p.value) {
      t.assign(reinterpret_cast<char*>(p.value), p.nitems);
      XFree(p.value);
    }
    return t;
  };
  // A window manager's frame holds the client one level down.
  std::function<void(::Window, int)> visit = [&](::Window w, int depth) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return;
    const long pid = pidOf(w);
    if (pid || a.override_redirect) {
      int x = 0, y = 0;
      ::Window child = 0;
      XTranslateCoordinates(d, w, root, 0, 0, &x, &y, &child);
      out.push_back({w, pid, a.override_redirect != 0, QRect(x, y, a.width, a.height), titleOf(w)});
      return;
    }
    if (depth >= 2) return;
    ::Window r, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, w, &r, &parent, &children, &count)) {
      for (unsigned i = 0; i < count; ++i) visit(children[i], depth + 1);
      if (children) XFree(children);
    }
  };
  ::Window r, parent, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(d, root, &r, &parent, &children, &count)) {
    for (unsigned i = 0; i < count; ++i) visit(children[i], 1);
    if (children) XFree(children);
  }
  XCloseDisplay(d);
  return out;
}
}  // namespace

std::vector<Window> MenusOf(long pid) {
  std::vector<Window> out;
  for (const Shown& s : Visible())
    if (s.menu && s.pid == pid && s.rect.width() > 1) out.push_back({s.id, s.rect});
  return out;
}

bool WaitForRest(const QRect& r, int ms, int looks, int everyMs) {
  QImage last;
  int still = 0;
  return WaitUntil([&] {
    const QImage now = Area(r);
    still = !now.isNull() && now == last ? still + 1 : 0;
    last = now;
    if (still < looks) QTest::qWait(everyMs);
    return still >= looks;
  }, ms);
}

long OwnerOf(unsigned long id) {
  for (const Shown& s : Visible())
    if (s.id == id) return s.pid;
  return 0;
}

bool HasChildren(long pid) {
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::ifstream stat(e.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    long parent = 0;
    if (rest >> state >> parent && parent == pid && state != "Z") return true;
  }
  return false;
}

Window WaitForMenu(long pid, size_t count, int ms) {
  Window menu;
  const bool up = WaitUntil([&] {
    const std::vector<Window> menus = MenusOf(pid);
    if (menus.size() != count) return false;
    menu = menus.back();
    return BlackShare(Area(menu.rect)) < 0.5 && WaitForRest(menu.rect, 2000);
  }, ms);
  return up ? menu : Window{};
}

std::string OnScreen() {
  std::string out;
  for (const Shown& s : Visible()) {
    const QRect& r = s.rect;
    out += "\n  \"" + s.title + "\" pid " + std::to_string(s.pid) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height()) + " at " + std::to_string(r.x()) + "," + std::to_string(r.y()) +
           (s.menu ? " menu" : "");
  }
  return out.empty() ? " nothing" : out;
}

bool Xdo(const QStringList& words) {
  QProcess p;
  p.start("xdotool", words);
  if (!p.waitForStarted()) return false;
  WaitUntil([&] { return p.state() == QProcess::NotRunning; });
  return p.state() == QProcess::NotRunning && p.exitCode() == 0;
}

bool ClickAt(QPoint at, int button) {
  return Xdo({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1", "click",
              QString::number(button)});
}

bool Keys(const QStringList& keys) {
  QStringList words{"key", "--delay", "80"};
  words += keys;
  return Xdo(words);
}

Compositor::~Compositor() {
  if (p_.state() == QProcess::NotRunning) return;
  p_.terminate();
  if (!p_.waitForFinished(5000)) p_.kill();
  p_.waitForFinished();
  WaitUntil([] { return !Composited(); }, 5000);
}

bool Compositor::Start(std::string& why) {
  if (QStandardPaths::findExecutable("xcompmgr").isEmpty()) {
    why = "needs xcompmgr";
    return false;
  }
  p_.start("xcompmgr", {});
  if (!p_.waitForStarted()) {
    why = "xcompmgr did not start";
    return false;
  }
  if (!WaitUntil([] { return Composited(); }, 10000)) {
    why = "xcompmgr did not take the screen";
    return false;
  }
  return true;
}

bool Composited() { return win::x11::CompositingManager(); }

Program::Program(const std::string& exe) : exe_(exe) {
  std::string tmpl = (fs::temp_directory_path() / "fenwo-screen-XXXXXX").string();
  root_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
  folder_ = root_ + "/app";
  fs::create_directories(folder_ + "/plugins");
  fs::create_directories(root_ + "/run");
  fs::permissions(root_ + "/run", fs::perms::owner_all);
  fs::copy_file(appDir() + "/" + exe, folder_ + "/" + exe);
  fs::copy_file(enginePath(), folder_ + "/plugins/FenwoRes1.exe");
  livePrograms().push_back(this);
}

Program::~Program() {
  auto& live = livePrograms();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (const std::string death = Death(); !death.empty()) ADD_FAILURE() << death;
  if (p_.state() != QProcess::NotRunning) {
    p_.terminate();
    if (!p_.waitForFinished(5000)) p_.kill();
    p_.waitForFinished();
  }
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void Program::Settings(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  writeFile(folder_ + "/" + exe_ + ".ini", text);
}

bool Program::Start(const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(root_ + "/run"));
  p_.setProcessEnvironment(env);
  p_.setProcessChannelMode(QProcess::MergedChannels);
  p_.setWorkingDirectory(QString::fromStdString(folder_));
  p_.start(QString::fromStdString(folder_ + "/" + exe_), args);
  const bool started = p_.waitForStarted();
  pid_ = p_.processId();
  told_ = false;
  return started;
}

void Program::BeforeExec(const std::function<void()>& f) { p_.setChildProcessModifier(f); }

bool Program::Running() const { return p_.state() == QProcess::Running; }

long Program::Pid() const { return static_cast<long>(p_.processId()); }

std::string Program::Output() { return p_.readAll().toStdString(); }

std::string Program::Death() {
  if (told_ || p_.state() != QProcess::NotRunning || p_.exitStatus() != QProcess::CrashExit) return {};
  told_ = true;
  // A fault the handler caught has its report already; what it cannot catch (a kill by the
  // kernel for memory, say) is told here.
  if (testsupport::CrashReported(static_cast<long>(pid_))) return {};
  return exe_ + ": " + testsupport::KilledBy(p_, static_cast<long>(pid_));
}

}  // namespace testsupport::screen
