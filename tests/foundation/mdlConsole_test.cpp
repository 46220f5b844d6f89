// labels: unit
#include "foundation/mdlConsole.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Stands in for the options window: a play state, and a stop that ends the engine as its
// setStop does.
struct FakePreview : mdlConsole::Preview {
  std::string state = "Play";
  int stops = 0;
  std::string PlayState() override { return state; }
  void setStop(bool sliderTo0, bool keepPlayer) override {
    EXPECT_TRUE(sliderTo0);
    EXPECT_FALSE(keepPlayer);
    ++stops;
    mdlConsole::KillEngine();
  }
};

// A small script that plays the engine and misbehaves as told.
class FakeEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    handlesBefore = win::OpenHandleCount();
    mdlConsole::SetPreview(&preview);
  }
  void TearDown() override {
    mdlConsole::KillEngine();
    mdlConsole::SetPreview(nullptr);
    EXPECT_EQ(win::OpenHandleCount(), handlesBefore);
  }
  std::string script(const std::string& body) {
    const std::string path = testsupport::writeFile(tmp.file("engine.sh"), "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  void start(const std::string& body) { ASSERT_EQ(mdlConsole::RunHidden(script(body), false), 0); }
  // Everything the engine writes within the time, polled as the preview polls.
  std::string readFor(size_t bytes, std::chrono::milliseconds limit = 5s) {
    std::string all, chunk;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (all.size() < bytes && std::chrono::steady_clock::now() < end) {
      if (mdlConsole::ReadOutput(chunk) == 0) all += chunk;
      else std::this_thread::sleep_for(10ms);
    }
    return all;
  }
  testsupport::TempDir tmp{"console"};
  FakePreview preview;
  int handlesBefore = 0;
};

TEST_F(FakeEngine, CommandBytesFollowThePlayState) {
  struct Case {
    std::string state, command, bytes;
  };
  const Case cases[] = {
      {"Play", "Pause", "Pause|"},
      {"Play", "screenshot 0", "screenshot 0|"},
      {"Play", "frame_step", "frame_step|"},
      {"Pause", "frame_step", "frame_step|"},
      {"Pause", "screenshot 0", "pausing screenshot 0|"},
      {"Pause", "Pause", "pausing Pause|"},
      {"Pause", "pause", "pause|"},
      {"Pause", "seek 10 0", "pausing seek 10 0|"},
      // An output that colours only the next frame.
      {"Pause", "brightness -5 1", "pausing brightness -5 1|"},
      // These leave the paused picture on its frame.
      {"Pause", "volume 55 1", "pausing_keep_force volume 55 1|"},
      {"Pause", "get_property volume", "pausing_keep_force get_property volume|"},
      {"Play", "volume 55 1", "volume 55 1|"},
      {"", "get_property fps", "get_property fps|"},
  };
  // Echoes every line it is sent, each ended by "|".
  start("while IFS= read -r line; do printf '%s|' \"$line\"; done");
  for (const Case& c : cases) {
    preview.state = c.state;
    EXPECT_EQ(mdlConsole::SendCommand(c.command), 0);
    EXPECT_EQ(readFor(c.bytes.size()), c.bytes) << c.state << " " << c.command;
  }
  EXPECT_EQ(preview.stops, 0);
}

// Once the engine has told that OpenGL draws its video, a paused colour step keeps the frame
// and has it redrawn; a new engine is asked again.
TEST_F(FakeEngine, AnOutputThatDrawsTheColoursRedrawsThePausedFrame) {
  const std::string body = "printf 'VO: [gl] 320x240 => 320x240 Planar YV12 \\n'; "
                           "while IFS= read -r line; do printf '%s|' \"$line\"; done";
  start(body);
  ASSERT_EQ(readFor(42), "VO: [gl] 320x240 => 320x240 Planar YV12 \r\n");
  preview.state = "Pause";
  EXPECT_EQ(mdlConsole::SendCommand("hue 20 1"), 0);
  EXPECT_EQ(readFor(59), "pausing_keep_force hue 20 1|pausing_keep_force panscan 0 1|");
  preview.state = "Play";
  EXPECT_EQ(mdlConsole::SendCommand("contrast 3 1"), 0);
  EXPECT_EQ(readFor(13), "contrast 3 1|");

  mdlConsole::KillEngine();
  start("while IFS= read -r line; do printf '%s|' \"$line\"; done");
  preview.state = "Pause";
  EXPECT_EQ(mdlConsole::SendCommand("hue 20 1"), 0);
  EXPECT_EQ(readFor(17), "pausing hue 20 1|");
  EXPECT_EQ(preview.stops, 0);
}

// What the engine reads, byte for byte: each command and one line feed, nothing more.
TEST_F(FakeEngine, CommandsReachTheEngineAsExactBytes) {
  const std::string received = tmp.file("received");
  start("exec cat > " + received);
  preview.state = "Play";
  EXPECT_EQ(mdlConsole::SendCommand("Pause"), 0);
  preview.state = "Pause";
  EXPECT_EQ(mdlConsole::SendCommand("seek 10 0"), 0);
  EXPECT_EQ(mdlConsole::SendCommand("frame_step"), 0);
  const std::string expected = "Pause\npausing seek 10 0\nframe_step\n";
  for (int i = 0; i < 500 && testsupport::readFile(received).size() < expected.size(); ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(testsupport::readFile(received), expected);
}

TEST_F(FakeEngine, NothingWaitingWhileRunningChangesNothing) {
  start("exec sleep 60");
  std::string out = "stale";
  EXPECT_EQ(mdlConsole::ReadOutput(out), 2);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(mdlConsole::IsRunning());
  EXPECT_EQ(preview.stops, 0);
}

TEST_F(FakeEngine, AVanishedEngineIsReadToTheEndThenStopsThePreview) {
  start("printf 'ID_LENGTH=4.00\\nExiting... (End of file)\\n'");
  // Lines arrive ended by CR LF, as the engine's lines end for the programs.
  EXPECT_EQ(readFor(42), "ID_LENGTH=4.00\r\nExiting... (End of file)\r\n");
  std::string out;
  for (int i = 0; i < 500 && preview.stops == 0; ++i) {
    EXPECT_EQ(mdlConsole::ReadOutput(out), 2);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(preview.stops, 1);
  EXPECT_FALSE(mdlConsole::IsRunning());
  // Everything is closed now: the pipe can no longer be asked, and a command goes nowhere.
  EXPECT_EQ(mdlConsole::ReadOutput(out), 1);
  EXPECT_EQ(preview.stops, 2);
  EXPECT_EQ(mdlConsole::SendCommand("get_property fps"), 3);
}

TEST_F(FakeEngine, AShortReadAndAFailedReadGiveTheirCodes) {
  start("printf 'ANS_fps=25\\n'; read x; printf 'ANS_length=4\\n'; exec sleep 60");
  const auto readSomething = [](std::string& out) {
    int32_t code = 2;
    for (int i = 0; i < 500 && code == 2; ++i) {
      code = mdlConsole::ReadOutput(out);
      if (code == 2) std::this_thread::sleep_for(10ms);
    }
    return code;
  };
  std::string out;
  win::FailNthCall(win::FailingCall::ShortRead, 1);
  EXPECT_EQ(readSomething(out), 4);
  EXPECT_EQ(out, "A");
  EXPECT_EQ(readSomething(out), 0);
  EXPECT_EQ(out, "NS_fps=25\r\n");
  EXPECT_EQ(preview.stops, 0);

  EXPECT_EQ(mdlConsole::SendCommand("get_property length"), 0);
  win::FailNthCall(win::FailingCall::ReadFile, 1);
  EXPECT_EQ(readSomething(out), 3);
  EXPECT_EQ(out, "");
  EXPECT_EQ(preview.stops, 1);
  EXPECT_FALSE(mdlConsole::IsRunning());
}

TEST_F(FakeEngine, AnOverFullPipeIsNotReadAndStopsThePreview) {
  const std::string done = tmp.file("done");
  start("head -c 40000 /dev/zero | tr '\\0' x; : > " + done + "; exec sleep 60");
  for (int i = 0; i < 500 && !fs::exists(done); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(fs::exists(done));
  std::string out = "stale";
  EXPECT_EQ(mdlConsole::ReadOutput(out), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(preview.stops, 1);
  EXPECT_FALSE(mdlConsole::IsRunning());
}

TEST_F(FakeEngine, EachFailedStartStepGivesItsCodeAndLeavesNothingOpen) {
  struct Case {
    win::FailingCall call;
    int nth;
    int32_t code;
  };
  const Case cases[] = {
      {win::FailingCall::CreatePipe, 1, 1},      {win::FailingCall::CreatePipe, 2, 2},
      {win::FailingCall::DuplicateHandle, 1, 4}, {win::FailingCall::DuplicateHandle, 2, 3},
      {win::FailingCall::CreateProcess, 1, 5},
  };
  const std::string engine = script("exec sleep 60");
  const int children = testsupport::childProcessCount();
  for (const Case& c : cases) {
    win::FailNthCall(c.call, c.nth);
    EXPECT_EQ(mdlConsole::RunHidden(engine, false), c.code) << c.code;
    win::FailNthCall(c.call, 0);
    EXPECT_EQ(win::OpenHandleCount(), handlesBefore) << c.code;
    EXPECT_FALSE(mdlConsole::IsRunning());
  }
  EXPECT_EQ(mdlConsole::RunHidden(tmp.file("missing-engine"), false), 5);
  EXPECT_EQ(win::OpenHandleCount(), handlesBefore);
  EXPECT_EQ(testsupport::childProcessCount(), children);
}

TEST_F(FakeEngine, KillEngineEndsTheRunAndIsSafeTwice) {
  const int children = testsupport::childProcessCount();
  start("exec sleep 60");
  EXPECT_TRUE(mdlConsole::IsRunning());
  mdlConsole::KillEngine();
  EXPECT_FALSE(mdlConsole::IsRunning());
  EXPECT_EQ(win::OpenHandleCount(), handlesBefore);
  mdlConsole::KillEngine();
  EXPECT_EQ(win::OpenHandleCount(), handlesBefore);
  for (int i = 0; i < 500 && testsupport::childProcessCount() > children; ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(testsupport::childProcessCount(), children);
  EXPECT_EQ(preview.stops, 0);
}

// Processes started from a folder, to be ended or left alone by KillByModulePath.
struct Started {
  pid_t pid = -1;
  Started(const std::string& program, const std::string& argv0) {
    std::string a0 = argv0, secs = "60";
    char* argv[] = {a0.data(), secs.data(), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid = -1;
  }
  // Whether it ends within the time (and reaps it).
  bool ends(int ms = 3000) {
    for (int i = 0; i < ms / 10; ++i) {
      if (waitpid(pid, nullptr, WNOHANG) == pid) {
        pid = -1;
        return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  ~Started() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

TEST(KillByModulePath, EndsEnginesOfThePlugInsFolderWhateverTheLetterCase) {
  testsupport::TempDir tmp("plugins");
  fs::create_directories(tmp.file("PlugIns"));
  fs::create_directories(tmp.file("other"));
  for (const char* name : {"PlugIns/FenwoRes1.dll", "PlugIns/FENWORES1.EXE", "other/FenwoRes1.exe"})
    fs::copy_file("/bin/sleep", tmp.file(name));
  Started dll(tmp.file("PlugIns/FenwoRes1.dll"), "FenwoRes1.dll");
  Started exe(tmp.file("PlugIns/FENWORES1.EXE"), "x");
  // The engine shim keeps the plug-ins path as the first argument of the real engine.
  Started shimmed("/bin/sleep", tmp.file("PlugIns/FenwoRes1.exe"));
  Started elsewhere(tmp.file("other/FenwoRes1.exe"), tmp.file("other/FenwoRes1.exe"));
  Started plain("/bin/sleep", "sleep");

  mdlConsole::KillByModulePath("");
  EXPECT_FALSE(dll.ends(200));  // an empty text ends nothing
  mdlConsole::KillByModulePath(tmp.path() + "/plugins/FenwoRes");
  EXPECT_TRUE(dll.ends());
  EXPECT_TRUE(exe.ends());
  EXPECT_TRUE(shimmed.ends());
  // The signals went out before the call returned; those ended already.
  EXPECT_FALSE(elsewhere.ends(100));
  EXPECT_FALSE(plain.ends(100));
}

}  // namespace
