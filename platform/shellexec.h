// Opening a document, a web address or a "mailto:" address with the desktop's default
// handler, as the shell's "open" verb does.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/window.h"

namespace win {

// verb "open" (or empty) on a file path, a web address or "mailto:..."; a path is opened with
// the program the desktop associates with it. The owner and show command are accepted and not
// needed here. Answers 42 when the handler was asked, 2 (file not found) for a missing file,
// 31 (no association) when the desktop could not open it, as the system call answers.
std::intptr_t ShellExecuteA(HWND owner, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& directory, int showCommand);

// Test seam: while set, the hook gets the verb and file instead and its answer is returned
// (an empty hook restores the real handler).
using ShellExecuteHook = std::function<std::intptr_t(const std::string& verb, const std::string& file)>;
void SetShellExecuteHook(ShellExecuteHook hook);

}  // namespace win
