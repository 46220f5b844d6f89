// labels: engine
// libs: fenwo_converter
// GIF conversions at full speed write the very GIF the engine writes in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "converter/ConversionCommand.h"
#include "platform/process.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using namespace win;

// Runs a command line to its end in folder, its output to nowhere.
void runToEnd(const std::string& line, const std::string& folder) {
  STARTUPINFOA si;
  si.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION pi;
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, 0, 0, nullptr, folder.c_str(), &si, &pi)) << line;
  DWORD code = STILL_ACTIVE;
  while (GetExitCodeProcess(pi.hProcess, &code) && code == STILL_ACTIVE) WaitForPipeOrExit(0, pi.hProcess, 100);
  CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
}

struct Case {
  const char* name;
  std::string source;  // a file of the test media, or a picture folder of it
  std::string mask;    // the picture folder's mask, "" for a file
  float scopeStart, scopeEnd;
  int32_t frameCount;
};

TEST(GifAtFullSpeed, EachGifTemplateWritesTheBytesOfTheRealTimeRun) {
  const Case cases[] = {
      {"video with range", "clip.avi", "", 1, 2.5f, 0},
      {"video", "clip.avi", "", 0, 0, 0},
      {"GIF", "anim.gif", "", 0, 0, 0},
      {"picture folder", "pictures/png", "*.png", 0, 0, 5},
      {"GIF folder", "pictures/gif", "*.gif", 0, 0, 5},
  };
  for (const Case& c : cases) {
    testsupport::TempDir dir("gifspeed");
    const fs::path in = dir.file("in");
    fs::create_directories(in);
    if (c.mask.empty()) {
      fs::copy_file(testsupport::media(c.source), in / fs::path(c.source).filename());
    } else {
      for (const auto& e : fs::directory_iterator(testsupport::media(c.source))) fs::copy_file(e.path(), in / e.path().filename());
    }
    zantiro::EncodeJob job;
    job.engine = testsupport::enginePath();
    job.source = c.mask.empty() ? (in / fs::path(c.source).filename()).string() : (in / c.mask).string();
    job.target = dir.file("full.gif");
    job.kind = "gif";
    job.videoFps = 25;
    job.videoLength = 4;
    job.scopeStart = c.scopeStart;
    job.scopeEnd = c.scopeEnd;
    job.frameCount = c.frameCount;
    job.outFps = 5;
    job.outWidth = 160;
    job.outHeight = 120;
    zantiro::CountFrames(job);
    float outLength = 0;
    const std::string line = zantiro::EncodeCommandLine(job, outLength);
    ASSERT_NE(line.find(" -vo gif89a:"), std::string::npos) << line;
    runToEnd(line, in.string());

    // The real engine alone with the same options paces itself; a wildcard of the current folder
    // is the shim's to expand, so it is written out here.
    std::string options = line.substr(job.engine.size());
    options.replace(options.find(job.target), job.target.size(), dir.file("real.gif"));
    if (const size_t star = options.find(" *.gif"); star != std::string::npos) {
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator(in)) names.push_back(e.path().filename().string());
      std::sort(names.begin(), names.end());
      std::string list;
      for (const std::string& n : names) list += " " + n;
      options.replace(star, 6, list);
    }
    runToEnd("mplayer" + options, in.string());

    const std::string full = testsupport::readFile(dir.file("full.gif")), real = testsupport::readFile(dir.file("real.gif"));
    EXPECT_GT(full.size(), 1000u) << c.name << ": " << line;
    EXPECT_EQ(full.size(), real.size()) << c.name;
    EXPECT_TRUE(full == real) << c.name << ": " << line;
  }
}

}  // namespace
