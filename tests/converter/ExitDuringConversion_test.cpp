// labels: e2e engine
// Closing the main window while a conversion runs: the exit question, then the engine and the
// run are stopped before the window goes; nothing is left running.
#include <QTimer>
#include <filesystem>

#include "support/MainWindowFixture.h"

namespace {

using namespace testsupport;

class ExitDuringConversion : public MainWindow {};

TEST_F(ExitDuringConversion, YesStopsTheRunThenCloses) {
  const std::string clip = copyMedia("clip.avi");
  chooseFile(clip, 0);
  // The confirmation, Yes to the exit question, OK to the runner's stop message.
  answers = {{vb::vbOK, ""}, {vb::vbYes, ""}, {vb::vbOK, ""}};
  bool asked = false, unloaded = true;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    const std::string p = w().lblProgress.Caption();
    if (!asked && w().cmdEncode(1).Visible() && p.find(" % --> ") != std::string::npos) {
      asked = true;
      unloaded = vb::Unload(w(), vb::vbFormControlMenu);  // a close request from the system
    }
  });
  closer.start(5);
  encode();
  closer.stop();
  ASSERT_TRUE(asked);
  EXPECT_FALSE(unloaded) << "the window waits for the run to end";
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].prompt, "Exit Fenwo.Zantiro ?");
  EXPECT_EQ(boxes[2].prompt, "Encoding stop !");
  EXPECT_TRUE(mdlGetCmdOutput::StopRequested);
  waitFor([&] { return !w().Loaded(); }, 3000);
  EXPECT_FALSE(w().Loaded());
  EXPECT_EQ(boxes.size(), 3u) << "asked once; no result message";
  EXPECT_TRUE(std::filesystem::exists(appPath() + "/Fenwo.Zantiro.ini"));
  EXPECT_EQ(childProcessCount(), 0);
  EXPECT_TRUE(shells.empty()) << "no viewer started";
}

}  // namespace
