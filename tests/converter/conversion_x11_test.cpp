// labels: engine x11
// libs: fenwo_converter
// A Windows Media source from the main window: the engine's 1000 frames per second are asked
// again of the slave engine, which draws into the options window's player (an X window).
#include <gtest/gtest.h>

#include "support/MainWindowFixture.h"

namespace {

using namespace mdlFenwoZantiro;

class WindowsMedia : public testsupport::MainWindow {};

TEST_F(WindowsMedia, TheRealFrameRateFromTheSlaveEngine) {
  chooseFile(copyMedia("clip.wmv"), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(VideoFps, 25);
  EXPECT_EQ(w().lblVideoSize.Caption(), "Source File size : 320 x 240");
  EXPECT_EQ(w().lblVideoLen.Caption().rfind("Source File length : 00:00:04.", 0), 0u);
  EXPECT_NE(w().lblVideoLen.Caption().find(", Frames per second : 25"), std::string::npos);
  EXPECT_FALSE(frmOptions().Visible());
}

}  // namespace
