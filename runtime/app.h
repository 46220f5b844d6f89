// The running program: its folder, title and executable name.
#pragma once
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
