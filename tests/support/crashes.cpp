#include "support/crashes.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "support/crashhandler.h"
#include "support/paths.h"

namespace testsupport {
namespace fs = std::filesystem;

namespace {
std::set<std::string>& taken() {
  static std::set<std::string> t;
  return t;
}

std::string folder() {
  const char* d = std::getenv("FENWO_CRASH_DIR");
  return d ? d : "";
}

// A crash of a test or of what it started fails that test, after the test has run but before
// its result is printed (listeners hear of a test's end last to first).
class CrashListener : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    const std::string reports = NewCrashReports();
    if (!reports.empty()) ADD_FAILURE() << "a process crashed during this test:\n" << reports;
  }
};
}  // namespace

void WatchCrashes(const std::string& dir) {
#ifndef FENWO_NO_CRASH_HANDLER
  if (folder().empty()) {
    fs::create_directories(dir);
    setenv("FENWO_CRASH_DIR", dir.c_str(), 1);
  }
  fenwo_crash_handler_install();
  std::string preload = FENWO_CRASH_PRELOAD;
  if (const char* old = std::getenv("LD_PRELOAD"); old && *old) {
    if (std::strstr(old, FENWO_CRASH_PRELOAD)) preload = old;
    else preload += std::string(":") + old;
  }
  setenv("LD_PRELOAD", preload.c_str(), 1);
  ::testing::UnitTest::GetInstance()->listeners().Append(new CrashListener);
#else
  (void)dir;
#endif
}

std::string NewCrashReports() {
  std::string out;
  std::error_code ec;
  const std::string dir = folder();
  if (dir.empty()) return out;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (e.path().extension() != ".txt" || taken().count(name)) continue;
    taken().insert(name);
    out += readFile(e.path().string()) + "\n";
  }
  return out;
}

bool StopForCrash() {
  const std::string reports = NewCrashReports();
  if (reports.empty()) return false;
  ADD_FAILURE() << "a process crashed:\n" << reports;
  return true;
}

bool CrashReported(long pid) {
  const std::string dir = folder();
  std::error_code ec;
  return !dir.empty() && fs::exists(dir + "/crash-" + std::to_string(pid) + ".txt", ec);
}

std::string KilledBy(QProcess& p, long pid) {
  p.waitForFinished(0);  // learns of an end that came meanwhile
  if (p.state() != QProcess::NotRunning || p.exitStatus() != QProcess::CrashExit) return {};
  return p.program().toStdString() + " (pid " + std::to_string(pid) + ") was killed by " +
         SignalName(p.exitCode()) + (CrashReported(pid) ? " (see its crash report)" : "") +
         "; what it wrote:\n" + p.readAll().toStdString();
}

std::string SignalName(int sig) {
  const char* abbrev = sigabbrev_np(sig);
  return abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(sig);
}

}  // namespace testsupport
