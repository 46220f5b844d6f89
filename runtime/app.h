// The running program: its start-up, folder, title and executable name.
#pragma once
#include <memory>
#include <string>

namespace vb::App {

// Folder of the running executable, without a trailing "/".
std::string Path();
// Program title (message box captions); set once at start-up.
std::string Title();
void SetTitle(const std::string& title);
// Executable name without its folder.
std::string EXEName();
// Whether another instance of this program (same executable name, same user) is running.
// The answer is taken at the first call and kept.
bool PrevInstance();

// Test seam: make Path() answer another folder ("" restores the real one).
void SetPathForTests(const std::string& folder);

}  // namespace vb::App

namespace vb {

// The program's start-up: makes the application object, on an X display by default (the
// engine draws into X windows, and the window manager lets windows place themselves there;
// XWayland on a Wayland desktop), and sets the title. Make one in main before any window,
// then show the first window and call vb::Run.
class Program {
 public:
  Program(int& argc, char** argv, const std::string& title);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vb
