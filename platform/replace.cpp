#include "platform/replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <map>
#include <vector>

namespace win {
namespace {

// A work file of this program: its descriptor, locked while the work goes on, and its folder.
struct Held {
  int file = -1;
  int folder = -1;
};
std::map<std::string, Held>& held() {
  static std::map<std::string, Held> h;
  return h;
}

void hold(int fd, const std::string& path) {
  flock(fd, LOCK_EX | LOCK_NB);
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  held()[path] = Held{fd, open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)};
}

// Whether name in folder is still the file fd has open.
bool sameFile(int fd, int folder, const std::string& name) {
  struct stat a{}, b{};
  return fstat(fd, &a) == 0 && fstatat(folder, name.c_str(), &b, AT_SYMLINK_NOFOLLOW) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// prefix, six letters or digits, ".tmp": the names GetTempFileNameA gives.
bool isTempName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 10 || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - 4, 4, ".tmp") != 0)
    return false;
  for (size_t i = prefix.size(); i < prefix.size() + 6; ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

}  // namespace

std::string GetTempFileNameA(const std::string& folder, const std::string& prefix) {
  std::string path = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  path += prefix + "XXXXXX.tmp";
  std::vector<char> buf(path.begin(), path.end());
  buf.push_back('\0');
  const int fd = mkostemps(buf.data(), 4, O_CLOEXEC);
  if (fd < 0) return "";
  // The file becomes the user's result: give it the mode any new file of theirs gets, not
  // the private one a temporary file is made with.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  hold(fd, buf.data());
  return buf.data();
}

void ReleaseTempFile(const std::string& path) {
  const auto it = held().find(path);
  if (it == held().end()) return;
  const Held h = it->second;
  held().erase(it);
  const std::string name = path.substr(path.rfind('/') + 1);
  if (h.folder >= 0 && sameFile(h.file, h.folder, name)) unlinkat(h.folder, name.c_str(), 0);
  if (h.folder >= 0) close(h.folder);
  close(h.file);
}

int RemoveStaleTempFiles(const std::string& folder, const std::string& prefix) {
  const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return 0;
  std::vector<std::string> names;
  if (DIR* d = fdopendir(dup(dir))) {
    while (const dirent* e = readdir(d))
      if (isTempName(e->d_name, prefix)) names.emplace_back(e->d_name);
    closedir(d);
  }
  int removed = 0;
  for (const std::string& name : names) {
    struct stat st{};
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid())
      continue;
    const int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A file a running program marks (this one's included) cannot be locked here.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, dir, name) && unlinkat(dir, name.c_str(), 0) == 0)
      ++removed;
    close(fd);
  }
  close(dir);
  return removed;
}

int MoveFileExA(const std::string& from, const std::string& to, uint32_t flags) {
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
    struct stat st{};
    if (lstat(to.c_str(), &st) == 0) return 0;
  }
  return rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st{};
  if (stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0 || access(path.c_str(), W_OK) != 0;
}

// The coarse clock is the one the kernel stamps files with; the fine one may run ahead of it.
int64_t GetSystemTimeAsFileTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME_COARSE, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t GetFileWriteTime(const std::string& path) {
  struct stat st{};
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace win
