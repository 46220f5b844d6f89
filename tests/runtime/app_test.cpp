// labels: unit
#include "runtime/app.h"

#include <QCoreApplication>
#include <QProcess>
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
