// What a user sees: the real programs started from a program folder of their own on the test's X
// display, driven with real input (xdotool), their windows found on the display by title, and the
// pixels that reach the screen (the root window's, whatever window drew them).
//
// Grab the screen with Screen()/Area(), never with xwd: xwd rebuilds the picture window by window
// and drops a window of ours that lies wholly inside another one (it shows black there).
#pragma once
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport::screen {

// ---- the screen's pixels ----

// The whole screen as it is now.
QImage Screen();
// A part of the screen (clipped to it).
QImage Area(const QRect& r);
// The share (0..1) of the picture's pixels for which the test holds.
double Share(const QImage& img, const std::function<bool(QRgb)>& test);
// Pixels whose three channels are all below 16.
double BlackShare(const QImage& img);
// The mean of the three channels over the picture, 0..255.
double Mean(const QImage& img);
// Pixels within tolerance of a colour (0xRRGGBB) on every channel.
double ColourShare(const QImage& img, QRgb colour, int tolerance = 12);
// Waits until that part of the screen no longer shows the picture (something opened over it).
bool WaitForChange(const QRect& r, const QImage& before, int ms = 15000);
// Saves a picture for a failure message; answers the path.
std::string Keep(const QImage& img, const std::string& name);

// ---- windows on the display ----

struct Window {
  unsigned long id = 0;
  QRect rect;  // the client area on the screen
};
// The visible top-level windows whose title matches the regular expression, with their place.
std::vector<Window> Windows(const QString& titleRegex);
// Where a window's client area lies on the screen now.
QRect Place(unsigned long id);
// The first visible window of that title and size (an empty size matches any), or an id of 0.
Window Find(const QString& titleRegex, QSize size = {});
// Waits until that window is visible; an id of 0 when it did not come within ms.
Window WaitForWindow(const QString& titleRegex, QSize size = {}, int ms = 15000);
// Waits (handling the test's own events) until done() holds or ms have passed; fails the test
// and gives up at once when a process crashed meanwhile.
bool WaitUntil(const std::function<bool()>& done, int ms = 15000);
// The menus a process shows now (its visible override-redirect windows), the newest last.
std::vector<Window> MenusOf(long pid);
// Waits until the process shows count menus, the newest painted and standing still: then it
// takes keys. An id of 0 when it did not come within ms.
Window WaitForMenu(long pid, size_t count = 1, int ms = 15000);
// Waits until that part of the screen shows the same picture on so many looks in a row, one
// every everyMs.
bool WaitForRest(const QRect& r, int ms = 15000, int looks = 5, int everyMs = 50);
// The process that shows the window (0 when unknown), and whether a process has children now
// (the engine at work).
long OwnerOf(unsigned long id);
bool HasChildren(long pid);
// Every visible window on the display, for failure messages: title, process, place, and
// "menu" for an override-redirect one.
std::string OnScreen();

// ---- real input ----

// Runs xdotool with these words; false when it failed.
bool Xdo(const QStringList& words);
// A click of a button at a point of the screen.
bool ClickAt(QPoint p, int button = 1);
// Keys by their X names ("Down", "Return", "alt+F4").
bool Keys(const QStringList& keys);

// ---- the desktop around the programs ----

// A compositing manager (xcompmgr) on the display for as long as the object lives.
class Compositor {
 public:
  Compositor() = default;
  ~Compositor();
  Compositor(const Compositor&) = delete;
  Compositor& operator=(const Compositor&) = delete;
  // False (with the reason) when xcompmgr is missing or did not take the screen.
  bool Start(std::string& why);

 private:
  QProcess p_;
};
// Whether a compositing manager owns the screen.
bool Composited();

// ---- the real programs ----

// One of the built programs, copied with its engine into a program folder of its own (its
// settings file lives there) and run on the test's display with a session of its own, so that
// no other instance on the machine counts as its previous one.
class Program {
 public:
  // exe: "Fenwo.Zantiro" or "Fenwo.Lumtak".
  explicit Program(const std::string& exe);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  // The program folder, to put a settings file or other files in before Start.
  const std::string& Folder() const { return folder_; }
  // Writes the settings file (lines joined by CR LF, as the program writes them).
  void Settings(const std::vector<std::string>& lines);
  bool Start(const QStringList& args = {});
  // Runs in the started program's process just before it becomes the program (after fork).
  void BeforeExec(const std::function<void()>& f);
  bool Running() const;
  // The program's process id (0 before Start).
  long Pid() const;
  // What the program wrote, for failure messages.
  std::string Output();
  // How it died when a signal the test did not send ended it, once ("" otherwise). A death that
  // nobody asked to look at fails the test when the object goes.
  std::string Death();

 private:
  std::string exe_, root_, folder_;
  QProcess p_;
  qint64 pid_ = 0;
  bool told_ = false;
};

}  // namespace testsupport::screen
