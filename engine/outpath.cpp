#include "outpath.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string_view>

namespace shim {
namespace {

// Free of the characters the engine's option syntax reads (lists, options, values, quotes,
// length prefixes, escapes).
bool isPlain(std::string_view path) { return path.find_first_of(",:=%\"'\\[]") == std::string_view::npos; }

// A descriptor of the folder, kept open in the engine (no close-on-exec); -1 when it cannot be
// opened, and the path then stays as it is for the engine to fail on.
int openFolder(const std::string& folder) {
  return open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY);
}

std::string mendValue(const std::string& value) {
  const std::string driver = value.substr(0, value.find(':'));
  const bool file = driver == "gif89a";
  if (!file && driver != "jpeg" && driver != "png") return value;
  const std::string key = file ? ":output=" : ":outdir=";
  const size_t at = value.find(key);
  if (at == std::string::npos) return value;
  const size_t start = at + key.size();
  const std::string path = value.substr(start);
  if (path.empty() || isPlain(path)) return value;
  std::string folder = path;
  std::string name;
  if (file) {
    const size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : path.substr(0, slash);
    name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  } else {
    mkdir(path.c_str(), 0755);
  }
  const int fd = openFolder(folder);
  if (fd < 0) return value;
  std::string safe = "/proc/self/fd/" + std::to_string(fd);
  if (file) safe += "/" + name;
  if (!isPlain(safe)) safe = "%" + std::to_string(safe.size()) + "%" + safe;
  return value.substr(0, start) + safe;
}

}  // namespace

void MendOutputPaths(std::vector<std::string>& words) {
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == "-vo") words[i + 1] = mendValue(words[i + 1]);
}

}  // namespace shim
