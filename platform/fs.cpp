#include "platform/fs.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

std::string GetTempPathA() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = t && *t ? t : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string GetWindowsDirectoryA() { return {}; }
std::string GetSystemDirectoryA() { return {}; }

std::string GetShortPathNameA(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(path.c_str(), &st) == 0 ? path : std::string();
}

bool SetCurrentDirectoryA(const std::string& path) {
  return !path.empty() && chdir(path.c_str()) == 0;
}

std::string GetHomeFolder() {
  const char* home = std::getenv("HOME");
  std::string h = home && *home ? home : "/";
  if (h.back() != '/') h += '/';
  return h;
}

std::string GetCurrentDirectoryA() {
  std::string buf(4096, '\0');
  while (!getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  return buf.c_str();
}

bool MatchesWildcard(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  // Characters compared case-folded, one code point each; greedy match with one back-tracking
  // point per "*" (enough for * and ?).
  const std::u32string n = QString::fromStdString(name).toCaseFolded().toStdU32String();
  const std::u32string p = QString::fromStdString(pattern).toCaseFolded().toStdU32String();
  size_t i = 0, j = 0, starP = std::u32string::npos, starN = 0;
  while (i < n.size()) {
    if (j < p.size() && p[j] == U'*') {
      starP = j++;
      starN = i;
    } else if (j < p.size() && (p[j] == U'?' || p[j] == n[i])) {
      ++i;
      ++j;
    } else if (starP != std::u32string::npos) {
      j = starP + 1;
      i = ++starN;
    } else {
      return false;
    }
  }
  while (j < p.size() && p[j] == U'*') ++j;
  return j == p.size();
}

bool IsFileMask(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat st{};
  return last.size() > 2 && last.compare(0, 2, "*.") == 0 &&
         last.find_first_of("*?", 2) == std::string::npos && lstat(path.c_str(), &st) != 0;
}

bool IsFile(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFileMask(const std::string& path, const std::string& ext) {
  const std::string last = "/*." + ext;
  return IsFileMask(path) && path.size() + 1 >= last.size() &&
         MatchesWildcard(("/" + path).substr(path.size() + 1 - last.size()), last);
}

std::vector<std::string> FindFiles(const std::string& pattern) {
  std::vector<std::string> found;
  if (!IsFileMask(pattern)) {
    if (IsFile(pattern)) found.push_back(pattern);
    return found;
  }
  const size_t slash = pattern.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  const std::string mask = pattern.substr(folder.size());
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return found;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name[0] == '.' || !MatchesWildcard(name, mask)) continue;
    if (IsFile(folder + name)) found.push_back(folder + name);
  }
  closedir(d);
  std::sort(found.begin(), found.end());
  return found;
}

long long FileLen(const std::string& path) {
  struct stat st{};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

bool DeleteFileA(const std::string& path) {
  struct stat st{};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Read-only: no write bit for its owner, or none for us.
  if ((st.st_mode & S_IWUSR) == 0 || access(path.c_str(), W_OK) != 0) return false;
  return unlink(path.c_str()) == 0;
}

std::optional<std::string> ReadWholeFile(const std::string& path, size_t most) {
  if (!IsFile(path)) return std::nullopt;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  char buf[65536];
  for (;;) {
    if (data.size() >= most) break;
    const ssize_t n = read(fd, buf, std::min(sizeof buf, most - data.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return data;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace win
