// labels: unit
#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/cmdline.h"

#include "support/paths.h"

namespace {

using namespace win;

struct Result {
  DWORD code = 0;
  std::string output;
};

// Runs a command line with stdout and stderr in one pipe, reads all, and closes everything.
Result run(const std::string& line, HANDLE input = 0) {
  Result r;
  HANDLE rd = 0, wr = 0;
  SECURITY_ATTRIBUTES sa{12, nullptr, 1};
  EXPECT_TRUE(CreatePipe(&rd, &wr, &sa, 2048));
  STARTUPINFOA si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.hStdInput = input;
  si.hStdOutput = si.hStdError = wr;
  PROCESS_INFORMATION pi;
  if (CreateProcessA(nullptr, line, &sa, &sa, 1, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si, &pi)) {
    CloseHandle(wr);  // so the end of the child's output is the end of the pipe
    wr = 0;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(rd, buf, sizeof buf, &n, nullptr)) r.output.append(buf, n);
    while (GetExitCodeProcess(pi.hProcess, &r.code) && r.code == STILL_ACTIVE) WaitForPipeOrExit(0, pi.hProcess, 100);
    EXPECT_TRUE(CloseHandle(pi.hProcess));
    EXPECT_TRUE(CloseHandle(pi.hThread));
  } else {
    r.code = 0xFFFFFFFF;
  }
  CloseHandle(rd);
  if (wr) CloseHandle(wr);
  return r;
}

PROCESS_INFORMATION start(const std::string& line) {
  STARTUPINFOA si;
  PROCESS_INFORMATION pi;
  EXPECT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, 1, 0, nullptr, nullptr, &si, &pi)) << line;
  return pi;
}

void closeProcess(PROCESS_INFORMATION& pi) {
  EXPECT_TRUE(CloseHandle(pi.hProcess));
  EXPECT_TRUE(CloseHandle(pi.hThread));
}

TEST(Process, ExitCodesAndOutput) {
  EXPECT_EQ(run("/bin/sh -c \"exit 0\"").code, 0u);
  EXPECT_EQ(run("/bin/sh -c \"exit 7\"").code, 7u);
  EXPECT_EQ(run("sh -c \"exit 255\"").code, 255u);
  EXPECT_EQ(run("/bin/sh -c \"kill -SEGV $$\"").code, 128u + 11u);  // ended by a signal
  const Result both = run("/bin/sh -c \"echo out; echo err >&2; exit 3\"");
  EXPECT_EQ(both.code, 3u);
  EXPECT_EQ(both.output, "out\nerr\n");
}

TEST(Process, ArgumentsReachTheProgramWhole) {
  // No shell: none of these characters means anything on the way.
  const std::string odd = "/t/a b \"q\" %PATH% & ; $HOME * ü 漢.avi";
  const Result r = run("printf \"[%s]\" " + win::QuoteArg(odd) + " \"\" x");
  EXPECT_EQ(r.output, "[" + odd + "][][x]");
}

TEST(Process, ProgramPathWithBlanksNeedsNoQuotes) {
  testsupport::TempDir dir("proc");
  const std::string folder = dir.file("my progs");
  ::mkdir(folder.c_str(), 0755);
  const std::string script = testsupport::writeFile(folder + "/say it", "#!/bin/sh\necho \"[$1]\"\n");
  ::chmod(script.c_str(), 0755);
  EXPECT_EQ(run(script + " \"a b\"").output, "[a b]\n");
  EXPECT_EQ(run("\"" + script + "\" c").output, "[c]\n");
}

TEST(Process, CurrentFolderIsInheritedOrGiven) {
  testsupport::TempDir dir("cwd");
  char here[4096];
  ASSERT_TRUE(getcwd(here, sizeof here));
  EXPECT_EQ(run("/bin/pwd").output, std::string(here) + "\n");
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const Result r = run("/bin/pwd -P");
  ASSERT_EQ(chdir(here), 0);
  char real[4096];
  ASSERT_TRUE(realpath(dir.path().c_str(), real));
  EXPECT_EQ(r.output, std::string(real) + "\n");
}

TEST(Process, StandardInputFromAPipeOrNothing) {
  HANDLE rd = 0, wr = 0;
  ASSERT_TRUE(CreatePipe(&rd, &wr, nullptr, 1024));
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(wr, "line\n", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  CloseHandle(wr);
  EXPECT_EQ(run("/bin/cat", rd).output, "line\n");
  CloseHandle(rd);
  EXPECT_EQ(run("/bin/cat").output, "");  // no standard input: /dev/null, not this terminal
}

TEST(Process, FailedStartLeavesNothing) {
  const int handles = OpenHandleCount();
  STARTUPINFOA si;
  PROCESS_INFORMATION pi{1, 2, 3, 4};
  EXPECT_FALSE(CreateProcessA(nullptr, "/no/such/engine -x", nullptr, nullptr, 1, 0, nullptr, nullptr, &si, &pi));
  EXPECT_EQ(pi.hProcess, 0);
  EXPECT_EQ(pi.hThread, 0);
  EXPECT_FALSE(CreateProcessA(nullptr, "no-such-program-here", nullptr, nullptr, 1, 0, nullptr, nullptr, &si, &pi));
  EXPECT_FALSE(CreateProcessA(nullptr, "", nullptr, nullptr, 1, 0, nullptr, nullptr, &si, &pi));
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(0, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(TerminateProcess(0, 3838));
  EXPECT_FALSE(CloseHandle(0));
  EXPECT_EQ(OpenHandleCount(), handles);
}

TEST(Process, StillActiveThenTerminatedWithTheGivenCode) {
  PROCESS_INFORMATION pi = start("/bin/sleep 30");
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_FALSE(GetExitCodeProcess(pi.hThread, &code));  // a thread is not a process
  EXPECT_TRUE(TerminateProcess(pi.hProcess, 3838));
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 3838u);
  EXPECT_FALSE(TerminateProcess(pi.hProcess, 1));  // already ended: the code stays
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 3838u);
  closeProcess(pi);

  PROCESS_INFORMATION done = start("/bin/sh -c \"exit 4\"");
  while (GetExitCodeProcess(done.hProcess, &code) && code == STILL_ACTIVE) WaitForPipeOrExit(0, done.hProcess, 50);
  EXPECT_FALSE(TerminateProcess(done.hProcess, 3838));
  EXPECT_TRUE(GetExitCodeProcess(done.hProcess, &code));
  EXPECT_EQ(code, 4u);
  closeProcess(done);
}

TEST(Process, HandlesCloseOnceAndDuplicate) {
  const int handles = OpenHandleCount();
  const int fds = testsupport::openDescriptorCount();
  HANDLE rd = 0, wr = 0, dup = 0;
  ASSERT_TRUE(CreatePipe(&rd, &wr, nullptr, 32767));
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), rd, GetCurrentProcess(), &dup, 0, 1, DUPLICATE_SAME_ACCESS));
  EXPECT_NE(dup, rd);
  EXPECT_TRUE(CloseHandle(rd));
  EXPECT_FALSE(CloseHandle(rd));  // twice: harmless, reported
  DWORD n = 0, avail = 99;
  ASSERT_TRUE(WriteFile(wr, "abcdef", 6, &n, nullptr));
  ASSERT_TRUE(PeekNamedPipe(dup, nullptr, 0, nullptr, &avail, nullptr));
  EXPECT_EQ(avail, 6u);
  char buf[8];
  ASSERT_TRUE(ReadFile(dup, buf, 4, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "abcd");
  ASSERT_TRUE(PeekNamedPipe(dup, nullptr, 0, nullptr, &avail, nullptr));
  EXPECT_EQ(avail, 2u);

  HANDLE moved = 0;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), wr, GetCurrentProcess(), &moved, 0, 1, DUPLICATE_CLOSE_SOURCE));
  EXPECT_FALSE(CloseHandle(wr));
  EXPECT_TRUE(CloseHandle(moved));
  // All write ends gone: what waits can still be read, then peek and read fail.
  ASSERT_TRUE(PeekNamedPipe(dup, nullptr, 0, nullptr, &avail, nullptr));
  ASSERT_TRUE(ReadFile(dup, buf, 8, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "ef");
  EXPECT_FALSE(PeekNamedPipe(dup, nullptr, 0, nullptr, &avail, nullptr));
  EXPECT_FALSE(ReadFile(dup, buf, 8, &n, nullptr));
  EXPECT_TRUE(CloseHandle(dup));
  EXPECT_EQ(OpenHandleCount(), handles);
  EXPECT_EQ(testsupport::openDescriptorCount(), fds);
}

TEST(Process, WriteWithoutReaderFailsWithoutASignal) {
  HANDLE rd = 0, wr = 0;
  ASSERT_TRUE(CreatePipe(&rd, &wr, nullptr, 1024));
  CloseHandle(rd);
  DWORD n = 7;
  EXPECT_FALSE(WriteFile(wr, "x\n", 2, &n, nullptr));
  EXPECT_EQ(n, 0u);
  CloseHandle(wr);
}

TEST(Process, WaitReturnsOnOutputOnExitOrAfterTheTimeOut) {
  HANDLE rd = 0, wr = 0;
  ASSERT_TRUE(CreatePipe(&rd, &wr, nullptr, 2048));
  PROCESS_INFORMATION pi = start("/bin/sleep 0.3");
  using clock = std::chrono::steady_clock;
  auto t0 = clock::now();
  EXPECT_FALSE(WaitForPipeOrExit(rd, pi.hProcess, 50));
  EXPECT_GE(clock::now() - t0, std::chrono::milliseconds(45));
  t0 = clock::now();
  EXPECT_TRUE(WaitForPipeOrExit(rd, pi.hProcess, 5000));  // the process ends
  EXPECT_LT(clock::now() - t0, std::chrono::milliseconds(2000));
  DWORD n = 0;
  WriteFile(wr, "z", 1, &n, nullptr);
  EXPECT_TRUE(WaitForPipeOrExit(rd, 0, 5000));
  closeProcess(pi);
  CloseHandle(rd);
  CloseHandle(wr);
}

TEST(Process, InjectedFailureHitsTheNthCall) {
  const int handles = OpenHandleCount();
  HANDLE a = 0, b = 0, c = 0, d = 0;
  FailNthCall(FailingCall::CreatePipe, 2);
  EXPECT_TRUE(CreatePipe(&a, &b, nullptr, 1024));
  EXPECT_FALSE(CreatePipe(&c, &d, nullptr, 1024));
  EXPECT_TRUE(CreatePipe(&c, &d, nullptr, 1024));
  for (HANDLE h : {c, d}) CloseHandle(h);

  FailNthCall(FailingCall::DuplicateHandle, 1);
  EXPECT_FALSE(DuplicateHandle(GetCurrentProcess(), a, GetCurrentProcess(), &c, 0, 1, DUPLICATE_SAME_ACCESS));
  EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), a, GetCurrentProcess(), &c, 0, 1, DUPLICATE_SAME_ACCESS));
  CloseHandle(c);

  FailNthCall(FailingCall::CreateProcess, 1);
  STARTUPINFOA si;
  PROCESS_INFORMATION pi;
  EXPECT_FALSE(CreateProcessA(nullptr, "/bin/true", nullptr, nullptr, 1, 0, nullptr, nullptr, &si, &pi));
  EXPECT_EQ(pi.hProcess, 0);
  FailNthCall(FailingCall::CreatePipe, 3);
  FailNthCall(FailingCall::CreatePipe, 0);  // cleared
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(CreatePipe(&c, &d, nullptr, 1024));
    CloseHandle(c);
    CloseHandle(d);
  }
  CloseHandle(a);
  CloseHandle(b);
  EXPECT_EQ(OpenHandleCount(), handles);
}

TEST(Process, RunsLeaveNoDescriptorOrChildBehind) {
  const int fds = testsupport::openDescriptorCount();
  const int children = testsupport::childProcessCount();
  for (int i = 0; i < 20; ++i) run("/bin/sh -c \"echo $$\"");
  // A handle closed while its process still runs: the process runs on and is reaped at its end.
  PROCESS_INFORMATION pi = start("/bin/sleep 0.2");
  closeProcess(pi);
  EXPECT_EQ(testsupport::childProcessCount(), children + 1);
  for (int i = 0; i < 100 && testsupport::childProcessCount() > children; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(testsupport::childProcessCount(), children);
  EXPECT_EQ(testsupport::openDescriptorCount(), fds);
}

}  // namespace
