// labels: gui engine
// libs: fenwo_converter
// The checks of the source, target and Encode Now steps, each with its message; the key-frame
// question; engines that misbehave; the viewer missing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "support/MainWindowFixture.h"
#include "support/pngfile.h"
#include "runtime/strings.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlFenwoZantiro;

// A script standing in for the engine in conversions; the real one still answers the probe and
// key-frame runs. The script sees the conversion's arguments (split as the engine gets them).
class OwnFolder : public testsupport::MainWindow {
 protected:
  void conversionEngine(const std::string& body) {
    fs::remove(engine());
    testsupport::writeFile(engine(), "#!/bin/sh\ncase \"$*\" in *gif89a*|*outdir*) ;; *) exec " +
                                         testsupport::enginePath() + " \"$@\";; esac\n" + body + "\n");
    ::chmod(engine().c_str(), 0755);
  }
};

std::vector<std::string> prompts(const std::vector<vb::BoxCall>& boxes) {
  std::vector<std::string> p;
  for (const vb::BoxCall& b : boxes) p.push_back(b.prompt);
  return p;
}

TEST_F(OwnFolder, TheOpenDialogOffersTheThirteenFilters) {
  chooseFile("", 0);  // cancelled
  ASSERT_EQ(dialogs.size(), 1u);
  const std::vector<std::string> filters = vb::Split(dialogs[0], "\n");
  ASSERT_EQ(filters.size(), 13u);
  const char* labels[] = {"Supported Files", "GIF Files (*.gif)", "AVI Files (*.avi)",
                          "MPEG Files (*.mpg;*.mpeg;*.dat;*.vob)", "MPEG-4 Video Files (*.mp4;*.m4v)",
                          "Windows Media Files (*.wmv;*.asf)", "Real Media Files (*.rm;*.rmvb;*.ram)",
                          "QuickTime Files (*.mov;*.qt)", "Flash Video Files (*.flv)", "3GP Files (*.3gp)",
                          "OGM Vorbis Files (*.ogm)", "Other Files (*.divx;*.mkv)", "All Files (*.*)"};
  for (size_t i = 0; i < 13; ++i) EXPECT_EQ(filters[i].rfind(labels[i], 0), 0u) << filters[i];
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(w().cmdInput.Tag(), "");
}

TEST_F(OwnFolder, SourceChecksAndTheirMessages) {
  // An empty file is refused; the source stays as it was.
  const std::string before = w().lblInput.Caption();
  testsupport::writeFile(dir() + "/empty.avi", "");
  chooseFile(dir() + "/empty.avi", 0);
  EXPECT_EQ(w().lblInput.Caption(), before);

  // A static GIF stays the source, but has no length to convert.
  const std::string still = copyMedia("static.gif");
  chooseFile(still, 0);
  EXPECT_EQ(w().lblInput.Caption(), still);
  EXPECT_EQ(FrameCount, 1);
  encode();

  // Empty and unreadable picture folders.
  fs::create_directories(dir() + "/none");
  chooseFolder(dir() + "/none", 1);
  fs::create_directories(dir() + "/bad");
  testsupport::writeFile(dir() + "/bad/x.png", "not a picture");
  chooseFolder(dir() + "/bad", 3);
  // Headers that promise a picture of 20000 x 20000 (of no colour type: nothing to draw) and
  // of 60000 x 60000 (too large to count) in a few bytes.
  using namespace testsupport::png;
  const std::string data = Chunk("IDAT", Zlib(std::string(64, '\0'), Blocks::Fixed)) + Chunk("IEND", "");
  const std::pair<std::string, std::string> headers[] = {{"huge", Ihdr(20000, 20000, 8, 5, 1)},
                                                         {"larger", Ihdr(60000, 60000, 8, 2, 0)}};
  for (const auto& [name, header] : headers) {
    fs::create_directories(dir() + "/" + name);
    testsupport::writeFile(dir() + "/" + name + "/x.png", Signature() + header + data);
    chooseFolder(dir() + "/" + name, 3);
  }
  EXPECT_EQ(w().lblInput.Caption(), still);

  EXPECT_EQ(prompts(boxes),
            (std::vector<std::string>{
                "This is an invalid file\r\n\r\n" + dir() + "/empty.avi",
                "This is not Animated GIF, but the static (single one) GIF\r\n\r\n" + still,
                "Source File of unable analysis, or \r\nCan't decode the format of Source File\r\nIt is unable to "
                "carry out the further function\r\n\r\n" + still,
                "This folder does not have JPG pics\r\n\r\n" + dir() + "/none/",
                "Unable to read the pics in the source folder\r\n\r\n" + dir() + "/bad/",
                "Unable to read the pics in the source folder\r\n\r\n" + dir() + "/huge/",
                "Unable to read the pics in the source folder\r\n\r\n" + dir() + "/larger/",
            }));
}

TEST_F(OwnFolder, TargetChecksBeforeTheRun) {
  const std::string clip = copyMedia("clip.avi");
  chooseFile(clip, 0);
  // Target = source: the save dialog answered with the source itself.
  dialogAnswers.push_back({true, {clip}, 0});
  w().cmdOutput.Click();
  EXPECT_EQ(w().lblOutput.Caption(), clip);
  encode();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1].rfind("GIF Files(*.gif) (", 0), 0u) << dialogs[1];
  EXPECT_EQ(dialogs[1].find('\n'), std::string::npos);
  // An existing target: Cancel keeps it.
  dialogAnswers.push_back({true, {dir() + "/old.gif"}, 0});
  w().cmdOutput.Click();
  testsupport::writeFile(dir() + "/old.gif", "GIF89a");
  answers = {{vb::vbCancel, ""}};
  encode();
  EXPECT_EQ(testsupport::readFile(dir() + "/old.gif"), "GIF89a");

  // A GIF folder whose target lies in the same folder.
  const std::string gifs = copyPictures("gif");
  chooseFolder(gifs, 2);
  dialogAnswers.push_back({true, {gifs + "/all.gif"}, 0});
  w().cmdOutput.Click();
  encode();

  // The engine gone after the probe, then before the next probe.
  fs::remove(engine());
  dialogAnswers.push_back({true, {home() + "/all.gif"}, 0});
  w().cmdOutput.Click();
  encode();
  const std::string clip2 = copyMedia("clip.mp4");
  chooseFile(clip2, 0);
  EXPECT_EQ(w().lblVideoSize.Caption(), "Source File size : unknown");
  EXPECT_EQ(w().lblVideoLen.Caption(), "Source File length : unknown, Frames per second : unknown");

  const std::string text2 = "Can't find Fenwo.Zantiro Plugins specific file\r\nIt is unable to carry out the further function";
  EXPECT_EQ(prompts(boxes), (std::vector<std::string>{
                                "Source File can't be the same as Target File",
                                dir() + "/old.gif\r\n\r\nTarget File that you appointed has already existed\r\n"
                                        "Please click OK to start the encoding process",
                                "The folder of Source Files (GIF) can't be the same as\r\nthe folder of Target File "
                                "(Animated GIF)",
                                text2,
                                text2,
                            }));
  EXPECT_EQ(boxes[1].buttons, vb::vbOKCancel);
}

TEST_F(OwnFolder, TheTargetButtonAndTheRootFolder) {
  const std::string clip = copyMedia("clip.avi");
  chooseFile(clip, 2);
  dialogAnswers.push_back({true, {"/"}, 0});
  w().cmdOutput.Click();
  EXPECT_EQ(w().lblOutput.Caption(), "/output/*.png");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "Please don't choose the root folder\r\nThe folder to save file will change to : \r\n\r\n/output/");
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_EQ(titles[1], "Please choose the folder to save PNG pics\r\nPlease don't choose the root folder, for example C:\\, D:\\");
  dialogAnswers.push_back({true, {dir() + "/shots"}, 0});
  fs::create_directories(dir() + "/shots");
  w().cmdOutput.Click();
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/shots/*.png");
  EXPECT_EQ(frmOptions().lblFpsStr.Tag(), dir() + "/*.png");  // the mask of the source step stays
}

TEST_F(OwnFolder, FrameRateCorrection) {
  chooseFile(copyMedia("anim.gif"), 0);
  answers = {{vb::vbOK, "31"}, {vb::vbOK, ""}, {vb::vbOK, "10"}};
  w().cmdResetFps.Click();
  EXPECT_EQ(VideoFps, 5);
  w().cmdResetFps.Click();
  EXPECT_EQ(VideoFps, 10);
  EXPECT_EQ(VideoLength, 2);
  EXPECT_EQ(w().lblVideoLen.Caption(), "Source File length : 00:00:02.0, Frames per second : 10");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].prompt, "Total 20 pics / frames\r\n Please input the new [frames per second]\r\nThe range of "
                             "number value is between 0.5 ~ 30");
  EXPECT_EQ(boxes[0].defaultText, "5");
  EXPECT_EQ(boxes[1].prompt, "The range of number value [frames per second]\r\nmust be between 0.5 ~ 30");
}

// Key frames of sparse-keys.avi lie at 0, 3, 6 and 9 s: a range from 4 s really starts at 6.
TEST_F(OwnFolder, TheKeyFrameQuestionAndItsThreeAnswers) {
  conversionEngine("printf '%s\\n' \"$@\" > " + dir() + "/args");
  const std::string clip = copyMedia("sparse-keys.avi");
  chooseFile(clip, 0);
  const auto run = [&](int answer) {
    ScopeStart = 4;
    ScopeEnd = 9;
    boxes.clear();
    fs::remove(dir() + "/args");
    answers = {{answer, ""}, {vb::vbOK, ""}, {vb::vbOK, ""}};
    encode();
    EXPECT_EQ(ScopeStart, 4);  // for this run only
    std::ifstream in(dir() + "/args");
    std::vector<std::string> args;
    for (std::string a; std::getline(in, a);) args.push_back(a);
    return args;
  };
  std::vector<std::string> args = run(vb::vbYes);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].buttons, vb::vbYesNoCancel);
  EXPECT_EQ(boxes[0].prompt,
            "By checking the keyframes ,\r\nto encode from  00:00:04.0  will cause  2.0  seconds time shift (delay)\r\n"
            "That is to say the encoding start time  00:00:04.0  will delay to  00:00:06.0\r\n\r\n"
            "Press Yes to adjust the encoding start time to previous keyframe  00:00:03.0  ==> advance 1.0 seconds\r\n"
            "Press No to encode by the original start time  00:00:04.0  ==> but  2.0  seconds time shift");
  ASSERT_GE(args.size(), 4u);
  EXPECT_EQ(args[1], "-ss");
  EXPECT_EQ(args[2], "00:00:02.9");
  EXPECT_EQ(args[3], "-frames");

  args = run(vb::vbNo);
  ASSERT_GE(args.size(), 3u);
  EXPECT_EQ(args[2], "00:00:05.9");

  args = run(vb::vbCancel);
  EXPECT_TRUE(args.empty());
  EXPECT_EQ(boxes.size(), 1u);  // nothing after the question
  EXPECT_TRUE(w().lblEncodeNote.Visible());
  EXPECT_FALSE(w().lblEncodeNoteCheck.Visible());

  // A key frame at or after the end of the range: OK or Cancel only.
  ScopeStart = 4;
  ScopeEnd = 5.5f;
  boxes.clear();
  answers = {{vb::vbCancel, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, vb::vbOKCancel);
  EXPECT_NE(boxes[0].prompt.find("Press OK to adjust"), std::string::npos);
}

TEST_F(OwnFolder, EnginesThatWriteNothingOrAnEmptyGif) {
  const std::string clip = copyMedia("clip.avi");
  chooseFile(clip, 0);
  const std::string target = dir() + "/clip.gif";

  conversionEngine("exit 0");
  answers = {{vb::vbOK, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].prompt.rfind(target + "\r\n\r\nEncoding time : ", 0), 0u);
  EXPECT_NE(boxes[1].prompt.find(" seconds\r\nSorry , failed to encode"), std::string::npos);

  // The engine leaves a 0-byte GIF: it is removed.
  conversionEngine("for a in \"$@\"; do case $a in *output=*) : > \"${a#*output=}\";; esac; done");
  boxes.clear();
  answers = {{vb::vbOK, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[1].prompt.find("Sorry , failed to encode"), std::string::npos);
  EXPECT_FALSE(fs::exists(target));
}

// The clock counts seconds since midnight: a run that passes it still takes its few seconds.
TEST_F(OwnFolder, TheEncodingTimeAcrossMidnight) {
  chooseFile(copyMedia("clip.avi"), 0);
  conversionEngine("for a in \"$@\"; do case $a in *output=*) printf 'GIF89a;' > \"${a#*output=}\";; esac; done");
  int calls = 0;
  win::SetClockForTests([&] { return calls++ == 0 ? 86399.0 : 1.5; });
  answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
  encode();
  win::SetClockForTests({});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].prompt, dir() + "/clip.gif\r\n\r\nEncoding time : 2.5 seconds , Encoding successful\r\n\r\n"
                                     "Press OK to Play the output Animated GIF");
}

TEST_F(OwnFolder, ATargetThatCannotBeReplaced) {
  const std::string clip = copyMedia("clip.avi");
  chooseFile(clip, 0);
  const std::string target = dir() + "/clip.gif";
  testsupport::writeFile(target, "GIF89a");
  ::chmod(target.c_str(), 0444);
  conversionEngine("touch " + dir() + "/ran");
  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}};
  encode();
  EXPECT_FALSE(fs::exists(dir() + "/ran"));
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].prompt.rfind(target + "\r\n\r\nThe target file already exists , however\r\nother programs are "
                                           "reading it, unable to overwrite\r\n\r\nEncoding time : ",
                                  0),
            0u);
  EXPECT_NE(boxes[2].prompt.find("\r\nSorry , failed to encode"), std::string::npos);
}

TEST_F(OwnFolder, AFinishedGifWithTheViewerMissing) {
  fs::remove(appPath() + "/Fenwo.Lumtak.exe");
  chooseFolder(copyPictures("png"), 3);
  w().ChangeLanguage("tw");
  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].prompt, "Can't find Fenwo.Zantiro - Fenwo.Lumtak");
  EXPECT_TRUE(shells.empty());
  EXPECT_TRUE(fs::exists(dir() + "/png/p1.gif"));
}

}  // namespace
