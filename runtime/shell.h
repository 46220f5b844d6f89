// The runtime's Shell: starts a program with a command line and does not wait for it.
#pragma once
#include <functional>
#include <string>

namespace vb {

// Window styles of a started program (there are no console windows here: they only matter to
// the program itself).
enum : int { vbHide = 0, vbNormalFocus = 1, vbMinimizedFocus = 2, vbMaximizedFocus = 3,
             vbNormalNoFocus = 4, vbMinimizedNoFocus = 6 };

// Starts the program named first on the command line (split as the Windows rules split it,
// without a shell). Returns its process id, 0 when it could not be started.
double Shell(const std::string& commandLine, int windowStyle = vbMinimizedFocus);

// Test seam: while set, the hook gets the command line and style instead, and its answer is
// returned (an empty hook restores the real start).
using ShellHook = std::function<double(const std::string& commandLine, int windowStyle)>;
void SetShellHook(ShellHook hook);

}  // namespace vb
