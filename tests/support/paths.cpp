#include "support/paths.h"

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir(const std::string& tag) {
  std::string tmpl = (std::filesystem::temp_directory_path() / ("fenwo-" + tag + "-XXXXXX")).string();
  char* made = mkdtemp(tmpl.data());
  path_ = made ? made : tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return path;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int openDescriptorCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
    --n;  // the one opendir holds
  }
  return n;
}

int childProcessCount() {
  int n = 0;
  const std::string me = std::to_string(getpid());
  for (const auto& e : std::filesystem::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(e.path() / "stat");
    std::string line;
    std::getline(stat, line);
    auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == me) ++n;
  }
  return n;
}

}  // namespace testsupport
