// labels: unit
#include "platform/procscan.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "support/paths.h"

namespace {

// A sleeping process started from program, showing argv0 as its first argument.
struct Sleeper {
  pid_t pid = -1;
  Sleeper(const std::string& program, const std::string& argv0) {
    std::string a0 = argv0, secs = "60";
    char* argv[] = {a0.data(), secs.data(), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid = -1;
  }
  ~Sleeper() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

std::vector<int> pidsFound(const std::string& text) {
  std::vector<int> pids;
  for (const auto& p : win::FindProcessesByPath(text)) pids.push_back(p.pid());
  return pids;
}

bool has(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

// Which paths match is shown with KillByModulePath (tests/foundation).

TEST(FindProcessesByPath, EmptyTextAndOwnProcessAreNeverFound) {
  EXPECT_TRUE(win::FindProcessesByPath("").empty());
  // Every process of this user holds "/" in its path; this one is still left out.
  EXPECT_FALSE(has(pidsFound("/"), getpid()));
}

TEST(FindProcessesByPath, SignalsReachTheProcessFound) {
  testsupport::TempDir tmp("procscan");
  Sleeper s("/bin/sleep", tmp.file("FenwoRes1.exe"));
  // The spawned process shows its argv0 only once it runs the new program.
  auto found = win::FindProcessesByPath(tmp.path());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (found.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    found = win::FindProcessesByPath(tmp.path());
  }
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(found[0].RequestClose());
  int status = 0;
  ASSERT_EQ(waitpid(s.pid, &status, 0), s.pid);
  s.pid = -1;
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  // The process has gone: its held handle does not reach another one.
  EXPECT_FALSE(found[0].Terminate());
}

}  // namespace
