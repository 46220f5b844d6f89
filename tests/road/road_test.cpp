// labels: e2e engine x11
// libs: fenwo_converter X11
// Both programs end to end: the conversion program turns an animated GIF into a GIF with the
// real engine, its result message's OK starts the real viewer program, which shows the new GIF
// at its own size and steps through the other pictures of its folder. (A folder of its own: the
// two programs carry their language tables under the same resource names, so no test program
// may link both.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/MainWindowFixture.h"
#include "support/ViewerWindow.h"

namespace {

namespace fs = std::filesystem;

class Road : public testsupport::MainWindow {};

TEST_F(Road, GifFromTheConverterOpensInTheViewerAtItsSizeAndStepsThroughItsFolder) {
  // The real viewer in the program folder, started for real.
  fs::copy_file(testsupport::appDir() + "/Fenwo.Lumtak.exe", appPath() + "/Fenwo.Lumtak.exe",
                fs::copy_options::overwrite_existing);
  vb::SetShellHook(nullptr);
  const std::string anim = copyMedia("anim.gif");                        // 160 x 120
  fs::copy_file(testsupport::media("pictures/png/p1.png"), dir() + "/p1.png");  // 120 x 90

  chooseFile(anim, 0);
  ASSERT_EQ(w().lblOutput.Caption(), dir() + "/anim_gif2.gif");
  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}};  // the confirmation, then OK to play the GIF
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  ASSERT_NE(boxes[1].prompt.find("Press OK to Play the output Animated GIF"), std::string::npos)
      << boxes[1].prompt;

  testsupport::ViewerWindow viewer;
  ASSERT_TRUE(viewer.WaitFor(160)) << viewer.Title() << " " << viewer.Width();
  EXPECT_EQ(viewer.Title(), " Fenwo.Lumtak  1.6.6  - 100 %");
  // The folder: anim.gif, anim_gif2.gif (shown), p1.png.
  viewer.Key(XK_Next);
  EXPECT_TRUE(viewer.WaitFor(120)) << "Page Down shows p1.png";
  viewer.Key(XK_Prior);
  EXPECT_TRUE(viewer.WaitFor(160)) << "Page Up shows the new GIF again";

  viewer.Close();
  EXPECT_TRUE(testsupport::Gone(viewer.Pid(), 10000));
  EXPECT_TRUE(fs::exists(appPath() + "/Fenwo.Lumtak.ini"));
  EXPECT_FALSE(fs::exists(appPath() + "/harrow.cur"));
}

}  // namespace
