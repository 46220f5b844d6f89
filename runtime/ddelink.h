// DDE links between instances of a program: a window that is a link source answers
// "application|topic"; another process executes commands on it. Served by a local socket of
// this user, so one source of a name exists per user.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace vb {

class DdeSource {
 public:
  // The command text and the Cancel flag (a command left cancelled counts as refused).
  using ExecuteHandler = std::function<void(const std::string& command, bool& cancel)>;

  DdeSource();
  ~DdeSource();
  DdeSource(const DdeSource&) = delete;
  DdeSource& operator=(const DdeSource&) = delete;

  // Becomes the source of application|topic. False when another process is (or is becoming)
  // that source: the previous-instance test.
  bool Open(const std::string& application, const std::string& topic);
  // Stops being the source; safe without Open.
  void Close();
  bool IsOpen() const;

  ExecuteHandler LinkExecute;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Executes one command on the source named by "application|topic" (the client's manual link).
// False when no source accepted it within timeoutMs.
bool DdeExecute(const std::string& linkTopic, const std::string& command, int timeoutMs = 3000);

}  // namespace vb
