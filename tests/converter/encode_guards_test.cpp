// labels: e2e engine
// libs: fenwo_converter
// What the source and target steps and Encode Now leave alone: a cancelled or refused folder
// choice, the user's own files in the home folder, and a conversion already at work.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <map>

#include "foundation/mdlFenwoZantiro.h"
#include "platform/drive.h"
#include "runtime/msgbox.h"
#include "support/MainWindowFixture.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using testsupport::MainWindow;

std::map<std::string, std::string> contents(const std::string& folder) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) m[e.path().string()] = testsupport::readFile(e.path().string());
  return m;
}

int countWithExtension(const std::string& folder, const std::string& ext) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.path().extension() == ext;
  return n;
}

class EncodeGuards : public MainWindow {
 protected:
  // Everything a user could try to start another conversion with (Encode Now too, unless a
  // run shows Stop Now in its place).
  void pressEverything(const std::string& other, bool encodeToo) {
    ++presses;
    dialogAnswers = {{true, {other}, 0}};  // what an open dialog would answer
    if (encodeToo) encode();
    w().mnuSrcIsFileTo(0).Click();
    w().mnuSrcISFolderTo(1).Click();
    w().cmdOutput.Click();
    w().cmdOpt.Click();
    drop(other);
  }
  int presses = 0;
};

// After a JPG series source, a cancelled or refused JPG folder keeps the source, the target
// and the kind: Encode Now still makes the series and the folder's own JPGs stay.
TEST_F(EncodeGuards, ACancelledOrRefusedFolderChoiceChangesNothing) {
  const std::string clip = copyMedia("clip.avi");
  for (const char* n : {"photo1.jpg", "photo2.JPG"}) testsupport::writeFile(dir() + "/" + n, "user's photo");
  fs::create_directories(dir() + "/empty");
  fs::create_directories(dir() + "/broken");
  testsupport::writeFile(dir() + "/broken/p1.png", "not a picture");
  chooseFile(clip, 1);
  ASSERT_EQ(w().lblOutput.Caption(), dir() + "/*.jpg");
  const auto before = contents(dir());
  w().mnuSrcISFolderTo(1).Click();  // cancelled
  chooseFolder(dir() + "/empty", 1);
  chooseFolder(dir() + "/broken", 3);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt.substr(0, 34), "This folder does not have JPG pics");
  EXPECT_EQ(boxes[1].prompt.substr(0, 43), "Unable to read the pics in the source folde");
  EXPECT_EQ(w().lblInput.Caption(), clip);
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/*.jpg");
  boxes.clear();
  answers = {{vb::vbOK, "75"}, {vb::vbOK, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].prompt.find("JPG"), std::string::npos) << boxes[0].prompt;  // the series' quality
  EXPECT_NE(boxes[1].prompt.find("successful"), std::string::npos) << boxes[1].prompt;
  auto after = contents(dir());
  for (auto it = after.begin(); it != after.end();)
    it = fs::path(it->first).filename().string().rfind("000", 0) == 0 ? after.erase(it) : std::next(it);
  EXPECT_EQ(after, before);
  EXPECT_GT(countWithExtension(dir(), ".jpg"), 10);
}

// A series from a source on a RAM drive goes into output/ of the home folder, away from the
// user's own files there.
TEST_F(EncodeGuards, ASeriesFromARamDriveGoesIntoOutputOfTheHomeFolder) {
  if (win::GetDriveTypeA("/dev/shm/") != win::DRIVE_RAMDISK) GTEST_SKIP() << "needs /dev/shm on tmpfs";
  testsupport::TempDir ram("ram");  // under $TMPDIR: moved onto the RAM drive below
  const std::string folder = "/dev/shm/" + fs::path(ram.path()).filename().string();
  fs::create_directories(folder);
  const std::string clip = folder + "/clip.avi";
  fs::copy_file(testsupport::media("clip.avi"), clip);
  testsupport::writeFile(home() + "/own.png", "user's picture");
  chooseFile(clip, 2);
  EXPECT_EQ(w().lblOutput.Caption(), home() + "/output/*.png");
  chooseFile(clip, 1);
  EXPECT_EQ(w().lblOutput.Caption(), home() + "/output/*.jpg");
  answers = {{vb::vbOK, "75"}, {vb::vbOK, ""}};
  encode();
  EXPECT_GT(countWithExtension(home() + "/output", ".jpg"), 10);
  EXPECT_EQ(countWithExtension(home(), ".jpg"), 0);
  EXPECT_EQ(testsupport::readFile(home() + "/own.png"), "user's picture");
  // Choosing the home folder itself for a series is refused as a drive root is.
  boxes.clear();
  dialogAnswers.push_back({true, {home()}, 0});
  w().cmdOutput.Click();
  EXPECT_EQ(w().lblOutput.Caption(), home() + "/output/*.jpg");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt.substr(0, 35), "Please don't choose the root folder");
  fs::remove_all(folder);
}

// While Encode Now is at work (the key-frame search, its questions, the run), a second press,
// the source and target buttons, the options button and a dropped file start nothing: one
// conversion, one set of questions, the source as it was; the dropped file becomes the source
// once Encode Now is done.
TEST_F(EncodeGuards, NothingStartsInsideARunningEncodeNow) {
  const std::string clip = copyMedia("sparse-keys.avi");
  const std::string other = copyMedia("anim.gif");
  chooseFile(clip, 0);
  dialogs.clear();
  mdlFenwoZantiro::ScopeStart = 4;  // a start that the key-frame search moves, with a question
  mdlFenwoZantiro::ScopeEnd = 9;
  answers = {{vb::vbYes, ""}, {vb::vbOK, ""}, {vb::vbCancel, ""}};
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    boxes.push_back(c);
    if (boxes.size() <= 2) pressEverything(other, true);  // at the key-frame question, the confirmation
    const vb::BoxAnswer a = answers.empty() ? vb::BoxAnswer{} : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  });
  bool inSearch = false, inRun = false;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!inSearch && w().lblEncodeNoteCheck.Visible()) {
      inSearch = true;
      pressEverything(other, true);
    } else if (!inRun && w().cmdEncode(1).Visible()) {
      inRun = true;
      pressEverything(other, false);
    }
  });
  during.start(1);
  encode();
  during.stop();
  EXPECT_TRUE(inSearch && inRun);
  EXPECT_EQ(presses, 4);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[0].prompt.find("keyframes"), std::string::npos) << boxes[0].prompt;
  EXPECT_NE(boxes[2].prompt.find("successful"), std::string::npos) << boxes[2].prompt;
  EXPECT_TRUE(dialogs.empty());  // no dialog opened
  EXPECT_EQ(w().lblInput.Caption(), clip);
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/sparse-keys.gif");
  EXPECT_FALSE(w().cmdEncode(1).Visible());
  EXPECT_TRUE(w().cmdEncode(0).Tag().empty());
  // The drop timer waited through Encode Now and takes the dropped file, with no open dialog.
  dialogAnswers.clear();
  waitFor([&] { return !w().tmrDoing.Enabled(); });
  EXPECT_EQ(w().lblInput.Caption(), other);
  EXPECT_TRUE(dialogs.empty());
}

}  // namespace
