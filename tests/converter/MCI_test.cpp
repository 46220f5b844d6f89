// labels: unit
#include "converter/MCI.h"

#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/mci.h"
#include "runtime/msgbox.h"
#include "support/paths.h"

namespace {

// A device that answers as a Windows MCI video device does: files that exist open, lengths
// follow the time format, unknown aliases are refused.
class ScriptedDevice {
 public:
  std::vector<std::string> commands;
  std::string frameRate = "25000";
  int frames = 250, milliseconds = 10000;

  ScriptedDevice() {
    win::SetMciDeviceForTests([this](const std::string& c, std::string& a) { return answer(c, a); });
  }
  ~ScriptedDevice() { win::SetMciDeviceForTests(nullptr); }

 private:
  std::map<std::string, std::string> formats_;  // open alias -> time format

  uint32_t answer(const std::string& command, std::string& out) {
    commands.push_back(command);
    std::istringstream in(command);
    std::string verb, alias;
    in >> verb;
    if (verb == "open") return open(command);
    in >> alias;
    if (!formats_.count(alias)) return win::MCIERR_INVALID_DEVICE_NAME;
    const std::string rest = command.substr(verb.size() + 1 + alias.size());
    if (verb == "close") {
      formats_.erase(alias);
      return 0;
    }
    if (rest.rfind(" time format ", 0) == 0) formats_[alias] = rest.substr(13);
    const bool ms = formats_[alias] == "ms";
    if (rest == " frame rate") out = frameRate;
    if (rest == " length") out = std::to_string(ms ? milliseconds : frames);
    if (rest == " length track 3") out = "180000";
    if (rest == " position track 3") out = "120000";
    if (rest == " mode") out = "playing\r";
    if (rest == " source") out = "0 0 320 240";
    return 0;
  }

  uint32_t open(const std::string& command) {
    const auto alias = command.substr(command.find(" alias ") + 7);
    const auto name = alias.substr(0, alias.find(' '));
    if (command.rfind("open \"", 0) == 0) {
      const auto file = command.substr(6, command.find('"', 6) - 6);
      if (!std::ifstream(file)) return 275;  // file not found
    }
    formats_[name] = "frames";
    return 0;
  }
};

using Commands = std::vector<std::string>;

// A file opened on the scripted device under the default alias.
class OpenedFile : public ::testing::Test {
 protected:
  void SetUp() override { mci.openMCI(testsupport::writeFile(tmp.file("a.mpg"), "x"), 7); }
  testsupport::TempDir tmp{"mci"};
  ScriptedDevice dev;
  zantiro::MCI mci;
};

TEST(MCI, FrameRateOfADeviceAnswerInThousandths) {
  testsupport::TempDir tmp("mci");
  const std::string src = testsupport::writeFile(tmp.file("clip.wmv"), "x");
  for (const auto& [answer, fps] : std::vector<std::pair<std::string, float>>{
           {"25000", 25.0f}, {"29970", 29.97f}, {"1000000", 1000.0f}}) {
    ScriptedDevice dev;
    dev.frameRate = answer;
    zantiro::MCI mci;
    mci.openMCI(src, 1234, "forGetFps");
    EXPECT_TRUE(mci.isSuccess());
    EXPECT_FLOAT_EQ(mci.getFramesRateMPG(), fps) << answer;
    mci.closeMCI("forGetFps");
    EXPECT_TRUE(mci.isSuccess());
    EXPECT_EQ(dev.commands,
              (Commands{"stop forGetFps", "close forGetFps",
                        "open \"" + src + "\" type mpegvideo alias forGetFps parent 1234 style child",
                        "set forGetFps time format frames", "status forGetFps frame rate",
                        "stop forGetFps", "close forGetFps"}));
  }
}

TEST(MCI, AFileTheDeviceCannotOpenGivesMinusOne) {
  {
    ScriptedDevice dev;
    zantiro::MCI mci;
    mci.openMCI("/nonexistent/clip.wmv", 1, "forGetFps");
    EXPECT_FALSE(mci.isSuccess());
    EXPECT_EQ(mci.getFramesRateMPG(), -1.0f);
  }
  // This system's own answer: no device at all.
  testsupport::TempDir tmp("mci");
  zantiro::MCI mci;
  mci.openMCI(testsupport::writeFile(tmp.file("a.asf"), "x"), 1, "forGetFps");
  EXPECT_FALSE(mci.isSuccess());
  EXPECT_EQ(mci.getFramesRateMPG(), -1.0f);
  EXPECT_EQ(mci.getTotalFrames(), 0);
  EXPECT_EQ(mci.getStatus(), "error");
  EXPECT_EQ(mci.getVolume(), -1);
}

TEST_F(OpenedFile, CloseWithoutAliasClosesTheStoredOne) {
  dev.commands.clear();
  mci.closeMCI();
  EXPECT_EQ(dev.commands, (Commands{"stop MyPlayer", "close MyPlayer"}));
  EXPECT_TRUE(mci.isSuccess());
  mci.closeMCI();  // already closed
  EXPECT_FALSE(mci.isSuccess());
}

TEST_F(OpenedFile, VolumeIsClampedTo0Through1000) {
  for (const auto& [asked, sent] : std::vector<std::pair<int, std::string>>{
           {1500, "1000"}, {-5, "0"}, {640, "640"}}) {
    EXPECT_TRUE(mci.setVolume(asked));
    EXPECT_EQ(dev.commands.back(), "setaudio MyPlayer volume to " + sent);
  }
}

TEST(MCI, ACdTrackFileOpensTheCdDeviceAtItsTrack) {
  ScriptedDevice dev;
  zantiro::MCI mci;
  mci.openMCI("/media/cdrom/Track03.cda", 7);
  EXPECT_TRUE(mci.isCDa());
  EXPECT_TRUE(mci.isAudioOnly());
  EXPECT_EQ(dev.commands,
            (Commands{"stop MyPlayer", "close MyPlayer", "open / type cdaudio alias MyPlayer wait shareable",
                      "set MyPlayer time format ms", "set MyPlayer time format ms",
                      "status MyPlayer position track 3"}));
  EXPECT_EQ(mci.getTotalFrames(), 180000);
  EXPECT_EQ(dev.commands.back(), "status MyPlayer length track 3");
  EXPECT_EQ(mci.getFramesPerSecond(), 1000.0f);
}

TEST(MCI, MissingWindowHandleWarnsAndOpensAnyway) {
  testsupport::TempDir tmp("mci");
  ScriptedDevice dev;
  std::vector<std::string> shown;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    shown.push_back(c.prompt);
    return vb::BoxAnswer{};
  });
  zantiro::MCI mci;
  mci.openMCI(testsupport::writeFile(tmp.file("a.mpg"), "x"));
  vb::SetBoxHook(nullptr);
  EXPECT_EQ(shown, (std::vector<std::string>{"務必指定 hWnd 參數"}));
  EXPECT_TRUE(mci.isSuccess());
}

TEST_F(OpenedFile, PlayerQueriesAndRanges) {
  EXPECT_EQ(mci.getStatus(), "playing");
  EXPECT_FLOAT_EQ(mci.getTotalSeconds(), 10.0f);
  EXPECT_FLOAT_EQ(mci.getFramesPerSecond(), 25.0f);
  int32_t w = 0, h = 0;
  mci.getDefaultSize(w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);

  mci.playMCI(10, 900, true);  // the end lies past the 250 frames
  EXPECT_EQ(dev.commands.back(), "play MyPlayer from 10 to 250");
  EXPECT_TRUE(mci.isRngPlaying());
  mci.stopMCI();  // a repeated range plays again
  EXPECT_EQ(dev.commands.back(), "play MyPlayer from 10 to 250");
  mci.rngCancel();
  mci.stopMCI("", 40);
  EXPECT_EQ(dev.commands.back(), "seek MyPlayer to 40");
  mci.putMCI(100, 50, true, 0, 0, 300, 150);
  EXPECT_EQ(dev.commands.back(), "put MyPlayer window at 100 50 100 50");
  EXPECT_FALSE(mci.isAudioOnly());
}

}  // namespace
