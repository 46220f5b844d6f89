#include "platform/replace.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <vector>

namespace win {

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
  close(fd);
  return buf.data();
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
