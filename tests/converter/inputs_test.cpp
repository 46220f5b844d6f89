// labels: e2e engine gui
// libs: fenwo_converter
// Inputs a user meets: a file dropped while Encode Now asks, paths as long as the system takes
// and longer, names whose bytes are not UTF-8, a target that is a folder or too long a name,
// and the work files a run leaves beside its target when its folder moves or a run crashed.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QTimer>
#include <filesystem>
#include <set>

#include "support/MainWindowFixture.h"

namespace {

namespace fs = std::filesystem;

const std::string CRLF2 = "\r\n\r\n";
const std::string kIsFolder = "The target is a folder, not a file\r\nPlease choose another name for the target file";
const std::string kTooLong = "The name is too long for the file system\r\nPlease choose a shorter name or folder";

// The names a folder holds.
std::set<std::string> names(const std::string& folder) {
  std::set<std::string> n;
  for (const auto& e : fs::directory_iterator(folder)) n.insert(e.path().filename().string());
  return n;
}

class Inputs : public testsupport::MainWindow {
 protected:
  // A copy of a test medium at path (its folders made).
  std::string place(const std::string& medium, const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(testsupport::media(medium), path);
    return path;
  }
  std::string lastBox() const { return boxes.empty() ? "(no message)" : boxes.back().prompt; }
};

// A file dropped on the source button while Encode Now's question is open becomes the source
// once the question is answered; the next menu choice then opens its dialog as always.
TEST_F(Inputs, AFileDroppedWhileEncodeNowAsksIsTheNextSource) {
  const std::string clip = copyMedia("clip.avi"), other = copyMedia("anim.gif");
  chooseFile(clip, 0);
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    boxes.push_back(c);
    drop(other);
    // The user reads the question for a second, past the drop timer's ticks.
    waitFor([] { return false; }, 1000);
    return vb::BoxAnswer{vb::vbCancel, ""};
  });
  encode();
  ASSERT_EQ(boxes.size(), 1u) << "the confirmation, cancelled";
  EXPECT_EQ(w().lblInput.Caption(), clip) << "nothing taken while the question is open";
  waitFor([&] { return w().lblInput.Caption() == other; });
  EXPECT_EQ(w().lblInput.Caption(), other);
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/anim_gif2.gif");
  dialogs.clear();
  w().mnuSrcIsFileTo(1).Click();  // cancelled in its dialog
  EXPECT_EQ(dialogs.size(), 1u) << "the JPG choice shows the open dialog";
  EXPECT_EQ(w().lblInput.Caption(), other);
}

// Paths from the dialogs: as long as the system takes them they are taken; longer ones are
// refused with a message, and the source and target stay as they were.
TEST_F(Inputs, LongPathsFromTheDialogsAreTakenOrRefusedAloud) {
  std::string deep = dir();
  while (deep.size() < 3800) deep += "/" + std::string(200, 'd');
  const std::string clip = place("clip.avi", deep + "/clip.avi");
  ASSERT_GT(clip.size(), 3800u);
  chooseFile(clip, 1);
  EXPECT_EQ(w().lblInput.Caption(), clip) << lastBox();
  EXPECT_EQ(w().lblOutput.Caption(), deep + "/*.jpg");

  const std::string source = w().lblInput.Caption(), target = w().lblOutput.Caption();
  const std::string tooLong = dir() + "/" + std::string(4100, 'x') + ".avi";
  struct Case {
    const char* what;
    std::function<void()> choose;
  };
  const Case cases[] = {
      {"open dialog", [&] { chooseFile(tooLong, 0); }},
      {"folder dialog", [&] { chooseFolder(tooLong, 1); }},
      {"target folder dialog",
       [&] {
         dialogAnswers.push_back({true, {tooLong}, 0});
         w().cmdOutput.Click();
       }},
  };
  for (const Case& c : cases) {
    boxes.clear();
    c.choose();
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_EQ(boxes[0].prompt, kTooLong) << c.what;
    EXPECT_EQ(w().lblInput.Caption(), source) << c.what;
    EXPECT_EQ(w().lblOutput.Caption(), target) << c.what;
  }
}

// Names holding bytes that are not UTF-8 (Latin-1 letters, stray bytes) work as they are: a
// file chosen, a file dropped, a picture folder, each converted whole by the real engine under
// its own name, with no work file left.
TEST_F(Inputs, NamesThatAreNotUtf8WorkAsTheyAre) {
  const std::string folder = dir() + "/caf\xe9 \xff\xfe";
  const std::string clip = place("clip.avi", folder + "/clip \xe9t\xe9.avi");
  const std::string gif = place("anim.gif", folder + "/\xe0nim\x80.gif");
  const std::string pics = folder + "/pics \xe9";
  fs::copy(testsupport::media("pictures/jpg"), pics);
  struct Case {
    const char* what;
    std::function<void()> choose;
    std::string source, target;
  };
  const Case cases[] = {
      {"chosen", [&] { chooseFile(clip, 0); }, clip, folder + "/clip \xe9t\xe9.gif"},
      {"dropped",
       [&] {
         drop(gif);
         waitFor([&] { return !w().tmrDoing.Enabled() && w().lblInput.Caption() == gif; });
       },
       gif, folder + "/\xe0nim\x80_gif2.gif"},
      {"picture folder", [&] { chooseFolder(pics, 1); }, pics + "/*.jpg", ""},
  };
  for (const Case& c : cases) {
    boxes.clear();
    c.choose();
    ASSERT_EQ(w().lblInput.Caption(), c.source) << c.what << ": " << lastBox();
    const std::string target = w().lblOutput.Caption();
    if (!c.target.empty()) {
      EXPECT_EQ(target, c.target) << c.what;
    }
    answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
    encode();
    EXPECT_EQ(lastBox().substr(0, target.size() + 4), target + CRLF2) << c.what;
    EXPECT_NE(lastBox().find("Encoding successful"), std::string::npos) << c.what << ": " << lastBox();
    EXPECT_EQ(testsupport::readFile(target).substr(0, 6), "GIF89a") << c.what;
    for (const std::string& n : names(fs::path(target).parent_path().string()))
      EXPECT_NE(n.rfind(".fenwo-", 0), 0u) << c.what << ": work file left: " << n;
  }
}

// A target that is a folder, or whose name the file system cannot hold (a 255-byte GIF source
// proposes a 260-byte target), is named with what is wrong before anything runs; nothing is
// written.
TEST_F(Inputs, ATargetTheFileSystemCannotTakeIsToldWhatIsWrong) {
  const std::string clip = copyMedia("clip.avi");
  fs::create_directories(dir() + "/clip.gif/inside");
  const std::string longGif = place("anim.gif", dir() + "/" + std::string(251, 'g') + ".gif");
  struct Case {
    const char* what;
    std::function<void()> choose;
    std::string text;
  };
  const Case cases[] = {
      {"default target is a folder", [&] { chooseFile(clip, 0); }, kIsFolder},
      {"260-byte default target", [&] { chooseFile(longGif, 0); }, kTooLong},
      {"256-byte name chosen",
       [&] {
         chooseFile(clip, 0);
         dialogAnswers.push_back({true, {dir() + "/" + std::string(252, 't') + ".gif"}, 0});
         w().cmdOutput.Click();
       },
       kTooLong},
  };
  for (const Case& c : cases) {
    c.choose();
    const std::string target = w().lblOutput.Caption();
    const std::set<std::string> before = names(dir());
    boxes.clear();
    encode();
    ASSERT_EQ(boxes.size(), 1u) << c.what << ": " << lastBox();
    EXPECT_EQ(boxes[0].prompt, target + CRLF2 + c.text) << c.what;
    EXPECT_EQ(names(dir()), before) << c.what << ": nothing written";
    EXPECT_EQ(names(dir() + "/clip.gif"), std::set<std::string>{"inside"}) << c.what;
  }
}

// Work files: one whose folder is renamed during the run goes all the same; the ones a crashed
// run left beside a target go at the next write there, while a running program's and the
// user's own files of like names stay.
TEST_F(Inputs, WorkFilesBesideTheTargetDoNotStay) {
  const std::string in = dir() + "/in";
  const std::string clip = place("clip.avi", in + "/clip.avi");
  chooseFile(clip, 0);

  // Leftovers of a crash, a running program's work file (held), and the user's own files.
  const std::vector<std::string> kept = {".fenwo-notes.tmp", "fenwo-Ab12Cd.tmp", ".fenwo-Ab12Cd.tmp.bak",
                                         ".fenwo-Held01.tmp"};
  for (const std::string& n : kept) testsupport::writeFile(in + "/" + n, "user's " + n);
  testsupport::writeFile(in + "/.fenwo-Ab12Cd.tmp", "GIF89a cut short");
  testsupport::writeFile(in + "/.fenwo-x9Y8z7.tmp", "");
  const int heldFd = ::open((in + "/.fenwo-Held01.tmp").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(heldFd, LOCK_EX | LOCK_NB), 0);
  answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
  encode();
  EXPECT_NE(lastBox().find("Encoding successful"), std::string::npos) << lastBox();
  std::set<std::string> expected = {"clip.avi", "clip.gif"};
  for (const std::string& n : kept) expected.insert(n);
  EXPECT_EQ(names(in), expected);
  for (const std::string& n : kept) EXPECT_EQ(testsupport::readFile(in + "/" + n), "user's " + n);

  // An engine that writes part of the GIF and goes on until its file has moved away.
  fs::remove(engine());
  testsupport::writeFile(engine(),
                         "#!/bin/sh\n"
                         "for a; do case \"$a\" in gif89a:*) out=\"${a#*output=}\";; esac; done\n"
                         "printf 'GIF89a part' > \"$out\"\n"
                         "while [ -e \"$out\" ]; do sleep 0.02; done\n");
  fs::permissions(engine(), fs::perms::owner_all);
  fs::remove(in + "/clip.gif");
  const std::string moved = dir() + "/moved";
  QTimer mover;
  QObject::connect(&mover, &QTimer::timeout, [&] {
    std::error_code e;
    for (const std::string& n : fs::exists(in) ? names(in) : std::set<std::string>{})
      if (n.size() == 17 && n.rfind(".fenwo-", 0) == 0 && fs::file_size(in + "/" + n, e) > 0 && !e) {
        fs::rename(in, moved);
        return;
      }
  });
  mover.start(5);
  boxes.clear();
  answers = {{vb::vbOK, ""}};
  encode();
  mover.stop();
  ASSERT_TRUE(fs::exists(moved)) << "the folder was renamed during the run";
  EXPECT_EQ(lastBox().find("Encoding successful"), std::string::npos) << lastBox();
  expected.erase("clip.gif");
  EXPECT_EQ(names(moved), expected) << "no work file in the renamed folder";
  ::close(heldFd);
}

}  // namespace
