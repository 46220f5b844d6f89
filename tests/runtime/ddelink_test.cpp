// labels: unit
// The DDE link between instances: one source per name, commands reach its handler, a link
// without a source fails in time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "runtime/ddelink.h"
#include "support/paths.h"

namespace {

class DdeLink : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1); }
  // Runs a client in a thread while this thread serves the source's events.
  bool Execute(const std::string& topic, const std::string& command, int timeoutMs = 3000) {
    std::atomic<int> result{-1};
    std::thread client([&] { result = vb::DdeExecute(topic, command, timeoutMs) ? 1 : 0; });
    while (result < 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    client.join();
    return result == 1;
  }
  testsupport::TempDir dir_{"dde"};
};

TEST_F(DdeLink, OneSourcePerNameUntilItCloses) {
  vb::DdeSource first, second, other;
  EXPECT_TRUE(first.Open("Fenwo.Zantiro", "FormDDE"));
  EXPECT_FALSE(second.Open("Fenwo.Zantiro", "FormDDE"));
  EXPECT_FALSE(second.IsOpen());
  EXPECT_TRUE(other.Open("Fenwo.Zantiro", "OtherTopic"));
  first.Close();
  EXPECT_TRUE(second.Open("Fenwo.Zantiro", "FormDDE"));
}

TEST_F(DdeLink, CommandReachesTheSourceWhichAnswersByItsCancelFlag) {
  vb::DdeSource source;
  ASSERT_TRUE(source.Open("Fenwo.Zantiro", "FormDDE"));
  std::vector<std::string> seen;
  bool refuse = false;
  source.LinkExecute = [&](const std::string& command, bool& cancel) {
    seen.push_back(command);
    cancel = refuse;
  };
  const std::string cmd = "\"/home/u/my clips/a b.avi\" 中文";
  EXPECT_TRUE(Execute("Fenwo.Zantiro|FormDDE", cmd));
  EXPECT_TRUE(Execute("Fenwo.Zantiro|FormDDE", ""));
  refuse = true;
  EXPECT_FALSE(Execute("Fenwo.Zantiro|FormDDE", "x"));
  EXPECT_EQ(seen, (std::vector<std::string>{cmd, "", "x"}));
}

TEST_F(DdeLink, NoSourceFailsWhenTheTimeIsUp) {
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(vb::DdeExecute("Fenwo.Zantiro|FormDDE", "x", 300));
  EXPECT_LT(t.elapsed(), 3000);
  vb::DdeSource source;
  ASSERT_TRUE(source.Open("Fenwo.Zantiro", "FormDDE"));
  source.Close();
  EXPECT_FALSE(vb::DdeExecute("Fenwo.Zantiro|FormDDE", "x", 300));
}

}  // namespace
