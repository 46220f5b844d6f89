// A real GIF conversion through RunEncode, against the same engine command read by a plain
// reader (blocking reads of 64 KiB until the pipe ends). Prints the wall time of both, their
// ratio, and the CPU time this process spent during each run; and, for the amount of output
// the same loop takes in, one GetCmdOutput run of the command.
//   bench_runner [clip] [rounds]     (default: tests/media/sparse-keys.avi, 2 rounds)
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/mdlGetCmdOutput.h"
#include "platform/process.h"

namespace {

struct Figures {
  double wall = 0;
  double cpu = 0;  // this process only, not the engine
  double bytes = 0;
};

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template <class Run>
Figures measure(Run run) {
  const double cpu0 = cpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  Figures f;
  f.bytes = run();
  f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  f.cpu = cpuSeconds() - cpu0;
  return f;
}

double plainReader(const std::string& commandLine) {
  win::SECURITY_ATTRIBUTES sa;
  sa.bInheritHandle = 1;
  win::HANDLE readEnd = 0, writeEnd = 0;
  win::CreatePipe(&readEnd, &writeEnd, &sa, 65536);
  win::STARTUPINFOA si;
  si.dwFlags = win::STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = writeEnd;
  win::PROCESS_INFORMATION pi;
  win::CreateProcessA(nullptr, commandLine, &sa, &sa, 1, 0, nullptr, nullptr, &si, &pi);
  win::CloseHandle(writeEnd);
  std::vector<char> buf(65536);
  double total = 0;
  win::DWORD got = 0;
  while (win::ReadFile(readEnd, buf.data(), 65536, &got, nullptr)) total += got;
  win::DWORD code = win::STILL_ACTIVE;
  while (win::GetExitCodeProcess(pi.hProcess, &code) && code == win::STILL_ACTIVE)
    win::WaitForPipeOrExit(0, pi.hProcess, 100);
  for (win::HANDLE h : {readEnd, pi.hProcess, pi.hThread})
    if (h) win::CloseHandle(h);
  return total;
}

struct Window : mdlGetCmdOutput::ProgressWindow {
  int notes = 0;
  void setProgressNote(float) override { ++notes; }
  std::string ProgressCaption() override { return ""; }
  void SetProgressCaption(const std::string&) override {}
  std::string InputCaption() override { return ""; }
  void SetEncodeButtonVisible(int, bool) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string clip = argc > 1 ? argv[1] : FENWO_MEDIA "/sparse-keys.avi";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 2;
  const std::string out = (std::filesystem::temp_directory_path() / "fenwo-bench-runner.gif").string();
  const std::string line = std::string(FENWO_APPDIR) + "/plugins/FenwoRes1.exe -nosound -vo gif89a:fps=5:output=\"" +
                           out + "\" -vf-add scale=160:120 \"" + clip + "\" -fps 25";
  Window window;
  mdlGetCmdOutput::SetProgressWindow(&window);

  std::printf("engine: %s\n", line.c_str());
  for (int r = 1; r <= rounds; ++r) {
    const Figures plain = measure([&] { return plainReader(line); });
    std::filesystem::remove(out);
    const Figures ours = measure([&] {
      std::string l = line;
      bool show = false;
      mdlGetCmdOutput::RunEncode(l, 0, 10, show);
      return 0.0;
    });
    std::filesystem::remove(out);
    const Figures collected = measure([&] {
      std::string l = line;
      return static_cast<double>(mdlGetCmdOutput::GetCmdOutput(l, false).size());
    });
    std::filesystem::remove(out);
    std::printf("round %d: plain reader %.2f s wall, %.2f s CPU, %.1f MB read\n", r, plain.wall, plain.cpu,
                plain.bytes / 1e6);
    std::printf("round %d: RunEncode    %.2f s wall, %.2f s CPU (%.1f %% of wall), %d progress notes\n", r,
                ours.wall, ours.cpu, 100 * ours.cpu / ours.wall, window.notes);
    std::printf("round %d: GetCmdOutput %.2f s wall, %.2f s CPU, %.1f MB read (lines end in CR LF)\n", r,
                collected.wall, collected.cpu, collected.bytes / 1e6);
    std::printf("round %d: wall-time ratio RunEncode / plain = %.3f\n", r, ours.wall / plain.wall);
    window.notes = 0;
  }
  mdlGetCmdOutput::SetProgressWindow(nullptr);
  return 0;
}
