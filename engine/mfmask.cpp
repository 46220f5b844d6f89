#include "engine/mfmask.h"

#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// The extension of a mask built by the programs ("*." and an extension free of wildcards as
// the last part, and no file of that very name), else "".
std::string maskExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat st{};
  if (last.size() < 3 || last.compare(0, 2, "*.") != 0 || last.find_first_of("*?", 2) != std::string::npos ||
      lstat(path.c_str(), &st) == 0)
    return "";
  return last.substr(1);
}

bool endsWithNoCase(const std::string& name, const std::string& end) {
  return name.size() >= end.size() && strncasecmp(name.c_str() + name.size() - end.size(), end.c_str(), end.size()) == 0;
}

// The files of folder ("" for the current one) named "<anything>" & dotExt, as folder & name,
// sorted by bytes as the engine's own glob sorts them in the C locale.
std::vector<std::string> matches(const std::string& folder, const std::string& dotExt) {
  std::vector<std::string> found;
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return found;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    struct stat st{};
    if (name[0] == '.' || !endsWithNoCase(name, dotExt)) continue;
    if (stat((folder + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) found.push_back(folder + name);
  }
  closedir(d);
  std::sort(found.begin(), found.end());
  // A name of the current folder handed over as an argument must not read as an option.
  for (std::string& f : found)
    if (f[0] == '-') f = "./" + f;
  return found;
}

// A list the engine reads as "mf://@<file>": one path a line (it strips the blanks at a line's
// end, which a name ending in the extension never has; a name holding a line break cannot be
// listed and is left out).
std::string listFile(const std::vector<std::string>& files) {
  const int fd = memfd_create("pictures", 0);  // inherited by the engine across exec
  if (fd < 0) return "";
  std::string text;
  for (const std::string& f : files)
    if (f.find('\n') == std::string::npos) text += f + "\n";
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) {
      close(fd);
      return "";
    }
    done += static_cast<size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

void AddPictureMask(std::vector<std::string>& words, const std::string& arg) {
  if (arg.rfind("mf://", 0) == 0) {
    const std::string mask = arg.substr(5);
    const std::string ext = maskExtension(mask);
    const std::vector<std::string> files =
        ext.empty() ? std::vector<std::string>() : matches(mask.substr(0, mask.rfind('/') + 1), ext);
    const std::string list = files.empty() ? "" : listFile(files);
    words.push_back(list.empty() ? arg : "mf://@" + list);
    return;
  }
  // The engine on Windows expands a wildcard argument of the current folder itself.
  const std::string ext = arg.find('/') == std::string::npos ? maskExtension(arg) : "";
  const std::vector<std::string> files = ext.empty() ? std::vector<std::string>() : matches("", ext);
  if (files.empty()) words.push_back(arg);
  else words.insert(words.end(), files.begin(), files.end());
}
