// labels: e2e engine x11
// libs: X11
// Installed as a Linux desktop installs a program: `cmake --install` into a scratch prefix lays out
// the program folder as the build's, with launchers, desktop entries and icons. The viewer opened
// on a picture through its desktop entry (as a file manager opens it) shows the picture on the
// screen; the converter started through its launcher converts with the installed engine and
// opens the result in the installed viewer.
#include <algorithm>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QUrl>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ScreenGrab.h"
#include "support/ViewerWindow.h"
#include "support/crashes.h"
#include "support/paths.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const std::vector<std::string> kPrograms = {"Fenwo.Zantiro", "Fenwo.Lumtak"};

struct Ran {
  int code = -1;
  std::string out;
};

// Runs a program to its end, with what it printed on either stream; a program that starts others
// (which outlive it) prints into the test's output instead.
Ran RunToEnd(const std::string& program, const QStringList& args,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), bool starter = false) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(starter ? QProcess::ForwardedChannels : QProcess::MergedChannels);
  p.start(QString::fromStdString(program), args);
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    return {-1, "did not end: " + program};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAll().toStdString()};
}

// The cmake that configured the build.
std::string CMakeCommand() {
  std::ifstream cache(std::string(FENWO_BUILD_DIR) + "/CMakeCache.txt");
  const std::string key = "CMAKE_COMMAND:INTERNAL=";
  for (std::string line; std::getline(cache, line);)
    if (line.rfind(key, 0) == 0) return line.substr(key.size());
  return "cmake";
}

// The keys of a desktop entry's main group.
std::map<std::string, std::string> ReadEntry(const std::string& path) {
  std::map<std::string, std::string> keys;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && line[0] != '#') keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

// The words of an Exec value as a launcher splits them: the value's own escapes, then quoted
// words with their backslash escapes, then %% for a percent sign.
std::vector<std::string> ExecWords(const std::string& value) {
  std::string s;
  for (size_t i = 0; i < value.size(); ++i) s += value[i] == '\\' && i + 1 < value.size() ? value[++i] : value[i];
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted && c == '\\' && i + 1 < s.size()) {
      word += s[++i];
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any || !word.empty()) words.push_back(word);
      word.clear();
      any = false;
    } else if (c == '%' && i + 1 < s.size() && s[i + 1] == '%') {
      word += s[++i];
    } else {
      word += c;
    }
  }
  if (any || !word.empty()) words.push_back(word);
  return words;
}

// Every file of a program folder by its path inside it, without the files the programs write
// beside themselves at run time (and the developer's console switch).
std::map<std::string, fs::path> ProgramFiles(const fs::path& dir) {
  static const std::set<std::string> written = {"Fenwo.Zantiro.ini", "Fenwo.Lumtak.ini", "harrow.cur",
                                                "Quorvane.ico"};
  std::map<std::string, fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (!e.is_directory() && !written.count(e.path().filename().string()))
      files[fs::relative(e.path(), dir).string()] = e.path();
  return files;
}

// A control's place on a window, from the window's design text.
struct Place {
  int left = 0, top = 0, width = 0, height = 0;
  int cx() const { return left + width / 2; }
  int cy() const { return top + height / 2; }
};

Place DesignPlace(const std::string& form, const std::string& name) {
  std::ifstream in(testsupport::sourceDir() + "/" + form);
  Place p;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string first, second, third;
    words >> first >> second >> third;
    if (first == "Begin") {
      if (inside) break;
      inside = third == name;
    } else if (inside && first == "End") {
      break;
    } else if (inside && second == "=") {
      if (first == "Left") p.left = std::stoi(third);
      if (first == "Top") p.top = std::stoi(third);
      if (first == "Width") p.width = std::stoi(third);
      if (first == "Height") p.height = std::stoi(third);
    }
  }
  return p;
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms || testsupport::StopForCrash()) return false;
    QThread::msleep(20);
  }
  return true;
}

// The X display as a person uses it: the windows of a program, what they show, a click, a key,
// a file dropped from a file manager.
class Display {
 public:
  // Windows come and go while they are looked at: a window gone meanwhile is no error.
  Display() : d_(XOpenDisplay(nullptr)) {
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
  }
  ~Display() {
    if (!d_) return;
    if (source_) XDestroyWindow(d_, source_);
    XCloseDisplay(d_);
  }
  bool Open() const { return d_ != nullptr; }

  // The viewable top-level windows of a process.
  std::vector<Window> Windows(long pid) { return Collect(DefaultRootWindow(d_), pid); }

  bool IsDialog(Window w) {
    for (Atom a : AtomsOf(w, Intern("_NET_WM_WINDOW_TYPE")))
      if (a == Intern("_NET_WM_WINDOW_TYPE_DIALOG")) return true;
    return false;
  }

  // Each window of the program: its size, and whether it is a message box.
  std::string Describe(long pid) {
    std::string out;
    for (Window w : Windows(pid)) {
      const QSize size = Size(w);
      out += " " + std::to_string(size.width()) + "x" + std::to_string(size.height()) + (IsDialog(w) ? " box" : "");
    }
    return out.empty() ? " none" : out;
  }

  // Waits until that part of a window (all of it: an empty part) shows the same picture on ten
  // looks in a row, 100 ms apart.
  bool Rest(Window w, QRect part, int ms) {
    QImage last;
    int still = 0;
    return WaitUntil([&] {
      const QImage now = Shot(w, part);
      still = !now.isNull() && now == last ? still + 1 : 0;
      last = now;
      if (still < 10) QThread::msleep(100);
      return still >= 10;
    }, ms);
  }

  QSize Size(Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d_, w, &a) ? QSize(a.width, a.height) : QSize();
  }

  // What a window shows on the screen (a part of it).
  QImage Shot(Window w, QRect part = QRect()) {
    if (part.isNull()) part = QRect(QPoint(0, 0), Size(w));
    QImage out;
    if (part.isEmpty()) return out;
    XImage* img = XGetImage(d_, w, part.x(), part.y(), unsigned(part.width()), unsigned(part.height()),
                            AllPlanes, ZPixmap);
    if (!img) return out;
    out = QImage(part.size(), QImage::Format_RGB32);
    for (int y = 0; y < part.height(); ++y)
      for (int x = 0; x < part.width(); ++x) out.setPixel(x, y, QRgb(XGetPixel(img, x, y)) | 0xff000000u);
    XDestroyImage(img);
    return out;
  }

  // A left click at a point of a window, with the pointer moved there as a person moves it.
  bool Click(Window w, int x, int y) {
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(d_, w, DefaultRootWindow(d_), x, y, &rx, &ry, &child);
    return RunToEnd("xdotool", {"mousemove", QString::number(rx), QString::number(ry), "click", "1"})
               .code == 0;
  }

  void Key(Window w, KeySym key) {
    for (int type : {KeyPress, KeyRelease}) {
      XEvent e{};
      e.xkey.type = type;
      e.xkey.display = d_;
      e.xkey.window = w;
      e.xkey.root = DefaultRootWindow(d_);
      e.xkey.same_screen = True;
      e.xkey.keycode = XKeysymToKeycode(d_, key);
      XSendEvent(d_, w, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
    }
    XFlush(d_);
  }

  // Drags a file onto a point of a window and drops it there (the drag-and-drop protocol of X,
  // with this object as the file manager); true when the window took the drop.
  bool DropFile(Window w, int x, int y, const std::string& path) {
    if (!source_) source_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    uriList_ = QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded().toStdString() + "\r\n";
    XSetSelectionOwner(d_, Intern("XdndSelection"), source_, CurrentTime);
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(d_, w, DefaultRootWindow(d_), x, y, &rx, &ry, &child);

    Send(w, "XdndEnter", {long(source_), 5L << 24, long(Intern("text/uri-list")), 0, 0});
    Send(w, "XdndPosition", {long(source_), 0, (long(rx) << 16) | ry, CurrentTime,
                             long(Intern("XdndActionCopy"))});
    XEvent status{};
    if (!Answer("XdndStatus", status)) return false;
    if (!(status.xclient.data.l[1] & 1)) {
      Send(w, "XdndLeave", {long(source_), 0, 0, 0, 0});
      return false;
    }
    Send(w, "XdndDrop", {long(source_), 0, CurrentTime, 0, 0});
    XEvent finished{};
    return Answer("XdndFinished", finished) && (finished.xclient.data.l[1] & 1);
  }

 private:
  Atom Intern(const char* name) { return XInternAtom(d_, name, False); }

  std::vector<Atom> AtomsOf(Window w, Atom property) {
    std::vector<Atom> out;
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d_, w, property, 0, 32, False, XA_ATOM, &type, &format, &n, &after, &data) ==
            Success && data) {
      for (unsigned long i = 0; i < n; ++i) out.push_back(reinterpret_cast<Atom*>(data)[i]);
      XFree(data);
    }
    return out;
  }

  long PidOf(Window w) {
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(d_, w, Intern("_NET_WM_PID"), 0, 1, False, XA_CARDINAL, &type, &format, &n,
                           &after, &data) == Success && data) {
      if (n) pid = *reinterpret_cast<long*>(data);
      XFree(data);
    }
    return pid;
  }

  std::vector<Window> Collect(Window w, long pid) {
    std::vector<Window> out;
    XWindowAttributes a{};
    if (PidOf(w) == pid && XGetWindowAttributes(d_, w, &a) && a.map_state == IsViewable) {
      out.push_back(w);
      return out;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d_, w, &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count; ++i)
        for (Window found : Collect(children[i], pid)) out.push_back(found);
      if (children) XFree(children);
    }
    return out;
  }

  void Send(Window to, const char* type, std::vector<long> data) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = to;
    e.xclient.message_type = Intern(type);
    e.xclient.format = 32;
    for (size_t i = 0; i < 5; ++i) e.xclient.data.l[i] = data[i];
    XSendEvent(d_, to, False, NoEventMask, &e);
    XFlush(d_);
  }

  // Waits for the drop target's message of that type, handing it the file meanwhile.
  bool Answer(const char* type, XEvent& got) {
    const Atom wanted = Intern(type);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000) {
      while (XPending(d_)) {
        XEvent e;
        XNextEvent(d_, &e);
        if (e.type == SelectionRequest) Hand(e.xselectionrequest);
        if (e.type == ClientMessage && e.xclient.message_type == wanted) {
          got = e;
          return true;
        }
      }
      QThread::msleep(5);
    }
    return false;
  }

  void Hand(const XSelectionRequestEvent& r) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    const Atom property = r.property ? r.property : r.target;
    reply.xselection.property = property;
    if (r.target == Intern("text/uri-list")) {
      XChangeProperty(d_, r.requestor, property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(uriList_.data()), int(uriList_.size()));
    } else if (r.target == Intern("TARGETS")) {
      const Atom targets[] = {Intern("TARGETS"), Intern("text/uri-list")};
      XChangeProperty(d_, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 2);
    } else {
      reply.xselection.property = None;
    }
    XSendEvent(d_, r.requestor, False, NoEventMask, &reply);
    XFlush(d_);
  }

  ::Display* d_;
  Window source_ = 0;
  std::string uriList_;
};

// The process behind a running program file.
std::string ExeOf(long pid) {
  std::error_code ec;
  return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
}

// What a failed wait saw: the program's windows, the processes it started, the files it wrote.
std::string Children(long pid) {
  std::string out;
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::ifstream stat(e.path() / "stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string state;
    long parent = 0;
    if (rest >> state >> parent && parent == pid) out += " " + ExeOf(std::stol(e.path().filename().string())) + " (" + state + ")";
  }
  return out.empty() ? " nothing" : out;
}

using testsupport::screen::HasChildren;

std::string Listing(const std::string& folder) {
  std::string out;
  for (const auto& e : fs::directory_iterator(folder))
    out += " " + e.path().filename().string() + " " + std::to_string(e.is_regular_file() ? e.file_size() : 0);
  return out;
}

class Installed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new TempDir("install");
    // A prefix with a blank and a dollar sign: the entries' commands must keep it whole.
    prefix_ = root_->file("my programs $1");
    installed_ = Install();
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }

  static Ran Install() {
    return RunToEnd(CMakeCommand(), {"--install", FENWO_BUILD_DIR, "--prefix", QString::fromStdString(prefix_)});
  }
  static std::string app(const std::string& name = "") {
    return prefix_ + "/lib/fenwo" + (name.empty() ? "" : "/" + name);
  }
  static std::string entry(const std::string& program) {
    return prefix_ + "/share/applications/" + program + ".desktop";
  }

  // The environment of a desktop session of this test's own: English, and a runtime folder of
  // its own (the converter's single-instance link).
  QProcessEnvironment Session() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const std::string run = scratch_.file("run"), home = scratch_.file("home");
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all);
    fs::create_directories(home);
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run));
    env.insert("HOME", QString::fromStdString(home));
    env.insert("LC_ALL", "C");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("FENWO_ENGINE");
    return env;
  }

  void SetUp() override { ASSERT_EQ(installed_.code, 0) << installed_.out; }

  static TempDir* root_;
  static std::string prefix_;
  static Ran installed_;
  TempDir scratch_{"install-session"};
};

TempDir* Installed::root_ = nullptr;
std::string Installed::prefix_;
Ran Installed::installed_;

TEST_F(Installed, TheProgramFolderIsTheBuildsWithLaunchersEntriesAndIcons) {
  // The program folder: every file of the build's, the same bytes, runnable where it was.
  const auto built = ProgramFiles(testsupport::appDir());
  const auto copied = ProgramFiles(app());
  std::set<std::string> builtNames, copiedNames;
  for (const auto& [name, path] : built) builtNames.insert(name);
  for (const auto& [name, path] : copied) copiedNames.insert(name);
  EXPECT_EQ(copiedNames, builtNames);
  for (const std::string name : {"Fenwo.Zantiro", "Fenwo.Lumtak", "Fenwo.Lumtak.exe", "plugins/FenwoRes1.exe"})
    EXPECT_TRUE(builtNames.count(name)) << name;
  for (const auto& [name, path] : built) {
    if (!copied.count(name)) continue;
    EXPECT_TRUE(testsupport::readFile(copied.at(name)) == testsupport::readFile(path)) << name;
    const auto exec = fs::perms::owner_exec;
    EXPECT_EQ((fs::status(copied.at(name)).permissions() & exec), (fs::status(path).permissions() & exec)) << name;
  }

  for (const std::string& program : kPrograms) {
    SCOPED_TRACE(program);
    // A launcher on the user's command path leads to the program in its folder.
    const fs::path launcher = prefix_ + "/bin/" + program;
    EXPECT_TRUE(fs::is_symlink(launcher));
    EXPECT_EQ(fs::canonical(launcher), fs::canonical(app(program)));

    const Ran valid = RunToEnd("desktop-file-validate", {QString::fromStdString(entry(program))});
    EXPECT_EQ(valid.code, 0) << valid.out;
    EXPECT_EQ(valid.out, "") << "no warnings either";
    auto keys = ReadEntry(entry(program));
    EXPECT_EQ(keys["Name"], program);
    EXPECT_FALSE(keys["Comment"].empty());
    EXPECT_FALSE(keys["Categories"].empty());
    const std::vector<std::string> words = ExecWords(keys["Exec"]);
    ASSERT_FALSE(words.empty()) << keys["Exec"];
    EXPECT_EQ(words[0], app(program)) << keys["Exec"];

    // The icon the entry names, at each size installed.
    EXPECT_EQ(keys["Icon"], program);
    const std::string icons = prefix_ + "/share/icons/hicolor/";
    EXPECT_TRUE(fs::is_regular_file(icons + "scalable/apps/" + program + ".svg"));
    for (int size : {16, 32, 48, 256}) {
      const std::string s = std::to_string(size);
      const QImage icon(QString::fromStdString(icons + s + "x" + s + "/apps/" + program + ".png"));
      EXPECT_EQ(icon.size(), QSize(size, size)) << s;
    }
  }

  // The viewer is offered for the pictures it shows, one file at a time; the converter takes none.
  auto viewer = ReadEntry(entry("Fenwo.Lumtak"));
  EXPECT_EQ(ExecWords(viewer["Exec"]), (std::vector<std::string>{app("Fenwo.Lumtak"), "%f"}));
  std::set<std::string> types;
  std::istringstream list(viewer["MimeType"]);
  for (std::string t; std::getline(list, t, ';');) types.insert(t);
  EXPECT_EQ(types, (std::set<std::string>{"image/gif", "image/png", "image/jpeg", "image/bmp",
                                          "image/vnd.microsoft.icon", "image/wmf"}));
  EXPECT_EQ(ExecWords(ReadEntry(entry("Fenwo.Zantiro"))["Exec"]).size(), 1u);

  // Installing again over a folder the programs have used leaves their settings alone.
  const std::string settings = "MainLeft=120\r\nMainTop=90\r\nLanguage=tw\r\n";
  for (const std::string name : {"Fenwo.Zantiro.ini", "Fenwo.Lumtak.ini"})
    testsupport::writeFile(app(name), settings);
  const Ran again = Install();
  ASSERT_EQ(again.code, 0) << again.out;
  for (const std::string name : {"Fenwo.Zantiro.ini", "Fenwo.Lumtak.ini"}) {
    EXPECT_EQ(testsupport::readFile(app(name)), settings) << name;
    fs::remove(app(name));
  }
}

TEST_F(Installed, ViewerOpenedFromItsEntryShowsThePicture) {
  Display screen;
  ASSERT_TRUE(screen.Open());
  // A picture in a folder with a blank, four coloured quarters of 60 x 45 pixels.
  const std::string folder = scratch_.file("holiday pictures");
  fs::create_directories(folder);
  const std::string picture = folder + "/quarters.png";
  const QRgb quarters[4] = {qRgb(255, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
  QImage img(120, 90, QImage::Format_RGB32);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) img.setPixel(x, y, quarters[(y >= 45) * 2 + (x >= 60)]);
  ASSERT_TRUE(img.save(QString::fromStdString(picture)));

  // Opened as a file manager opens it: the desktop's launcher reads the entry.
  const Ran launched = RunToEnd("gio", {"launch", QString::fromStdString(entry("Fenwo.Lumtak")),
                                        QString::fromStdString(picture)},
                                 Session(), true);
  ASSERT_EQ(launched.code, 0) << launched.out;
  testsupport::ViewerWindow viewer;
  ASSERT_TRUE(viewer.WaitFor(120, 20000)) << viewer.Title() << " " << viewer.Width();
  EXPECT_EQ(ExeOf(viewer.Pid()), app("Fenwo.Lumtak"));

  // On the screen: each quarter whole, in its place, at its size.
  std::string seen;
  const bool shown = WaitUntil([&] {
    const std::vector<Window> windows = screen.Windows(viewer.Pid());
    if (windows.empty()) return false;
    const QImage shot = screen.Shot(windows.front());
    QRect boxes[4];
    int counts[4] = {};
    for (int yy = 0; yy < shot.height(); ++yy)
      for (int xx = 0; xx < shot.width(); ++xx)
        for (int q = 0; q < 4; ++q)
          if (shot.pixel(xx, yy) == quarters[q]) {
            boxes[q] |= QRect(xx, yy, 1, 1);
            ++counts[q];
          }
    std::ostringstream s;
    for (int q = 0; q < 4; ++q)
      s << " [" << boxes[q].x() << "," << boxes[q].y() << " " << boxes[q].width() << "x"
        << boxes[q].height() << " " << counts[q] << "]";
    seen = s.str();
    const QPoint origin = boxes[0].topLeft();
    for (int q = 0; q < 4; ++q)
      if (counts[q] != 60 * 45 || boxes[q] != QRect(origin + QPoint(q % 2 * 60, q / 2 * 45), QSize(60, 45)))
        return false;
    return true;
  }, 20000);
  EXPECT_TRUE(shown) << seen;

  // Its settings and cursor file beside itself in the user's program folder.
  EXPECT_TRUE(fs::exists(app("harrow.cur")));
  viewer.Close();
  ASSERT_TRUE(testsupport::Gone(viewer.Pid(), 20000));
  EXPECT_FALSE(fs::exists(app("harrow.cur")));
  EXPECT_TRUE(fs::exists(app("Fenwo.Lumtak.ini")));
  fs::remove(app("Fenwo.Lumtak.ini"));
}

TEST_F(Installed, ConverterFromItsLauncherConvertsWithTheInstalledEngineAndOpensTheInstalledViewer) {
  Display screen;
  ASSERT_TRUE(screen.Open());
  const std::string folder = scratch_.file("clips");
  fs::create_directories(folder);
  const std::string source = folder + "/anim.gif", target = folder + "/anim_gif2.gif";  // 160 x 120
  fs::copy_file(testsupport::media("anim.gif"), source);

  QProcess converter;
  converter.setProcessEnvironment(Session());
  converter.setProcessChannelMode(QProcess::ForwardedChannels);
  converter.start(QString::fromStdString(prefix_ + "/bin/Fenwo.Zantiro"), {});
  ASSERT_TRUE(converter.waitForStarted());
  const long pid = converter.processId();
  struct Ender {
    QProcess& p;
    long pid;
    ~Ender() {
      if (const std::string death = testsupport::KilledBy(p, pid); !death.empty()) ADD_FAILURE() << death;
      p.kill();
      p.waitForFinished(10000);
    }
  } ender{converter, pid};
  // The settings file is written at start, beside the program reached through the link.
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(app("Fenwo.Zantiro.ini")); }, 20000));

  // The main window alone on the screen (the splash gone), resting.
  const std::string form = "converter/forms/frmMain.txt";
  const Place info = DesignPlace(form, "lblVideoSize"), input = DesignPlace(form, "cmdInput"),
              encode = DesignPlace(form, "cmdEncode");
  Window mainWindow = 0;
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<Window> windows = screen.Windows(pid);
    if (windows.size() != 1 || screen.IsDialog(windows[0])) return false;
    mainWindow = windows[0];
    return screen.Size(mainWindow) == QSize(460, 340);
  }, 30000)) << "the main window; on the screen:" << screen.Describe(pid);
  // It may still be coming in when the splash goes: its notes are taken once it stands still.
  ASSERT_TRUE(screen.Rest(mainWindow, QRect(), 30000)) << "the main window stands still";
  const QRect infoRect(info.left, info.top, info.width, info.height);
  const QImage before = screen.Shot(mainWindow, infoRect);

  // A GIF dropped on the source button is probed a moment later: its size and length replace the
  // notes once the engine has ended. Encode Now waits for that (pressed before, it finds no source
  // and says so, and the dropped file is then never probed).
  ASSERT_TRUE(screen.DropFile(mainWindow, input.cx(), input.cy(), source)) << "the source button takes the drop";
  auto probed = [&] {
    return screen.Shot(mainWindow, infoRect) != before && !HasChildren(pid) && screen.Rest(mainWindow, infoRect, 2000) &&
           !HasChildren(pid);
  };
  ASSERT_TRUE(WaitUntil(probed, 60000)) << "the probe ends; on the screen:" << screen.Describe(pid)
                                        << "; running under it:" << Children(pid);

  // Encode Now once: the confirmation comes, the only box then; OK starts the engine on the GIF.
  auto dialog = [&](Window other) {
    for (Window w : screen.Windows(pid))
      if (w != other && screen.IsDialog(w)) return w;
    return Window(0);
  };
  ASSERT_TRUE(screen.Click(mainWindow, encode.cx(), encode.cy())) << "xdotool";
  Window confirm = 0;
  ASSERT_TRUE(WaitUntil([&] { return (confirm = dialog(0)) != 0; }, 30000))
      << "the confirmation of Encode Now; on the screen:" << screen.Describe(pid) << "; running under it:" << Children(pid);
  // Return until the box goes: a key sent before a new box can take it is lost.
  auto shown = [&](Window box) {
    const std::vector<Window> now = screen.Windows(pid);
    return std::find(now.begin(), now.end(), box) != now.end();
  };
  auto answer = [&](Window box) {
    for (int tries = 0; tries < 20 && shown(box); ++tries) {
      screen.Key(box, XK_Return);
      WaitUntil([&] { return !shown(box); }, 1000);
    }
    return !shown(box);
  };
  const QSize confirmSize = screen.Size(confirm);
  ASSERT_TRUE(answer(confirm)) << "the confirmation takes OK";
  // The box answered was the confirmation when the run begins: the engine's work file beside the
  // target, or (a short run) the result already.
  auto working = [&] {
    for (const auto& e : fs::directory_iterator(folder))
      if (e.path().filename().string().rfind(".fenwo-", 0) == 0) return true;
    return dialog(0) != 0 || fs::exists(target);
  };
  ASSERT_TRUE(WaitUntil(working, 30000)) << "the box answered (" << confirmSize.width() << "x" << confirmSize.height()
                                         << ") starts no run; on the screen:" << screen.Describe(pid)
                                         << "; in the folder:" << Listing(folder);

  // The run ends with the result message; its OK plays the GIF in the viewer.
  Window result = 0;
  ASSERT_TRUE(WaitUntil([&] { return (result = dialog(confirm)) != 0; }, 120000))
      << "the result message; on the screen:" << screen.Describe(pid) << "; running under it:" << Children(pid)
      << "; in the folder:" << Listing(folder);
  EXPECT_GT(fs::exists(target) ? fs::file_size(target) : 0, 0u) << "the GIF made by the installed engine";
  ASSERT_TRUE(answer(result)) << "the result message takes OK";

  testsupport::ViewerWindow viewer;
  ASSERT_TRUE(viewer.WaitFor(160, 20000)) << viewer.Title() << " " << viewer.Width();
  EXPECT_EQ(ExeOf(viewer.Pid()), app("Fenwo.Lumtak.exe")) << "the viewer beside the converter";
  viewer.Close();
  EXPECT_TRUE(testsupport::Gone(viewer.Pid(), 20000));
  for (const std::string name : {"Fenwo.Zantiro.ini", "Fenwo.Lumtak.ini"}) fs::remove(app(name));
}

}  // namespace
