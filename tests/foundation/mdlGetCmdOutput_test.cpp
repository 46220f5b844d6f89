// labels: engine
// The engine runner with the real engine through the shim, and with small scripts that play an
// engine that misbehaves.
#include "foundation/mdlGetCmdOutput.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QImageReader>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "foundation/mdlFenwoZantiro.h"
#include "platform/cmdline.h"
#include "platform/process.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using mdlFenwoZantiro::LngText;
using Clock = std::chrono::steady_clock;

const std::string Q = "\"";

// The main window at the runner's seam: what the runner shows and which buttons it shows.
struct TestWindow : mdlGetCmdOutput::ProgressWindow {
  std::vector<float> notes;
  std::string progress;
  std::string input = "/clips/a.avi";
  bool encodeVisible[2] = {false, true};
  void setProgressNote(float value) override {
    notes.push_back(value);
    progress = LngText[9] + vb::CStr(value) + " %";
  }
  std::string ProgressCaption() override { return progress; }
  void SetProgressCaption(const std::string& caption) override { progress = caption; }
  std::string InputCaption() override { return input; }
  void SetEncodeButtonVisible(int index, bool visible) override { encodeVisible[index] = visible; }
};

// Every run must leave no handle, descriptor or child process behind.
class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    LngText[8] = " seconds";
    LngText[9] = "Progress ";
    LngText[45] = "Encoding stop !";
    LngText[138] = "Shift";
    LngText[139] = "EncodeTo";
    LngText[140] = "Pics";
    mdlFenwoZantiro::OutLength = 0;
    mdlFenwoZantiro::FrameCount = 0;
    mdlGetCmdOutput::SetProgressWindow(&window);
    vb::SetBoxHook([this](const vb::BoxCall& call) {
      boxes.push_back(call.prompt);
      return vb::BoxAnswer{};
    });
    handles = win::OpenHandleCount();
    descriptors = testsupport::openDescriptorCount();
  }
  void TearDown() override {
    EXPECT_EQ(win::OpenHandleCount(), handles);
    EXPECT_EQ(testsupport::openDescriptorCount(), descriptors);
    EXPECT_EQ(testsupport::childProcessCount(), 0);
    mdlGetCmdOutput::SetProgressWindow(nullptr);
    vb::SetBoxHook({});
  }
  // A script that stands in for the engine; the path may hold any character.
  std::string script(const std::string& body, const std::string& folder = "") {
    const std::string dir = folder.empty() ? tmp.path() : tmp.file(folder);
    fs::create_directories(dir);
    const std::string path = testsupport::writeFile(dir + "/engine", "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  void encode(std::string commandLine, float start, float duration) {
    bool show = false;
    mdlGetCmdOutput::RunEncode(commandLine, start, duration, show);
  }
  // Keeps a second handle to the running engine, so that its exit code can be read after the
  // runner has closed its own.
  static win::HANDLE holdEngine() {
    for (win::HANDLE h = 4; h < 400000; h += 4) {
      win::DWORD code = 0;
      if (win::GetExitCodeProcess(h, &code) && code == win::STILL_ACTIVE) {
        win::HANDLE dup = 0;
        const win::HANDLE self = win::GetCurrentProcess();
        win::DuplicateHandle(self, h, self, &dup, 0, 0, win::DUPLICATE_SAME_ACCESS);
        return dup;
      }
    }
    return 0;
  }

  testsupport::TempDir tmp{"runner"};
  TestWindow window;
  std::vector<std::string> boxes;
  int handles = 0;
  int descriptors = 0;
};

// ---- with the real engine

TEST_F(Runner, ProbeLineReturnsTheIdentifyLines) {
  std::string line = testsupport::enginePath() + " -identify -ao null -vo null -frames 0 " + Q +
                     testsupport::media("clip.avi") + Q;
  const std::string out = mdlGetCmdOutput::GetCmdOutput(line, false);
  EXPECT_EQ(mdlFenwoZantiro::GetValueBetween(out, "ID_VIDEO_WIDTH="), "320");
  EXPECT_EQ(mdlFenwoZantiro::GetValueBetween(out, "ID_VIDEO_HEIGHT="), "240");
  EXPECT_EQ(mdlFenwoZantiro::GetValueBetween(out, "ID_LENGTH="), "4.00");
  EXPECT_NE(out.find("Exiting..."), std::string::npos);  // the last words are there too
}

TEST_F(Runner, PathsWithAnyCharacterReachTheEngineWhole) {
  // The program folder and the source may lie in folders with blanks, quotes and shell
  // characters; the engine path is written unquoted, the source in quotes.
  const std::string odd = "My Apps \"q\" 100% a&b;c$d*e 片";
  fs::create_directories(tmp.file(odd + "/plugins"));
  const std::string engine = tmp.file(odd + "/plugins/FenwoRes1.exe");
  fs::copy_file(testsupport::enginePath(), engine);
  const std::string source = tmp.file(odd + "/clip " + odd + ".avi");
  fs::copy_file(testsupport::media("clip.avi"), source);

  std::string line = engine + " -identify -ao null -vo null -frames 0 " + win::QuoteArg(source);
  const std::string out = mdlGetCmdOutput::GetCmdOutput(line, false);
  EXPECT_EQ(mdlFenwoZantiro::GetValueBetween(out, "ID_VIDEO_WIDTH="), "320") << out;

  // Each piece arrives as one argument.
  std::string echo = script("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done", odd);
  std::string args = echo + " -identify " + win::QuoteArg(source) + " -ss 1.5";
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(args, false), "[-identify]\r\n[" + source + "]\r\n[-ss]\r\n[1.5]\r\n");
}

TEST_F(Runner, GifConversionShowsProgressUpTo99) {
  const std::string out = tmp.file("out 片.gif");
  // The GIF template for a video source, without a time range, colours or crop.
  encode(testsupport::enginePath() + " -nosound -vo gif89a:fps=5:output=" + Q + out + Q +
             " -vf-add scale=160:120 " + Q + testsupport::media("clip.avi") + Q + " -fps 25",
         0, 4);
  ASSERT_FALSE(window.notes.empty());
  for (size_t i = 1; i < window.notes.size(); ++i) EXPECT_GT(window.notes[i], window.notes[i - 1]);
  // At full speed the engine's last status line falls a frame or two before the end.
  EXPECT_GE(window.notes.back(), 90);
  EXPECT_LE(window.notes.back(), 99);
  EXPECT_EQ(window.progress.rfind("Progress " + std::to_string(static_cast<int>(window.notes.back())) + " % --> EncodeTo ", 0), 0u)
      << window.progress;
  EXPECT_TRUE(boxes.empty());

  QImageReader gif(QString::fromStdString(out));
  EXPECT_TRUE(gif.canRead());
  EXPECT_EQ(gif.size(), QSize(160, 120));
  EXPECT_GT(gif.imageCount(), 10);
  EXPECT_EQ(testsupport::readFile(out).back(), ';');  // the trailer: the engine ended by itself
}

TEST_F(Runner, StopEndsALongRun) {
  win::HANDLE engine = 0;
  QTimer::singleShot(1000, [&] {
    engine = holdEngine();
    mdlGetCmdOutput::StopRequested = true;
  });
  const auto began = Clock::now();
  // The clip played over and over: a run that ends only when stopped, even at full speed.
  encode(testsupport::enginePath() + " -nosound -loop 0 -vo gif89a:fps=5:output=" + Q + tmp.file("out.gif") + Q +
             " -vf-add scale=80:60 " + Q + testsupport::media("sparse-keys.avi") + Q + " -fps 25",
         0, 10);
  EXPECT_LT(Clock::now() - began, std::chrono::seconds(5));
  ASSERT_NE(engine, 0);
  win::DWORD code = 0;
  EXPECT_TRUE(win::GetExitCodeProcess(engine, &code));
  EXPECT_EQ(code, 3838u);
  win::CloseHandle(engine);
  EXPECT_TRUE(mdlGetCmdOutput::StopRequested);
  EXPECT_EQ(boxes, std::vector<std::string>{"Encoding stop !"});
  EXPECT_TRUE(window.encodeVisible[0]);
  EXPECT_FALSE(window.encodeVisible[1]);
}

// ---- with engines that misbehave

TEST_F(Runner, EmptyLineOrMissingEngineRunNothing) {
  std::string empty;
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(empty, false), "");
  encode("", 0, 10);
  std::string missing = tmp.file("no such engine") + " -identify " + Q + "a.avi" + Q;
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(missing, false), "");
  mdlGetCmdOutput::StopRequested = true;
  encode(missing, 0, 10);
  EXPECT_FALSE(mdlGetCmdOutput::StopRequested);  // cleared when a run starts
  EXPECT_TRUE(window.notes.empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Runner, PipeThatCannotBeMadeRunsNothing) {
  std::string line = script("echo ran > " + tmp.file("ran"));
  win::FailNthCall(win::FailingCall::CreatePipe, 1);
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(line, false), "");
  win::FailNthCall(win::FailingCall::CreatePipe, 1);
  encode(line, 0, 10);
  EXPECT_FALSE(fs::exists(tmp.file("ran")));
}

TEST_F(Runner, EverythingWrittenBeforeTheEndIsCollected) {
  // Written at once just before the engine ends, and after a crash.
  std::string burst = script("head -c 5000 /dev/zero | tr '\\0' x");
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(burst, false), std::string(5000, 'x'));
  std::string crash = script("printf 'ID_LENGTH=4.00\\n'; kill -SEGV $$");
  EXPECT_EQ(mdlGetCmdOutput::GetCmdOutput(crash, false), "ID_LENGTH=4.00\r\n");
  encode(crash, 0, 10);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Runner, FloodOfStatusLines) {
  // What the GIF templates make the engine print: tens of megabytes of status lines.
  const std::string status = "V:   1.0  25/ 25 ??% ??% ??,?% 0 0 \033[J\r";
  const size_t total = 30'000'000;
  std::string flood = script("yes '" + status + "' | tr -d '\\n' | head -c " + std::to_string(total));
  const std::string out = mdlGetCmdOutput::GetCmdOutput(flood, false);
  EXPECT_EQ(out.size(), total);
  EXPECT_EQ(out.substr(0, 2 * status.size()), status + status);
  encode(flood, 0, 4);
  EXPECT_EQ(window.notes, std::vector<float>{25});
}

TEST_F(Runner, EngineThatNeverEndsIsStopped) {
  std::string endless = script("echo $$ > " + tmp.file("pid") + "; while :; do sleep 1; done");
  QTimer::singleShot(300, [] { mdlGetCmdOutput::StopRequested = true; });
  encode(endless, 0, 10);
  const pid_t pid = std::stoi(testsupport::readFile(tmp.file("pid")));
  EXPECT_NE(::kill(pid, 0), 0);  // gone, and reaped
  EXPECT_EQ(boxes.size(), 1u);
}

// Chunks of output one at a time, as the engine prints its status lines.
std::string chunks(const std::vector<std::string>& texts) {
  std::string body;
  for (const std::string& t : texts) body += "printf '" + t + "\\r'; sleep 0.25; ";
  return body;
}

TEST_F(Runner, ProgressFromVideoTimes) {
  struct Case {
    const char* what;
    float start, duration, outLength;
    std::vector<std::string> lines;
    std::vector<float> notes;
    std::string caption;
  };
  const Case cases[] = {
      {"start 10, first time 12: shift 2", 10, 20, 0,
       {"V:  12.0   1/  1", "A:  21.0 V:  22.0  51/ 51", "V:  40.0", "V:   5.0"},
       {50, 99, 0},
       "Progress 0 % --> EncodeTo 5.0 seconds ( Shift 2 seconds )"},
      {"start 0: no shift; the same percentage once", 0, 20, 0,
       {"V:   5.0", "V:   5.1", "V:  10.0"},
       {25, 50},
       "Progress 50 % --> EncodeTo 10.0 seconds"},
      {"no duration: the result's length", 0, 0, 10, {"V:   5.0"}, {50}, "Progress 50 % --> EncodeTo 5.0 seconds"},
      {"no length at all: 99", 0, 0, 0, {"V:   1.0"}, {99}, "Progress 99 % --> EncodeTo 1.0 seconds"},
      {"small shift: no note of it", 10, 20, 0,
       {"V:  10.1", "V:  70.0"},
       {99},
       "Progress 99 % --> EncodeTo 01:10.0 seconds"},
      {"unusable times", 0, 10, 0, {"V: abc.d", "V:  12", "Playing x."}, {}, ""},
  };
  for (const Case& c : cases) {
    window = TestWindow{};
    mdlFenwoZantiro::OutLength = c.outLength;
    encode(script(chunks(c.lines)), c.start, c.duration);
    EXPECT_EQ(window.notes, c.notes) << c.what;
    EXPECT_EQ(window.progress, c.caption) << c.what;
  }
}

TEST_F(Runner, ProgressOfAGifFolderCountsPlaybacks) {
  window.input = "/pics/*.gif";
  mdlFenwoZantiro::FrameCount = 10;
  const std::string s = "Starting playback...\\n";
  encode(script(chunks({s, s + s, s + s + s, "V:  3.0"})), 0, 10);
  EXPECT_EQ(window.notes, (std::vector<float>{10, 30, 50}));
  EXPECT_EQ(window.progress, "Progress 50 % --> EncodeTo 5 Pics");

  window = TestWindow{};
  window.input = "/pics/*.gif";
  mdlFenwoZantiro::FrameCount = 0;
  encode(script(chunks({s})), 0, 10);
  EXPECT_EQ(window.notes, std::vector<float>{99});
}

}  // namespace
