#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/cmdline.h"

extern char** environ;

namespace win {
namespace {

constexpr HANDLE kCurrentProcess = -1;

// One started child. It is reaped by whoever sees it end; when its last handle goes while it
// still runs, a waiting thread reaps it later, so it never stays a zombie.
struct Child {
  pid_t pid = 0;
  int pidfd = -1;
  bool reaped = false;
  DWORD code = STILL_ACTIVE;
  bool terminated = false;
  DWORD terminateCode = 0;

  void settle(int status) {
    reaped = true;
    if (WIFEXITED(status)) code = static_cast<DWORD>(WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
      code = terminated && WTERMSIG(status) == SIGKILL ? terminateCode : 128u + static_cast<DWORD>(WTERMSIG(status));
  }
  void poll() {
    if (reaped) return;
    int status = 0;
    pid_t r;
    do r = waitpid(pid, &status, WNOHANG); while (r < 0 && errno == EINTR);
    if (r == pid) settle(status);
  }
  void wait() {
    if (reaped) return;
    int status = 0;
    pid_t r;
    do r = waitpid(pid, &status, 0); while (r < 0 && errno == EINTR);
    if (r == pid) settle(status);
    else reaped = true;
  }
  ~Child() {
    if (pidfd >= 0) ::close(pidfd);
    poll();
    if (!reaped) {
      const pid_t p = pid;
      std::thread([p] {
        int status;
        while (waitpid(p, &status, 0) < 0 && errno == EINTR) {}
      }).detach();
    }
  }
};

struct Entry {
  enum Kind { Pipe, Process, Thread } kind = Pipe;
  int fd = -1;
  std::shared_ptr<Child> child;
};

struct Table {
  std::mutex lock;
  std::map<HANDLE, Entry> entries;
  HANDLE next = 4;
  int failAt[5] = {0, 0, 0, 0, 0};

  HANDLE add(Entry e) {
    std::lock_guard<std::mutex> g(lock);
    const HANDLE h = next;
    next += 4;
    entries.emplace(h, std::move(e));
    return h;
  }
  bool find(HANDLE h, Entry& out) {
    std::lock_guard<std::mutex> g(lock);
    auto it = entries.find(h);
    if (it == entries.end()) return false;
    out = it->second;
    return true;
  }
  bool injectedFailure(FailingCall call) {
    std::lock_guard<std::mutex> g(lock);
    int& n = failAt[static_cast<int>(call)];
    return n > 0 && --n == 0;
  }
};

Table& table() {
  static Table t;
  return t;
}

int pipeFd(HANDLE h) {
  Entry e;
  return table().find(h, e) && e.kind == Entry::Pipe ? e.fd : -1;
}

std::shared_ptr<Child> processOf(HANDLE h) {
  Entry e;
  return table().find(h, e) && e.kind == Entry::Process ? e.child : nullptr;
}

bool isProgramFile(const std::string& path) {
  struct stat st{};
  return path.find('/') != std::string::npos && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> environmentBlock(const void* block) {
  std::vector<std::string> vars;
  for (const char* p = static_cast<const char*>(block); *p; p += vars.back().size() + 1) vars.emplace_back(p);
  return vars;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (auto& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

// Standard descriptor `target` of the child: the pipe end, or /dev/null.
void standardHandle(posix_spawn_file_actions_t* actions, HANDLE h, int target) {
  const int fd = pipeFd(h);
  if (fd >= 0) posix_spawn_file_actions_adddup2(actions, fd, target);
  else posix_spawn_file_actions_addopen(actions, target, "/dev/null", target == 0 ? O_RDONLY : O_WRONLY, 0);
}

}  // namespace

HANDLE GetCurrentProcess() { return kCurrentProcess; }

BOOL CreatePipe(HANDLE* readEnd, HANDLE* writeEnd, const SECURITY_ATTRIBUTES*, DWORD) {
  if (!readEnd || !writeEnd) return 0;
  if (table().injectedFailure(FailingCall::CreatePipe)) return 0;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 0;
  *readEnd = table().add({Entry::Pipe, fds[0], nullptr});
  *writeEnd = table().add({Entry::Pipe, fds[1], nullptr});
  return 1;
}

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target, DWORD,
                     BOOL, DWORD options) {
  if (!target || sourceProcess != kCurrentProcess || targetProcess != kCurrentProcess) return 0;
  if (table().injectedFailure(FailingCall::DuplicateHandle)) return 0;
  Entry e;
  if (!table().find(source, e)) return 0;
  if (e.kind == Entry::Pipe) {
    e.fd = ::fcntl(e.fd, F_DUPFD_CLOEXEC, 3);
    if (e.fd < 0) return 0;
  }
  *target = table().add(e);
  if (options & DUPLICATE_CLOSE_SOURCE) CloseHandle(source);
  return 1;
}

BOOL CreateProcessA(const char* applicationName, const std::string& commandLine, const SECURITY_ATTRIBUTES*,
                    const SECURITY_ATTRIBUTES*, BOOL, DWORD, const void* environment, const char* currentDirectory,
                    const STARTUPINFOA* startupInfo, PROCESS_INFORMATION* info) {
  if (!info) return 0;
  *info = {};
  if (table().injectedFailure(FailingCall::CreateProcess)) return 0;
  std::vector<std::string> args =
      applicationName ? SplitCommandLine(commandLine) : SplitCommandLine(commandLine, isProgramFile);
  if (args.empty() && applicationName) args.emplace_back(applicationName);
  if (args.empty() || args[0].empty()) return 0;
  const std::string program = applicationName ? applicationName : args[0];

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES)) {
    standardHandle(&actions, startupInfo->hStdInput, 0);
    standardHandle(&actions, startupInfo->hStdOutput, 1);
    standardHandle(&actions, startupInfo->hStdError, 2);
  }
  if (currentDirectory) posix_spawn_file_actions_addchdir_np(&actions, currentDirectory);

  // The child starts with no blocked signals and the usual dispositions.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGCHLD, SIGHUP}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv = pointers(args);
  std::vector<std::string> envTexts;
  std::vector<char*> envp;
  if (environment) {
    envTexts = environmentBlock(environment);
    envp = pointers(envTexts);
  }
  char** env = environment ? envp.data() : environ;
  pid_t pid = 0;
  const int err = program.find('/') != std::string::npos
                      ? posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), env)
                      : posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), env);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (err != 0) return 0;

  auto child = std::make_shared<Child>();
  child->pid = pid;
  child->pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (child->pidfd >= 0) ::fcntl(child->pidfd, F_SETFD, FD_CLOEXEC);
  info->hProcess = table().add({Entry::Process, -1, child});
  info->hThread = table().add({Entry::Thread, -1, child});
  info->dwProcessId = static_cast<DWORD>(pid);
  info->dwThreadId = static_cast<DWORD>(pid);
  return 1;
}

BOOL PeekNamedPipe(HANDLE pipe, void* buffer, DWORD, DWORD* bytesRead, DWORD* totalBytesAvail,
                   DWORD* bytesLeftThisMessage) {
  const int fd = pipeFd(pipe);
  if (fd < 0 || buffer) return 0;
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return 0;
  if (n == 0) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLIN)) return 0;
  }
  if (bytesRead) *bytesRead = 0;
  if (totalBytesAvail) *totalBytesAvail = static_cast<DWORD>(n);
  if (bytesLeftThisMessage) *bytesLeftThisMessage = 0;
  return 1;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead, void*) {
  if (bytesRead) *bytesRead = 0;
  const int fd = pipeFd(file);
  if (fd < 0 || !buffer) return 0;
  if (table().injectedFailure(FailingCall::ReadFile)) return 0;
  if (size > 1 && table().injectedFailure(FailingCall::ShortRead)) size = 1;
  ssize_t r;
  do r = ::read(fd, buffer, size); while (r < 0 && errno == EINTR);
  if (r < 0 || (r == 0 && size > 0)) return 0;
  if (bytesRead) *bytesRead = static_cast<DWORD>(r);
  return 1;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* bytesWritten, void*) {
  if (bytesWritten) *bytesWritten = 0;
  const int fd = pipeFd(file);
  if (fd < 0 || (!buffer && size)) return 0;
  // A pipe whose reader has gone must fail the write, not end this program with SIGPIPE.
  sigset_t pipeSig, old, pending;
  sigemptyset(&pipeSig);
  sigaddset(&pipeSig, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSig, &old);
  sigpending(&pending);
  const bool wasPending = sigismember(&pending, SIGPIPE);
  const char* p = static_cast<const char*>(buffer);
  DWORD done = 0;
  bool ok = true;
  while (done < size) {
    const ssize_t w = ::write(fd, p + done, size - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      ok = false;
      break;
    }
    done += static_cast<DWORD>(w);
  }
  if (!ok && errno == EPIPE && !wasPending) {
    const timespec zero{0, 0};
    sigtimedwait(&pipeSig, nullptr, &zero);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (bytesWritten) *bytesWritten = done;
  return ok ? 1 : 0;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  auto child = processOf(process);
  if (!child || !exitCode) return 0;
  child->poll();
  *exitCode = child->code;
  return 1;
}

BOOL TerminateProcess(HANDLE process, DWORD exitCode) {
  auto child = processOf(process);
  if (!child) return 0;
  child->poll();
  if (child->reaped) return 0;
  child->terminated = true;
  child->terminateCode = exitCode;
  ::kill(child->pid, SIGKILL);
  child->wait();
  return 1;
}

BOOL CloseHandle(HANDLE handle) {
  Entry e;
  {
    auto& t = table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.entries.find(handle);
    if (it == t.entries.end()) return 0;
    e = std::move(it->second);
    t.entries.erase(it);
  }
  if (e.kind == Entry::Pipe) ::close(e.fd);
  return 1;
}

bool WaitForPipeOrExit(HANDLE pipe, HANDLE process, int timeoutMs) {
  pollfd fds[2];
  nfds_t n = 0;
  const int fd = pipeFd(pipe);
  if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
  if (auto child = processOf(process)) {
    child->poll();
    if (child->reaped) return true;
    if (child->pidfd >= 0) fds[n++] = {child->pidfd, POLLIN, 0};
  }
  int r;
  do r = ::poll(fds, n, timeoutMs); while (r < 0 && errno == EINTR);
  return r > 0;
}

std::string ConsoleText(const char* bytes, size_t count) {
  std::string text;
  text.reserve(count + count / 16);
  const char* end = bytes + count;
  while (bytes < end) {
    const char* lf = static_cast<const char*>(std::memchr(bytes, '\n', static_cast<size_t>(end - bytes)));
    if (!lf) {
      text.append(bytes, end);
      break;
    }
    text.append(bytes, lf);
    text += "\r\n";
    bytes = lf + 1;
  }
  return text;
}

int OpenHandleCount() {
  auto& t = table();
  std::lock_guard<std::mutex> g(t.lock);
  return static_cast<int>(t.entries.size());
}

void FailNthCall(FailingCall call, int n) {
  auto& t = table();
  std::lock_guard<std::mutex> g(t.lock);
  t.failAt[static_cast<int>(call)] = n < 0 ? 0 : n;
}

}  // namespace win
