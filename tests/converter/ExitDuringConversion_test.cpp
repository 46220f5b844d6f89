// labels: e2e engine
// Closing the main window while a conversion runs or Encode Now asks its questions: the exit
// question, then the engine and the run are stopped (or none is started) before the window and
// the others go; nothing is left running.
#include <QTimer>
#include <filesystem>

#include "converter/frmPlayer.h"
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

TEST_F(ExitDuringConversion, YesDuringTheQuestionsRunsNothingThenCloses) {
  const std::string clip = copyMedia("sparse-keys.avi");
  chooseFile(clip, 0);
  mdlFenwoZantiro::ScopeStart = 4;  // a start the key-frame search moves, with a question
  mdlFenwoZantiro::ScopeEnd = 9;
  zantiro::frmPlayer::Default().Show();
  bool unloaded = true;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    boxes.push_back(c);
    if (boxes.size() == 1) {
      unloaded = vb::Unload(w(), vb::vbFormControlMenu);  // a close request from the system
      return vb::BoxAnswer{vb::vbYes, ""};                 // then the key-frame question's answer
    }
    return vb::BoxAnswer{boxes.size() == 2 ? vb::vbYes : vb::vbOK, ""};
  });
  encode();
  EXPECT_FALSE(unloaded) << "the window waits for Encode Now";
  ASSERT_EQ(boxes.size(), 2u) << "no confirmation and no result after the exit";
  EXPECT_NE(boxes[0].prompt.find("keyframes"), std::string::npos) << boxes[0].prompt;
  EXPECT_EQ(boxes[1].prompt, "Exit Fenwo.Zantiro ?");
  waitFor([&] { return !w().Loaded(); }, 3000);
  EXPECT_FALSE(w().Loaded());
  EXPECT_FALSE(zantiro::frmPlayer::Default().Loaded()) << "the player window goes with it";
  EXPECT_FALSE(std::filesystem::exists(dir() + "/sparse-keys.gif"));
  for (const auto& e : std::filesystem::directory_iterator(dir()))
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
  EXPECT_EQ(childProcessCount(), 0);
  zantiro::frmPlayer::Release();
}

}  // namespace
