#include "platform/procscan.h"

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

#include "platform/qtext.h"

namespace win {
namespace {

int pidfdOpen(int pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

std::string readLink(const std::string& path) {
  std::string buf(4096, '\0');
  const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
  if (n <= 0) return {};
  buf.resize(static_cast<size_t>(n));
  return buf;
}

// argv[0]: the command line up to its first NUL.
std::string firstArgument(const std::string& procDir) {
  const int fd = ::open((procDir + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string buf(4096, '\0');
  const ssize_t n = ::read(fd, buf.data(), buf.size());
  ::close(fd);
  if (n <= 0) return {};
  buf.resize(static_cast<size_t>(n));
  return buf.substr(0, buf.find('\0'));
}

bool containsNoCase(const std::string& path, const std::string& lowerText) {
  return !path.empty() && ChangeCase(path, false).find(lowerText) != std::string::npos;
}

// The path of the process that contains the text, or "" when neither of its paths does.
std::string matchingPath(const std::string& procDir, const std::string& lowerText) {
  std::string exe = readLink(procDir + "/exe");
  if (containsNoCase(exe, lowerText)) return exe;
  std::string arg0 = firstArgument(procDir);
  if (containsNoCase(arg0, lowerText)) return arg0;
  return {};
}

}  // namespace

FoundProcess::FoundProcess(int pid, int pidfd, std::string path)
    : pid_(pid), pidfd_(pidfd), path_(std::move(path)) {}

FoundProcess::FoundProcess(FoundProcess&& o) noexcept
    : pid_(o.pid_), pidfd_(std::exchange(o.pidfd_, -1)), path_(std::move(o.path_)) {}

FoundProcess& FoundProcess::operator=(FoundProcess&& o) noexcept {
  if (this != &o) {
    if (pidfd_ >= 0) ::close(pidfd_);
    pid_ = o.pid_;
    pidfd_ = std::exchange(o.pidfd_, -1);
    path_ = std::move(o.path_);
  }
  return *this;
}

FoundProcess::~FoundProcess() {
  if (pidfd_ >= 0) ::close(pidfd_);
}

bool FoundProcess::signal(int sig) {
  return pidfd_ >= 0 && ::syscall(SYS_pidfd_send_signal, pidfd_, sig, nullptr, 0) == 0;
}

bool FoundProcess::RequestClose() { return signal(SIGTERM); }
bool FoundProcess::Terminate() { return signal(SIGKILL); }

std::vector<FoundProcess> FindProcessesByPath(const std::string& text) {
  std::vector<FoundProcess> found;
  if (text.empty()) return found;
  const std::string lowerText = ChangeCase(text, false);
  const uid_t me = ::getuid();
  const pid_t self = ::getpid();
  DIR* proc = ::opendir("/proc");
  if (!proc) return found;
  while (dirent* e = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == self) continue;
    const std::string dir = std::string("/proc/") + e->d_name;
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || st.st_uid != me) continue;
    if (matchingPath(dir, lowerText).empty()) continue;
    // Hold the process first, then look again: the id may have passed to another process.
    const int fd = pidfdOpen(static_cast<int>(pid));
    if (fd < 0) continue;
    std::string path = matchingPath(dir, lowerText);
    if (path.empty()) {
      ::close(fd);
      continue;
    }
    found.emplace_back(static_cast<int>(pid), fd, std::move(path));
  }
  ::closedir(proc);
  return found;
}

}  // namespace win
