// A 10-second 640x360 25 fps clip to GIF from the main window: the time from pressing Encode Now
// to the result message, against the same engine command run alone (its output thrown away,
// nothing read) in real time and at full speed, and against ffmpeg's two-pass palette GIF of the
// same clip at the same size and frame rate. Also our own CPU time during Encode Now. The clip is
// made with ffmpeg in a temporary folder; the window's questions are answered at once.
//   bench_conversion [rounds]     (default 3; the figures are the medians)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "converter/ConversionCommand.h"
#include "converter/SourceProbe.h"
#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
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
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "fenwo-bench-conversion";
  fs::create_directories(dir);
  const std::string clip = (dir / "clip640.avi").string();
  fs::remove(clip);
  if (engineAlone("ffmpeg -v error -y -f lavfi -i testsrc2=size=640x360:rate=25:duration=10 -c:v mpeg4 -q:v 3 \"" +
                  clip + "\"") <= 0 ||
      !fs::exists(clip)) {
    std::fprintf(stderr, "ffmpeg could not make the clip\n");
    return 1;
  }
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

  // The real engine with the same options: in real time as the shim used to run it, and at
  // full speed as the shim runs it now.
  const std::string options = line.substr(line.find(' '));
  const std::string realTime = "mplayer" + options, fullSpeed = "mplayer" + options + " -benchmark";
  const std::string palette = (dir / "palette.png").string(), ffGif = (dir / "ffmpeg.gif").string();
  const std::string filters = "fps=" + std::to_string(OutFps) + ",scale=" + std::to_string(OutWidth) + ":" +
                              std::to_string(OutHeight) + ":flags=bicubic";
  const std::string pass1 = "ffmpeg -v error -y -i \"" + clip + "\" -vf \"" + filters + ",palettegen\" \"" + palette + "\"";
  const std::string pass2 = "ffmpeg -v error -y -i \"" + clip + "\" -i \"" + palette + "\" -lavfi \"" + filters +
                            "[x];[x][1:v]paletteuse\" \"" + ffGif + "\"";

  std::vector<double> window, cpu, real, bench, ffmpeg;
  for (int r = 1; r <= rounds; ++r) {
    fs::remove(target);
    real.push_back(engineAlone(realTime));
    fs::remove(target);
    bench.push_back(engineAlone(fullSpeed));
    ffmpeg.push_back(engineAlone(pass1) + engineAlone(pass2));
    fs::remove(target);
    rusage u0{}, u1{};
    getrusage(RUSAGE_SELF, &u0);
    const auto pressed = Clock::now();
    w.cmdEncode(0).Click();
    window.push_back(seconds(pressed, resultShown));
    getrusage(RUSAGE_SELF, &u1);
    const auto us = [](const rusage& u) {
      return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    cpu.push_back((us(u1) - us(u0)) / window.back());
    std::printf("round %d: Encode Now %.3f s (our CPU %.1f %%), engine real time %.3f s, engine -benchmark %.3f s, "
                "ffmpeg two-pass %.3f s\n",
                r, window.back(), 100 * cpu.back(), real.back(), bench.back(), ffmpeg.back());
  }
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double e = median(window), b = median(bench), f = median(ffmpeg);
  std::printf("median: Encode Now %.3f s, engine real time %.3f s, engine -benchmark %.3f s, ffmpeg %.3f s\n", e,
              median(real), b, f);
  std::printf("Encode Now / ffmpeg %.3f (goal at most 0.5), Encode Now / engine -benchmark %.3f (goal at most 1.1), "
              "our CPU %.1f %% of Encode Now (goal at most 10)\n",
              e / f, e / b, 100 * median(cpu));
  std::fflush(stdout);
  vb::SetBoxHook(nullptr);
  win::SetDialogHook(nullptr);
  // Every window goes while the application is still there.
  zantiro::frmOptions::Release();
  zantiro::frmSplash::Release();
  zantiro::frmMain::Release();
  // The folder stays: the instance lock inside it goes with the program.
  for (const std::string& file : {target, clip, palette, ffGif}) fs::remove(file);
  return 0;
}
