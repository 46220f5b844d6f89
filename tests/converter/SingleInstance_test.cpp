// labels: e2e
// Two real starts of the program: the second hands its command line to the first and ends
// without writing the settings file; the first keeps running.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <filesystem>

#include "support/paths.h"

namespace {

namespace fs = std::filesystem;

TEST(SingleInstance, SecondStartHandsOverAndEndsWithoutWritingSettings) {
  testsupport::TempDir dir("single");
  const std::string app = dir.file("app"), run = dir.file("run");
  fs::create_directories(app + "/plugins");
  fs::create_directories(run);
  fs::permissions(run, fs::perms::owner_all);
  fs::copy_file(testsupport::appDir() + "/Fenwo.Zantiro", app + "/Fenwo.Zantiro");
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

}  // namespace
