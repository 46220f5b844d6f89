// labels: engine x11
// libs: fenwo_converter
// The probe with the real engine on the test media.
#include "converter/SourceProbe.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlGetCmdOutput.h"
#include "platform/mci.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "support/paths.h"

namespace {

using namespace mdlFenwoZantiro;

class Probe : public ::testing::Test {
 protected:
  void SetUp() override {
    vb::App::SetPathForTests(testsupport::appDir());
    VideoWidth = VideoHeight = FrameCount = 0;
    VideoLength = VideoFps = 0;
    player.setAttribute(Qt::WA_NativeWindow);
    player.resize(64, 48);
    mci.setAttribute(Qt::WA_NativeWindow);
    vb::SetBoxHook([](const vb::BoxCall& c) {
      ADD_FAILURE() << "message: " << c.prompt;
      return vb::BoxAnswer{};
    });
  }
  void TearDown() override {
    vb::SetBoxHook(nullptr);
    vb::App::SetPathForTests("");
  }
  std::string probe(const std::string& name) {
    return zantiro::ProbeEngine(zantiro::EnginePath(), testsupport::media(name), static_cast<intptr_t>(mci.winId()), [&] {
      ++playerAsked;
      return static_cast<intptr_t>(player.winId());
    });
  }
  QWidget player, mci;
  int playerAsked = 0;
};

TEST_F(Probe, SizeLengthRateAndFramesOfEachSource) {
  struct Case {
    std::string file, result;
    int32_t w, h;
    float length, fps;
    int32_t frames;
  };
  const Case cases[] = {
      {"clip.avi", "", 320, 240, 4, 25, 0},
      {"clip.mp4", "", 320, 240, 4, 25, 0},
      {"sparse-keys.avi", "", 160, 120, 10, 25, 0},
      // The engine gives a GIF's size itself; its frames are counted by playing them.
      {"anim.gif", "Animated Gifs", 160, 120, 4, 5, 20},
      {"static.gif", "Static Gif", 160, 120, 0, 5, 1},
  };
  for (const Case& c : cases) {
    SetUp();
    EXPECT_EQ(probe(c.file), c.result) << c.file;
    EXPECT_EQ(VideoWidth, c.w) << c.file;
    EXPECT_EQ(VideoHeight, c.h) << c.file;
    EXPECT_FLOAT_EQ(VideoLength, c.length) << c.file;
    EXPECT_FLOAT_EQ(VideoFps, c.fps) << c.file;
    EXPECT_EQ(FrameCount, c.frames) << c.file;
  }
  EXPECT_EQ(playerAsked, 0);
}

// A GIF of many frames prints more than one read of the runner: its last status line still counts.
TEST_F(Probe, TheFramesOfALongGif) {
  testsupport::TempDir tmp("longgif");
  const std::string gif = tmp.file("long.gif");
  std::string make = zantiro::EnginePath() + " -benchmark -nosound -vo gif89a:fps=25:output=\"" + gif + "\" \"" +
                     testsupport::media("clip.avi") + "\" -fps 25";
  mdlGetCmdOutput::GetCmdOutput(make, false);
  EXPECT_EQ(zantiro::ProbeEngine(zantiro::EnginePath(), gif, static_cast<intptr_t>(mci.winId()), [] { return intptr_t{0}; }),
            "Animated Gifs");
  EXPECT_EQ(FrameCount, 100);
  EXPECT_FLOAT_EQ(VideoLength, 4);
  EXPECT_FLOAT_EQ(VideoFps, 25);
}

// The engine says 1000 frames per second for Windows Media files; there is no MCI device here,
// so the engine itself is asked in slave mode.
TEST_F(Probe, AThousandFramesPerSecondIsAskedOfTheSlaveEngine) {
  EXPECT_EQ(probe("clip.wmv"), "");
  EXPECT_EQ(playerAsked, 1);
  EXPECT_FLOAT_EQ(VideoFps, 25);
  EXPECT_EQ(VideoWidth, 320);
  EXPECT_NEAR(VideoLength, 4, 0.1);
}

TEST_F(Probe, AMciDeviceThatKnowsTheRateIsAskedFirst) {
  win::SetMciDeviceForTests([](const std::string& command, std::string& answer) -> uint32_t {
    if (command.find(" frame rate") != std::string::npos) answer = "30000";
    return 0;
  });
  probe("clip.wmv");
  win::SetMciDeviceForTests(nullptr);
  EXPECT_EQ(playerAsked, 0);
  EXPECT_FLOAT_EQ(VideoFps, 30);
}

TEST_F(Probe, KeyframeTimeIsWhereDecodingReallyStarts) {
  const std::string sparse = testsupport::media("sparse-keys.avi");
  EXPECT_FLOAT_EQ(zantiro::GetKeyframeTime(sparse, 1), 3);
  EXPECT_FLOAT_EQ(zantiro::GetKeyframeTime(sparse, 4), 6);
  EXPECT_FLOAT_EQ(zantiro::GetKeyframeTime(sparse, 0), 0);
  // With sound, the video time beside the last audio time.
  EXPECT_NEAR(zantiro::GetKeyframeTime(testsupport::media("clip.avi"), 1), 1, 0.5);
}

}  // namespace
