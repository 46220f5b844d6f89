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
  // An old GIF of the target's name, which the stopped run must leave as it was.
  const std::string old = dir() + "/clip.gif";
  writeFile(old, "GIF89a the old one");
  // Replace it, the confirmation, Yes to the exit question, OK to the runner's stop message.
  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}, {vb::vbYes, ""}, {vb::vbOK, ""}};
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
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[2].prompt, "Exit Fenwo.Zantiro ?");
  EXPECT_EQ(boxes[3].prompt, "Encoding stop !");
  EXPECT_TRUE(mdlGetCmdOutput::StopRequested);
  waitFor([&] { return !w().Loaded(); }, 3000);
  EXPECT_FALSE(w().Loaded());
  EXPECT_EQ(boxes.size(), 4u) << "asked once; no result message";
  EXPECT_EQ(readFile(old), "GIF89a the old one");
  for (const auto& e : std::filesystem::directory_iterator(dir()))
    EXPECT_NE(e.path().extension(), ".tmp") << "the run's own file is gone";
  EXPECT_TRUE(std::filesystem::exists(appPath() + "/Fenwo.Zantiro.ini"));
  EXPECT_EQ(childProcessCount(), 0);
  EXPECT_TRUE(shells.empty()) << "no viewer started";
}

}  // namespace
