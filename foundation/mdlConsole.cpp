#include "foundation/mdlConsole.h"

#include <vector>

#include "foundation/mdlFenwoZantiro.h"
#include "platform/process.h"
#include "platform/procscan.h"
#include "platform/x11window.h"
#include "runtime/events.h"

namespace mdlConsole {
namespace {

constexpr win::DWORD kOutBufSize = 32767;
constexpr win::DWORD kExitKilled = 3838;

win::HANDLE hStdInRead = 0;
win::HANDLE hStdInWrite = 0;
win::HANDLE hStdInWriteDup = 0;
win::HANDLE hStdOutRead = 0;
win::HANDLE hStdOutWrite = 0;
win::HANDLE hStdOutReadDup = 0;
win::PROCESS_INFORMATION EngineProc;
std::vector<char> OutBuf(kOutBufSize, '\0');
// The engine told that its video output draws the colours itself (OpenGL): it can redraw a
// paused frame in new colours.
bool RedrawsPaused = false;
win::x11::Window hWndEngine = 0;

Preview* preview = nullptr;

void closeAndClear(win::HANDLE& h) {
  if (h) win::CloseHandle(h);
  h = 0;
}

std::string playState() { return preview ? preview->PlayState() : std::string(); }

void stopPreview() {
  if (preview) preview->setStop(true, false);
  else KillEngine();  // no preview window: at least end the engine it would have ended
}

}  // namespace

void SetPreview(Preview* p) { preview = p; }

int32_t RunHidden(const std::string& commandLine, bool showWindow) {
  if (mdlFenwoZantiro::ShowConsole) showWindow = true;
  RedrawsPaused = false;
  win::SECURITY_ATTRIBUTES sa;
  sa.nLength = 12;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = 1;

  if (!win::CreatePipe(&hStdInRead, &hStdInWrite, &sa, 1024)) return 1;
  if (!win::CreatePipe(&hStdOutRead, &hStdOutWrite, &sa, kOutBufSize)) {
    closeAndClear(hStdInRead);
    closeAndClear(hStdInWrite);
    return 2;
  }
  const win::HANDLE self = win::GetCurrentProcess();
  if (!win::DuplicateHandle(self, hStdInWrite, self, &hStdInWriteDup, 0, 1, win::DUPLICATE_SAME_ACCESS)) {
    closeAndClear(hStdInRead);
    closeAndClear(hStdInWrite);
    closeAndClear(hStdOutRead);
    closeAndClear(hStdOutWrite);
    return 4;
  }
  closeAndClear(hStdInWrite);
  if (!win::DuplicateHandle(self, hStdOutRead, self, &hStdOutReadDup, 0, 1, win::DUPLICATE_SAME_ACCESS)) {
    closeAndClear(hStdInRead);
    closeAndClear(hStdInWriteDup);
    closeAndClear(hStdOutRead);
    closeAndClear(hStdOutWrite);
    return 3;
  }
  closeAndClear(hStdOutRead);

  win::STARTUPINFOA si;
  si.cb = 68;
  si.dwFlags = win::STARTF_USESTDHANDLES | win::STARTF_USESHOWWINDOW;
  si.wShowWindow = showWindow ? win::SW_SHOWNORMAL : win::SW_HIDE;
  si.hStdInput = hStdInRead;
  si.hStdOutput = hStdOutWrite;
  si.hStdError = hStdOutWrite;
  EngineProc = {};
  // The parent's current folder: the preview makes the source's folder current first, because
  // the engine writes its screenshots there.
  if (win::CreateProcessA(nullptr, commandLine, &sa, &sa, 1, win::NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                          &si, &EngineProc) != 1) {
    closeAndClear(hStdInRead);
    closeAndClear(hStdInWriteDup);
    closeAndClear(hStdOutReadDup);
    closeAndClear(hStdOutWrite);
    EngineProc = {};
    return 5;
  }
  OutBuf.assign(kOutBufSize, '\0');
  return 0;
}

int32_t SendCommand(const std::string& command) {
  std::string line = command;
  if (playState() == "Pause" && command != "frame_step" && command != "pause") {
    // The engine shows one more frame after a "pausing " command. A question or a volume step
    // leaves nothing to show, so the paused picture stays as it is; after a colour step an
    // output that draws the colours itself is asked to fit its picture again, which redraws the
    // same frame in the new colours (other outputs colour only the next frame).
    auto starts = [&](const char* word) { return command.rfind(word, 0) == 0; };
    const bool colour =
        RedrawsPaused && (starts("brightness ") || starts("contrast ") || starts("hue ") || starts("saturation "));
    const bool leavesThePicture = colour || starts("volume ") || starts("get_property ");
    line = (leavesThePicture ? "pausing_keep_force " : "pausing ") + command;
    if (colour) line += "\npausing_keep_force panscan 0 1";
  }
  line += '\n';
  win::DWORD written = 0;
  if (!win::WriteFile(hStdInWriteDup, line.data(), static_cast<win::DWORD>(line.size()), &written, nullptr))
    written = 0;
  return written == 0 ? 3 : 0;
}

int32_t ReadOutput(std::string& output) {
  output.clear();
  win::DWORD waiting = 0;
  if (!win::PeekNamedPipe(hStdOutReadDup, nullptr, 0, nullptr, &waiting, nullptr)) {
    stopPreview();
    return 1;
  }
  if (waiting == 0) {
    if (!IsRunning()) stopPreview();
    return 2;
  }
  if (waiting > kOutBufSize) {
    stopPreview();
    return 0;
  }
  win::DWORD got = 0;
  if (!win::ReadFile(hStdOutReadDup, OutBuf.data(), waiting, &got, nullptr)) {
    stopPreview();
    return 3;
  }
  output = win::ConsoleText(OutBuf.data(), got);
  if (!RedrawsPaused && output.find("VO: [gl]") != std::string::npos) RedrawsPaused = true;
  return got < waiting ? 4 : 0;
}

bool IsRunning() {
  win::DWORD code = 0;
  return win::GetExitCodeProcess(EngineProc.hProcess, &code) && code == win::STILL_ACTIVE;
}

void KillEngine() {
  // Taken out of the module state first: the events let run below may start or end a run.
  const win::x11::Window window = hWndEngine;
  win::PROCESS_INFORMATION proc = EngineProc;
  win::HANDLE ends[] = {hStdInRead, hStdInWriteDup, hStdOutReadDup, hStdOutWrite};
  hWndEngine = 0;
  EngineProc = {};
  hStdInRead = hStdInWriteDup = hStdOutReadDup = hStdOutWrite = 0;

  if (window) {
    win::x11::PostClose(window);
    vb::DoEvents();
  }
  if (proc.hProcess) win::TerminateProcess(proc.hProcess, kExitKilled);
  vb::DoEvents();
  closeAndClear(proc.hThread);
  closeAndClear(proc.hProcess);
  for (win::HANDLE& h : ends) closeAndClear(h);
  vb::DoEvents();
}

void FindEngineWindow() {
  if (const win::x11::Window w = win::x11::FindProcessWindow(static_cast<int>(EngineProc.dwProcessId)))
    hWndEngine = w;
}

void SetEngineTitle(const std::string& title) {
  FindEngineWindow();
  if (hWndEngine) win::x11::SetWindowTitle(hWndEngine, title);
}

void KillByModulePath(const std::string& pathText) {
  if (pathText.empty()) return;
  for (win::FoundProcess& p : win::FindProcessesByPath(pathText)) {
    p.RequestClose();
    vb::DoEvents();
    p.Terminate();
  }
}

}  // namespace mdlConsole
