// labels: e2e
// Real starts of the program: a later one hands its command line to the first and ends without
// writing the settings file or ending the first one's engines; the first keeps running.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>

#include "runtime/ddelink.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;

// A program folder of the test's own and a runtime folder apart from a running program's.
void makeProgramFolder(const std::string& app, const std::string& run) {
  fs::create_directories(app + "/plugins");
  fs::create_directories(run);
  fs::permissions(run, fs::perms::owner_all);
  fs::copy_file(testsupport::appDir() + "/Fenwo.Zantiro", app + "/Fenwo.Zantiro");
}

TEST(SingleInstance, SecondStartHandsOverAndEndsWithoutWritingSettings) {
  testsupport::TempDir dir("single");
  const std::string app = dir.file("app"), run = dir.file("run");
  makeProgramFolder(app, run);
  const std::string ini = app + "/Fenwo.Zantiro.ini";

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run));
  env.insert("LC_ALL", "C");
  const QString exe = QString::fromStdString(app + "/Fenwo.Zantiro");

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(exe, {});
  ASSERT_TRUE(first.waitForStarted());
  QElapsedTimer t;
  t.start();
  while (!fs::exists(ini) && t.elapsed() < 15000) QThread::msleep(50);
  ASSERT_TRUE(fs::exists(ini)) << "the first start writes its settings";
  fs::remove(ini);

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(exe, {QString::fromStdString(testsupport::media("clip.avi"))});
  ASSERT_TRUE(second.waitForFinished(15000)) << "the second start ends by itself";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_FALSE(fs::exists(ini)) << "nothing written by the second start";
  EXPECT_EQ(first.state(), QProcess::Running);

  first.terminate();
  if (!first.waitForFinished(5000)) {
    first.kill();
    first.waitForFinished(5000);
  }
}

// Three starts at the same moment: one window stays and answers, the others end; a later start
// reaches it too, and no start but the first ends an engine of the program folder.
TEST(SingleInstance, StartsAtTheSameMomentGiveOneInstanceThatAnswers) {
  testsupport::TempDir dir("single3");
  const std::string app = dir.file("app"), run = dir.file("run");
  makeProgramFolder(app, run);
  qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(run));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("LC_ALL", "C");
  const QString exe = QString::fromStdString(app + "/Fenwo.Zantiro");
  std::vector<std::unique_ptr<QProcess>> starts;
  for (int i = 0; i < 3; ++i) {
    starts.push_back(std::make_unique<QProcess>());
    starts.back()->setProcessEnvironment(env);
  }
  for (auto& p : starts) p->start(exe, {});
  for (auto& p : starts) ASSERT_TRUE(p->waitForStarted());

  // Two end by themselves, normally; one keeps running.
  QElapsedTimer t;
  t.start();
  const auto running = [&] {  // QProcess learns of an end while it waits
    int n = 0;
    for (auto& p : starts) n += !p->waitForFinished(10) && p->state() != QProcess::NotRunning;
    return n;
  };
  while (running() > 1 && t.elapsed() < 20000) {
  }
  ASSERT_EQ(running(), 1);
  for (auto& p : starts)
    if (p->state() == QProcess::NotRunning) {
      EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
      EXPECT_EQ(p->exitCode(), 0);
    }
  EXPECT_TRUE(vb::DdeExecute("Fenwo.Zantiro|FormDDE", "", 10000)) << "the running instance answers";

  // An engine of the program folder at work, then a later start.
  const std::string engine = app + "/plugins/FenwoRes1.exe";
  std::string a0 = engine, secs = "60";
  char* argv[] = {a0.data(), secs.data(), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ), 0);
  QProcess later;
  later.setProcessEnvironment(env);
  later.start(exe, {QString::fromStdString(testsupport::media("clip.avi"))});
  ASSERT_TRUE(later.waitForFinished(15000)) << "the later start ends by itself";
  EXPECT_EQ(later.exitCode(), 0);
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the engine is still at work";
  EXPECT_EQ(running(), 1);
  EXPECT_TRUE(vb::DdeExecute("Fenwo.Zantiro|FormDDE", "", 10000));

  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  for (auto& p : starts) {
    p->terminate();
    if (!p->waitForFinished(5000)) {
      p->kill();
      p->waitForFinished(5000);
    }
  }
}

}  // namespace
