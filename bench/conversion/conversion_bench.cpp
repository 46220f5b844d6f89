// A 10-second video to GIF from the main window: the time from pressing Encode Now to the
// result message, against the same engine command run alone (its output thrown away, nothing
// read), as a ratio. The window's questions are answered at once.
//   bench_conversion [clip] [rounds]     (default: tests/media/sparse-keys.avi, 3 rounds)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/ConversionCommand.h"
#include "converter/SourceProbe.h"
#include "converter/frmMain.h"
#include "foundation/mdlFenwoZantiro.h"
#include "platform/comdlg_hook.h"
#include "platform/process.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The engine command alone: started, its output to nowhere, waited for.
double engineAlone(const std::string& commandLine) {
  const auto t0 = Clock::now();
  win::STARTUPINFOA si;
  si.dwFlags = win::STARTF_USESTDHANDLES;
  win::PROCESS_INFORMATION pi;
  if (!win::CreateProcessA(nullptr, commandLine, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi)) return 0;
  win::DWORD code = win::STILL_ACTIVE;
  while (win::GetExitCodeProcess(pi.hProcess, &code) && code == win::STILL_ACTIVE)
    win::WaitForPipeOrExit(0, pi.hProcess, 100);
  win::CloseHandle(pi.hProcess);
  if (pi.hThread) win::CloseHandle(pi.hThread);
  return seconds(t0, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string media = argc > 1 ? argv[1] : FENWO_MEDIA "/sparse-keys.avi";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "fenwo-bench-conversion";
  fs::create_directories(dir);
  const std::string clip = (dir / fs::path(media).filename()).string();
  fs::copy_file(media, clip, fs::copy_options::overwrite_existing);
  // A program folder of its own (start-up ends the engines of its plug-ins folder), and an
  // instance link apart from a running program's.
  const fs::path appDir = dir / "app";
  fs::create_directories(appDir / "plugins");
  fs::remove(appDir / "plugins" / "FenwoRes1.exe");
  fs::create_symlink(FENWO_APPDIR "/plugins/FenwoRes1.exe", appDir / "plugins" / "FenwoRes1.exe");
  vb::App::SetPathForTests(appDir.string());
  const fs::path run = dir / "run";
  fs::create_directories(run);
  fs::permissions(run, fs::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
  setenv("LC_ALL", "C", 1);

  Clock::time_point resultShown;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    // The confirmation is answered OK; the result message (which offers the viewer) Cancel.
    if (c.prompt.find("Encoding successful") != std::string::npos || c.prompt.find("failed") != std::string::npos) {
      resultShown = Clock::now();
      return vb::BoxAnswer{vb::vbCancel, ""};
    }
    return vb::BoxAnswer{vb::vbOK, ""};
  });
  win::SetDialogHook([&](QFileDialog&) { return win::DialogAnswer{true, {clip}, 0}; });

  zantiro::frmMain& w = zantiro::frmMain::Default();
  w.Show();
  w.ChangeLanguage("en");
  w.mnuSrcIsFileTo(0).Click();
  using namespace mdlFenwoZantiro;
  std::printf("source: %s, %g s at %g fps, %d x %d\n", clip.c_str(), VideoLength, VideoFps, VideoWidth, VideoHeight);
  const std::string target = w.lblOutput.Caption();

  zantiro::EncodeJob job;
  job.engine = zantiro::EnginePath();
  job.source = clip;
  job.target = target;
  job.kind = "gif";
  job.videoFps = VideoFps;
  job.videoLength = VideoLength;
  job.outFps = OutFps;
  job.outWidth = OutWidth;
  job.outHeight = OutHeight;
  float outLength = 0;
  const std::string line = zantiro::EncodeCommandLine(job, outLength);
  std::printf("engine: %s\n", line.c_str());

  std::vector<double> ratios;
  for (int r = 1; r <= rounds; ++r) {
    fs::remove(target);
    const double alone = engineAlone(line);
    fs::remove(target);
    const auto pressed = Clock::now();
    w.cmdEncode(0).Click();
    const double window = seconds(pressed, resultShown);
    ratios.push_back(window / alone);
    std::printf("round %d: Encode Now to result message %.3f s, engine alone %.3f s, ratio %.3f\n", r, window, alone,
                window / alone);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("median ratio (goal at most 1.05): %.3f\n", ratios[ratios.size() / 2]);
  vb::SetBoxHook(nullptr);
  win::SetDialogHook(nullptr);
  zantiro::frmMain::Release();
  // The folder stays: the instance lock inside it goes with the program.
  fs::remove(target);
  fs::remove(clip);
  return 0;
}
