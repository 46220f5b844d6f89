#include "platform/replace.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/fs.h"

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

namespace {

// A new empty file of a name of its own in folder, open for writing; fd -1 when none was made.
std::string MakeTempFile(const std::string& folder, const std::string& prefix, int& fd) {
  std::string path = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  path += prefix + "XXXXXX.tmp";
  std::vector<char> buf(path.begin(), path.end());
  buf.push_back('\0');
  fd = mkostemps(buf.data(), 4, O_CLOEXEC);
  return buf.data();
}

// fsync of an open file; a file system that keeps nothing to flush says so with EINVAL.
bool Flush(int fd) { return fsync(fd) == 0 || errno == EINVAL || errno == ENOSYS; }

bool ReadAt(int fd, off_t at, unsigned char* buf, size_t n) {
  size_t got = 0;
  while (got < n) {
    const ssize_t r = pread(fd, buf + got, n - got, at + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

}  // namespace

std::string GetTempFileNameA(const std::string& folder, const std::string& prefix) {
  int fd = -1;
  std::string path = MakeTempFile(folder, prefix, fd);
  if (fd < 0) return "";
  // The file becomes the user's result: give it the mode any new file of theirs gets, not
  // the private one a temporary file is made with.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  hold(fd, path);
  return path;
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
  if (rename(from.c_str(), to.c_str()) != 0) return 0;
  if (flags & MOVEFILE_WRITE_THROUGH) {
    const size_t slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
  }
  return 1;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st{};
  if (stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0 || access(path.c_str(), W_OK) != 0;
}

bool FlushFileBuffers(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  const bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? syncfs(fd) == 0 : Flush(fd);
  close(fd);
  return ok;
}

bool IsWholePicture(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  unsigned char head[8] = {}, tail[12] = {};
  const bool read = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 4 &&
                    ReadAt(fd, 0, head, std::min<size_t>(8, static_cast<size_t>(st.st_size))) &&
                    ReadAt(fd, std::max<off_t>(0, st.st_size - 12), tail + std::max<off_t>(0, 12 - st.st_size),
                           std::min<size_t>(12, static_cast<size_t>(st.st_size)));
  close(fd);
  if (!read) return false;
  static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static const unsigned char iend[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  if (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0)
    return st.st_size >= 7 && tail[11] == 0x3B;
  if (head[0] == 0xFF && head[1] == 0xD8) return tail[10] == 0xFF && tail[11] == 0xD9;
  if (std::memcmp(head, png, 8) == 0) return st.st_size >= 20 && std::memcmp(tail, iend, 12) == 0;
  return false;
}

bool IsWritableFolder(const std::string& folder) {
  return IsFolder(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsDiskFull(const std::string& folder) {
  int fd = -1;
  const std::string path = MakeTempFile(folder, ".fenwo-", fd);
  if (fd < 0) return errno == ENOSPC || errno == EDQUOT;
  // A few blocks' worth: what a writer's buffer holds.
  const std::vector<char> zeros(16384, '\0');
  size_t written = 0;
  bool full = false;
  while (written < zeros.size()) {
    const ssize_t n = write(fd, zeros.data() + written, zeros.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      full = n == 0 || errno == ENOSPC || errno == EDQUOT;
      break;
    }
    written += static_cast<size_t>(n);
  }
  if (!full && !Flush(fd)) full = errno == ENOSPC || errno == EDQUOT;
  close(fd);
  unlink(path.c_str());
  return full;
}

bool WriteWatch::StampOf(const std::string& path, Stamp& stamp) {
  struct stat st{};
  if (stat(path.c_str(), &st) != 0) return false;
  stamp = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
           static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  return true;
}

WriteWatch::WriteWatch(const std::string& mask) : mask_(mask) {
  const size_t slash = mask.rfind('/');
  folder_ = slash == std::string::npos ? "" : mask.substr(0, slash + 1);
  // Watching first: a write between the look and the watch is then still seen.
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0 && inotify_add_watch(fd_, folder_.empty() ? "." : folder_.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
    close(fd_);
    fd_ = -1;
  }
  for (const std::string& f : FindFiles(mask)) {
    Stamp s;
    if (StampOf(f, s)) before_[f] = s;
  }
}

WriteWatch::~WriteWatch() {
  if (fd_ >= 0) close(fd_);
}

std::vector<std::string> WriteWatch::Written() {
  if (fd_ >= 0) {
    alignas(inotify_event) char buf[8192];
    for (;;) {
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
        if (e->len > 0) closed_.push_back(folder_ + e->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
  }
  std::sort(closed_.begin(), closed_.end());
  std::vector<std::string> written;
  for (const std::string& f : FindFiles(mask_)) {
    Stamp s;
    const auto old = before_.find(f);
    if (old == before_.end() || !StampOf(f, s) || !(s == old->second) ||
        std::binary_search(closed_.begin(), closed_.end(), f))
      written.push_back(f);
  }
  return written;
}

}  // namespace win
