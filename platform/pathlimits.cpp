#include "platform/pathlimits.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

bool NameFitsFileSystem(const std::string& path) {
  if (path.size() + 1 > PATH_MAX) return false;
  // The nearest folder that exists decides for the parts below it.
  std::string folder = path.substr(0, path.rfind('/') + 1);
  struct stat st{};
  while (folder.size() > 1 && stat(folder.c_str(), &st) != 0)
    folder = folder.substr(0, folder.rfind('/', folder.size() - 2) + 1);
  const long max = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  const size_t longest = max > 0 ? static_cast<size_t>(max) : NAME_MAX;
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    if (end - at > longest) return false;
    at = end + 1;
  }
  return true;
}

}  // namespace win
