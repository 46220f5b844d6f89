#include "runtime/shell.h"

#include "platform/process.h"

namespace vb {
namespace {
ShellHook& hook() {
  static ShellHook h;
  return h;
}
}  // namespace

double Shell(const std::string& commandLine, int windowStyle) {
  if (hook()) return hook()(commandLine, windowStyle);
  win::STARTUPINFOA si;
  win::PROCESS_INFORMATION pi;
  if (!win::CreateProcessA(nullptr, commandLine, nullptr, nullptr, 0, win::NORMAL_PRIORITY_CLASS, nullptr,
                           nullptr, &si, &pi))
    return 0;
  // The program runs on by itself; it is reaped when it ends.
  win::CloseHandle(pi.hThread);
  win::CloseHandle(pi.hProcess);
  return pi.dwProcessId;
}

void SetShellHook(ShellHook hook_) { hook() = std::move(hook_); }

}  // namespace vb
