// labels: unit
// A process that dies is reported as a crash, with the signal's name and its stack: a program
// the test started (the handler preloaded into it), and the screen harness's waits stop at it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <cstdlib>

#include "support/ScreenGrab.h"
#include "support/crashes.h"

namespace {

#ifdef FENWO_NO_CRASH_HANDLER
#define SKIP_WITHOUT_HANDLER() GTEST_SKIP() << "the sanitizers report faults themselves"
#else
#define SKIP_WITHOUT_HANDLER() (void)0
#endif

// Started again as a child with FENWO_FAULT_NOW set, this program faults before its main.
int* volatile nowhere = nullptr;  // volatile: the compiler may not see that it is null
[[gnu::noinline]] void FaultNow() { *nowhere = 1; }
[[maybe_unused]] const bool faulted = [] {
  if (!std::getenv("FENWO_FAULT_NOW")) return false;
  FaultNow();
  std::_Exit(3);  // never the tests again, which would start it again
}();

void StartFaulting(QProcess& p) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("FENWO_FAULT_NOW", "1");
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start("/proc/self/exe", {});
}

TEST(Crashes, AFaultIsReportedWithItsSignalAndStack) {
  SKIP_WITHOUT_HANDLER();
  QProcess p;
  StartFaulting(p);
  ASSERT_TRUE(p.waitForStarted());
  const long pid = p.processId();
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
  EXPECT_EQ(p.exitCode(), SIGSEGV) << "it still dies of its signal";
  const std::string output = p.readAll().toStdString();
  EXPECT_TRUE(testsupport::CrashReported(pid));
  const std::string report = testsupport::NewCrashReports();  // taken: this crash was asked for
  EXPECT_NE(report.find("died of SIGSEGV at address 0x0"), std::string::npos) << report;
  EXPECT_NE(report.find("FaultNow"), std::string::npos) << "the stack names the function:\n" << report;
  EXPECT_NE(output.find("died of SIGSEGV"), std::string::npos) << "and the program's own output shows it";
  EXPECT_NE(testsupport::KilledBy(p, pid).find("killed by SIGSEGV (see its crash report)"), std::string::npos);
}

TEST(Crashes, AKillIsToldByItsSignal) {
  QProcess p;
  p.start("sleep", {"30"});
  ASSERT_TRUE(p.waitForStarted());
  const long pid = p.processId();
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_NE(testsupport::KilledBy(p, pid).find("killed by SIGKILL"), std::string::npos);
  EXPECT_EQ(testsupport::NewCrashReports(), "") << "a kill leaves no report";
}

// Whatever a wait waits for, a crash meanwhile ends it at once and fails the test.
TEST(Crashes, AWaitStopsAtACrash) {
  SKIP_WITHOUT_HANDLER();
  QProcess p;
  QElapsedTimer clock;
  EXPECT_NONFATAL_FAILURE(
      {
        StartFaulting(p);
        clock.start();
        EXPECT_FALSE(testsupport::screen::WaitUntil([] { return false; }, 120000));
      },
      "died of SIGSEGV");
  EXPECT_LT(clock.elapsed(), 60000);
  p.waitForFinished(10000);
}

}  // namespace
