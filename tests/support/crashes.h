// Crashes of a test program and of every program it starts, as failures of the test that runs.
//
// Each test program and everything it starts carries the fatal-signal handler of
// crashhandler.cpp, which writes a report with the stack into the folder named by
// FENWO_CRASH_DIR. A report that came during a test fails that test with the report (the
// listener that main installs); the screen harness's waits stop at a report at once.
#pragma once
#include <string>

class QProcess;

namespace testsupport {

// Sets up the reports for this test program: the folder (unless a test program that started
// this one named its own), the handler here, and the handler preloaded into what it starts.
void WatchCrashes(const std::string& folder);
// The reports that came since the last call, whole ("" for none).
std::string NewCrashReports();
// For a wait: fails the test with the reports that came meanwhile, and says whether there were.
bool StopForCrash();
// Whether a report came from that process (whether or not it was taken already).
bool CrashReported(long pid);
// "SIGSEGV" for 11.
std::string SignalName(int sig);
// How a process (of that id: QProcess forgets it at the end) that a signal ended died, with what
// it wrote when its output was kept ("" while it runs or when it ended by itself). Call it
// before the test ends the process itself.
std::string KilledBy(QProcess& p, long pid);

}  // namespace testsupport
