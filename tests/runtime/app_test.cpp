// labels: unit
#include "runtime/app.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

// Run by the test below as a second instance of this program.
TEST(App, PrevInstanceSeenBySecondStart) {
  if (!std::getenv("FENWO_PREV_CHILD")) GTEST_SKIP() << "only as the second instance";
  std::printf("prev=%d\n", vb::App::PrevInstance() ? 1 : 0);
}

TEST(App, PrevInstanceOnlyWhileTheFirstRuns) {
  ASSERT_FALSE(vb::App::PrevInstance());
  auto second = [] {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FENWO_PREV_CHILD", "1");
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=App.PrevInstanceSeenBySecondStart"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
  };
  EXPECT_TRUE(second().contains("prev=1"));
  EXPECT_FALSE(vb::App::PrevInstance());  // the answer of the first call stands
}

// Run by the test below: an instance that answers and then runs until its input closes.
TEST(App, PrevInstanceHeldUntilInputCloses) {
  if (!std::getenv("FENWO_PREV_HOLD")) GTEST_SKIP() << "only as a started instance";
  std::printf("prev=%d\n", vb::App::PrevInstance() ? 1 : 0);
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
}

// A folder standing where the instance file belongs: still one instance holds, the next start
// sees it.
TEST(App, PrevInstanceHoldsWhenTheInstanceFileIsAFolder) {
  const QString run = QDir::tempPath() + QString("/fenwo-prev-%1").arg(QCoreApplication::applicationPid());
  QDir().mkpath(run);
  QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  ASSERT_TRUE(QDir().mkpath(QString("%1/%2-%3.instance").arg(run, exe).arg(getuid())));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", run);
  env.insert("FENWO_PREV_HOLD", "1");
  auto start = [&](QProcess& p) {
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=App.PrevInstanceHeldUntilInputCloses"});
    QByteArray out;
    while (!out.contains("prev=") && p.waitForReadyRead(30000)) out += p.readAllStandardOutput();
    return QString::fromUtf8(out);
  };
  QProcess first, second;
  EXPECT_TRUE(start(first).contains("prev=0")) << "the first start is the first instance";
  EXPECT_TRUE(start(second).contains("prev=1")) << "a later start sees the first";
  for (QProcess* p : {&first, &second}) {
    p->closeWriteChannel();
    p->waitForFinished(30000);
  }
  QDir(run).removeRecursively();
}
