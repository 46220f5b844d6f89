// Finding and ending processes of this user by the path they were started from.
#pragma once
#include <string>
#include <vector>

namespace win {

// One process, held open (a pidfd) so that a signal reaches it and never a later process that
// got the same id.
class FoundProcess {
 public:
  FoundProcess(int pid, int pidfd, std::string path);
  FoundProcess(FoundProcess&& other) noexcept;
  FoundProcess& operator=(FoundProcess&& other) noexcept;
  FoundProcess(const FoundProcess&) = delete;
  FoundProcess& operator=(const FoundProcess&) = delete;
  ~FoundProcess();

  int pid() const { return pid_; }
  const std::string& path() const { return path_; }  // the path that matched
  bool RequestClose();  // SIGTERM, the close request
  bool Terminate();     // SIGKILL

 private:
  bool signal(int sig);
  int pid_;
  int pidfd_;
  std::string path_;
};

// Processes of this user, other than this one, whose path contains the text without regard to
// case. A process's path is its executable, or the first word of its command line (the engine
// shim keeps the plug-ins path there when it runs the real engine). Processes whose path
// cannot be read are never found; an empty text finds nothing.
std::vector<FoundProcess> FindProcessesByPath(const std::string& text);

}  // namespace win
