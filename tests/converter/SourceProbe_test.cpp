// labels: unit
// libs: fenwo_converter
// Reading the engine's identify, status and answer lines, on outputs as the engine writes them.
#include "converter/SourceProbe.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "support/paths.h"

namespace {

const std::string kAvi =
    "VIDEO:  [FMP4]  320x240  24bpp  25.000 fps  231.5 kbps (28.3 kbyte/s)\r\n"
    "ID_VIDEO_FORMAT=FMP4\r\nID_VIDEO_WIDTH=320\r\nID_VIDEO_HEIGHT=240\r\nID_VIDEO_FPS=25.000\r\nID_LENGTH=4.00\r\n";
const std::string kGif =
    "GIF file format detected.\r\nVIDEO:  [\bRGB]  160x120  8bpp  5.000 fps    0.0 kbps ( 0.0 kbyte/s)\r\n"
    "ID_VIDEO_FORMAT=\bRGB\r\nID_VIDEO_WIDTH=160\r\nID_VIDEO_HEIGHT=120\r\nID_VIDEO_FPS=5.000\r\nID_LENGTH=0.00\r\n";

struct Values {
  int32_t w = 0, h = 0;
  float fps = 0, length = 0;
  std::string format;
  void read(const std::string& out) { zantiro::ReadIdentify(out, {w, h, fps, length, format}); }
};

TEST(ReadIdentify, TakesUsableValuesAndKeepsTheRest) {
  Values v;
  v.read(kAvi);
  EXPECT_EQ(v.w, 320);
  EXPECT_EQ(v.h, 240);
  EXPECT_FLOAT_EQ(v.fps, 25);
  EXPECT_FLOAT_EQ(v.length, 4);
  EXPECT_EQ(v.format, "FMP4");

  // A zero, an empty value or a missing line leaves what was there.
  Values k{7, 8, 9, 10, "old"};
  k.read("ID_VIDEO_WIDTH=0\r\nID_VIDEO_HEIGHT=\r\nID_LENGTH=0.00\r\nID_VIDEO_FORMAT=MP42\r\n");
  EXPECT_EQ(k.w, 7);
  EXPECT_EQ(k.h, 8);
  EXPECT_FLOAT_EQ(k.fps, 9);
  EXPECT_FLOAT_EQ(k.length, 10);
  EXPECT_EQ(k.format, "MP42");
  EXPECT_FALSE(zantiro::IsGifOutput(kAvi));
  EXPECT_TRUE(zantiro::IsGifOutput(kGif));
}

TEST(ReadGifVideoSize, TheSizeOnTheGifVideoLine) {
  int32_t w = 0, h = 0;
  zantiro::ReadGifVideoSize(kGif, w, h);
  EXPECT_EQ(w, 160);
  EXPECT_EQ(h, 120);
  w = h = 0;
  zantiro::ReadGifVideoSize("VIDEO:  [\bRGB]  320x240  8bpp\r\n", w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  w = h = 0;
  zantiro::ReadGifVideoSize("VIDEO:  [\bRGB]  axb  8bpp\r\n", w, h);  // not numbers
  zantiro::ReadGifVideoSize(kAvi, w, h);                           // not a GIF line
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST(ReadGifPlayback, LengthFramesAndRateOfTheLastStatusLine) {
  struct Case {
    std::string output, result;
    float length;
    int32_t frames;
    float fps;
  };
  const Case cases[] = {
      {"V:   4.6  47/ 47 ??% \x1b[J\rV:   4.8  48/ 48 ??% ??% \x1b[J\r\n\nExiting... (End of file)\n",
       "Animated Gifs", 4.8f, 48, 10},
      {"V:   0.0   1/  1 ??% ??% ??,?% 0 0 \x1b[J\r\n", "Static Gif", 0, 1, -1},
      {"V:  12.3 123/123 \r", "Animated Gifs", 12.3f, 123, 10},
      // Unusable: no status line, no ".", no "/" after the time, no frame number apart.
      {"Exiting... (End of file)\n", "", -1, -1, -1},
      {"V: 4 20/20", "", -1, -1, -1},
      {"V:   4.8 ", "", -1, -1, -1},
      {"V:4.8/48", "", 4.8f, -1, -1},
  };
  for (const Case& c : cases) {
    float length = -1, fps = -1;
    int32_t frames = -1;
    EXPECT_EQ(zantiro::ReadGifPlayback(c.output, length, frames, fps), c.result) << c.output;
    EXPECT_FLOAT_EQ(length, c.length) << c.output;
    EXPECT_EQ(frames, c.frames) << c.output;
    EXPECT_FLOAT_EQ(fps, c.fps) << c.output;
  }
}

TEST(ReadStartTime, TheVideoTimeThatFollowsTheLastAudioTime) {
  EXPECT_FLOAT_EQ(zantiro::ReadStartTime("A:   9.9 V:  10.0   0/  0 \rA:  10.4 V:  10.5 A-V: -0.1   1/  1 \r"), 10.5f);
  EXPECT_FLOAT_EQ(zantiro::ReadStartTime("V:   3.0  76/ 76 ??% \x1b[J\r\n\nExiting...\n"), 3.0f);
  EXPECT_FLOAT_EQ(zantiro::ReadStartTime("V:   3.0 \n"), -1);  // no frame counter
  EXPECT_FLOAT_EQ(zantiro::ReadStartTime("Exiting...\n"), -1);
  EXPECT_FLOAT_EQ(zantiro::ReadStartTime(""), -1);
}

TEST(ReadAnsweredFps, TheWholeFramesPerSecond) {
  EXPECT_FLOAT_EQ(zantiro::ReadAnsweredFps("ID_LENGTH=4.05\r\nANS_fps=23.976000\r\n"), 23);
  EXPECT_FLOAT_EQ(zantiro::ReadAnsweredFps("ANS_fps=29.970000\r\n"), 29);
  EXPECT_FLOAT_EQ(zantiro::ReadAnsweredFps("ANS_ERROR=PROPERTY_UNAVAILABLE\r\n"), 0);
}

TEST(CheckFileUsable, AFileOfOneByteOrAnyPictureOfAMask) {
  testsupport::TempDir tmp("usable");
  testsupport::writeFile(tmp.file("empty.gif"), "");
  testsupport::writeFile(tmp.file("one.gif"), "G");
  testsupport::writeFile(tmp.file("old.png"), "");
  std::filesystem::create_directories(tmp.file("dir.gif"));
  EXPECT_FALSE(zantiro::CheckFileUsable(tmp.file("empty.gif")));
  EXPECT_TRUE(zantiro::CheckFileUsable(tmp.file("one.gif")));
  EXPECT_FALSE(zantiro::CheckFileUsable(tmp.file("missing.gif")));
  EXPECT_FALSE(zantiro::CheckFileUsable(tmp.file("dir.gif")));
  EXPECT_TRUE(zantiro::CheckFileUsable(tmp.file("*.png")));  // an older picture counts
  EXPECT_FALSE(zantiro::CheckFileUsable(tmp.file("*.jpg")));
}

TEST(EnginePath, TheDllWhenItIsThereElseTheExe) {
  testsupport::TempDir tmp("enginepath");
  vb::App::SetPathForTests(tmp.path());
  std::vector<vb::BoxCall> boxes;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    boxes.push_back(c);
    return vb::BoxAnswer{};
  });
  const std::string exe = tmp.path() + "/plugins/FenwoRes1.exe";
  EXPECT_EQ(zantiro::EnginePath(), exe);
  EXPECT_FALSE(zantiro::CheckPluginFile(exe));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, vb::vbOKOnly);
  std::filesystem::create_directories(tmp.file("plugins"));
  testsupport::writeFile(tmp.file("plugins/FenwoRes1.dll"), "x");
  EXPECT_EQ(zantiro::EnginePath(), tmp.path() + "/plugins/FenwoRes1.dll");
  EXPECT_TRUE(zantiro::CheckPluginFile(zantiro::EnginePath()));
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_FLOAT_EQ(zantiro::GetKeyframeTime("/nothing.avi", 1), -1);  // the engine is no program
  vb::SetBoxHook(nullptr);
  vb::App::SetPathForTests("");
}

}  // namespace
