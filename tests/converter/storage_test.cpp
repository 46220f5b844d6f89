// labels: e2e engine
// Conversions with the real engine onto file systems that say no: a disk that fills during the
// run, a FAT stick (write times in 2-second steps, or none at all on a rewrite), a folder that
// cannot be written. The user's old files stay as they were, nothing of the run is left behind,
// and the message tells what happened.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/replace.h"
#include "support/MainWindowFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlFenwoZantiro;

const std::string kFull =
    "Sorry , failed to encode\r\n\r\nThe disk of the target file is full\r\nthe target file could not be written "
    "completely";
const std::string kUnwritable =
    "The folder to save file can't be written\r\nIt is read-only, or you have no permission to write it";

// A file system mounted at a folder of its own for one test; unmounted and the folder removed
// when it goes, whatever the test did.
class Mount {
 public:
  explicit Mount(std::string folder) : folder_(std::move(folder)) { fs::create_directories(folder_); }
  ~Mount() {
    if (mounted_ && umount2(folder_.c_str(), 0) != 0) umount2(folder_.c_str(), MNT_DETACH);
    std::error_code ec;
    fs::remove(folder_, ec);
    if (!image_.empty()) fs::remove(image_, ec);
  }
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;

  // Each gives "" once mounted, else why it could not be.
  std::string Tmpfs(const std::string& size) {
    return Done(mount("tmpfs", folder_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0, "tmpfs");
  }
  std::string ReadOnly() {
    return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0 ? ""
                                                                                          : "remount read-only failed";
  }
  // A FAT32 image made by mkfs.vfat, mounted by the kernel when it has vfat, else by fusefat.
  std::string Fat32(const std::string& image) {
    image_ = image;
    const std::string q = "'" + image + "'";
    if (std::system(("truncate -s 40M " + q + " && mkfs.vfat -F 32 " + q + " >/dev/null 2>&1").c_str()) != 0)
      return "mkfs.vfat failed (dosfstools installed?)";
    if (KernelHas("vfat"))
      return Done(std::system(("mount -o loop " + q + " '" + folder_ + "' 2>/dev/null").c_str()) == 0, "vfat");
    return Done(std::system(("fusefat -o rw+ " + q + " '" + folder_ + "' >/dev/null 2>&1").c_str()) == 0, "fusefat");
  }
  const std::string& path() const { return folder_; }

 private:
  static bool KernelHas(const std::string& type) {
    std::ifstream in("/proc/filesystems");
    for (std::string line; std::getline(in, line);)
      if (line.size() >= type.size() && line.compare(line.size() - type.size(), type.size(), type) == 0 &&
          (line.size() == type.size() || line[line.size() - type.size() - 1] == '\t'))
        return true;
    return false;
  }
  std::string Done(bool ok, const std::string& what) {
    mounted_ = ok;
    return ok ? "" : "cannot mount " + what + " here";
  }
  std::string folder_, image_;
  bool mounted_ = false;
};

class Storage : public testsupport::MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    if (geteuid() != 0) GTEST_SKIP() << "mounting file systems needs root";
  }
  // A mount at dir()/name; skips the test when it cannot be made here.
  Mount& mountAt(const std::string& name) {
    mounts_.push_back(std::make_unique<Mount>(dir() + "/" + name));
    return *mounts_.back();
  }
  void chooseTarget(const std::string& chosen) {
    dialogAnswers.push_back({true, {chosen}, 0});
    w().cmdOutput.Click();
  }
  // Encode Now with every question answered OK (75 for a series' quality).
  std::string encodeAll() {
    boxes.clear();
    answers = {{vb::vbOK, "75"}, {vb::vbOK, ""}, {vb::vbOK, ""}, {vb::vbCancel, ""}};
    encode();
    return boxes.empty() ? "" : boxes.back().prompt;
  }
  // The names in a folder, one a line.
  static std::string listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& n : names) out += n + "\n";
    return out;
  }
  static std::string oldGif() { return "GIF89a" + std::string(30000, '\x11') + ";"; }

 private:
  std::vector<std::unique_ptr<Mount>> mounts_;
};

#define MOUNTED(call)                           \
  do {                                          \
    const std::string why = (call);             \
    if (!why.empty()) GTEST_SKIP() << why;      \
  } while (0)

// A GIF that does not fit: with no old GIF nothing stays under the name; an old GIF stays byte
// for byte. A series that fills the disk keeps what it wrote and says the disk is full.
TEST_F(Storage, ADiskThatFillsDuringTheRun) {
  const std::string clip = copyMedia("clip.avi");
  for (const bool withOld : {false, true}) {
    SCOPED_TRACE(withOld ? "an old GIF" : "no old GIF");
    Mount& m = mountAt(withOld ? "full-old" : "full-new");
    MOUNTED(m.Tmpfs("96k"));
    const std::string target = m.path() + "/clip.gif";
    if (withOld) testsupport::writeFile(target, oldGif());
    chooseFile(clip, 0);
    chooseTarget(target);
    OutFps = 25;  // about 200 KB of GIF
    const std::string prompt = encodeAll();
    EXPECT_EQ(prompt.rfind(target + "\r\n\r\nEncoding time : ", 0), 0u) << prompt;
    EXPECT_NE(prompt.find(" seconds\r\n" + kFull), std::string::npos) << prompt;
    EXPECT_EQ(listing(m.path()), withOld ? "clip.gif\n" : "");
    if (withOld) {
      EXPECT_EQ(testsupport::readFile(target), oldGif());
    }
    EXPECT_TRUE(shells.empty()) << "no viewer for a cut GIF";
  }
  for (const int kind : {1, 2}) {
    const std::string ext = kind == 1 ? "jpg" : "png";
    SCOPED_TRACE(ext);
    Mount& m = mountAt("full-" + ext);
    MOUNTED(m.Tmpfs("96k"));
    const std::string folder = m.path() + "/shots";
    fs::create_directories(folder);
    testsupport::writeFile(folder + "/holiday." + ext, "the user's own picture");
    chooseFile(clip, kind);
    chooseTarget(folder);
    const std::string prompt = encodeAll();
    EXPECT_EQ(prompt.rfind(folder + "/*." + ext + "\r\n\r\nEncoding time : ", 0), 0u) << prompt;
    EXPECT_NE(prompt.find(kFull), std::string::npos) << prompt;
    EXPECT_EQ(testsupport::readFile(folder + "/holiday." + ext), "the user's own picture");
    int whole = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
      EXPECT_NE(e.path().extension(), ".tmp") << e.path();
      whole += e.path().filename().string().rfind("000", 0) == 0 && win::IsWholePicture(e.path().string());
    }
    // A JPG is small enough for a few to fit (a PNG of this clip fills the disk on its own).
    if (kind == 1) {
      EXPECT_GE(whole, 3) << "the pictures written before the disk filled stay";
    }
  }
}

// A FAT32 stick: a series made six times over into the same folder is a success every time,
// and a GIF replaces an old one whole.
TEST_F(Storage, AFat32Stick) {
  Mount& m = mountAt("stick");
  MOUNTED(m.Fat32(dir() + "/stick.img"));
  const std::string clip = copyMedia("clip.avi");
  // Each round a folder of its own: fusefat cannot rewrite a file longer than a cluster.
  for (int round = 1; round <= 6; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string folder = m.path() + "/round" + std::to_string(round);
    fs::create_directories(folder);
    chooseFile(clip, 1);
    chooseTarget(folder);
    ScopeEnd = 1;
    const std::string prompt = encodeAll();
    EXPECT_EQ(prompt.rfind(folder + "/*.jpg\r\n\r\nEncoding successful , Encoding time : ", 0), 0u) << prompt;
    int pictures = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
      EXPECT_TRUE(win::IsWholePicture(e.path().string())) << e.path();
      ++pictures;
    }
    EXPECT_GE(pictures, 4);
  }

  const std::string target = m.path() + "/clip.gif";
  testsupport::writeFile(target, oldGif());
  chooseFile(clip, 0);
  chooseTarget(target);
  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}, {vb::vbCancel, ""}};
  boxes.clear();
  encode();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[2].prompt.find("Encoding successful"), std::string::npos) << boxes[2].prompt;
  const std::string gif = testsupport::readFile(target);
  EXPECT_NE(gif, oldGif());
  EXPECT_TRUE(win::IsWholePicture(target));
  EXPECT_EQ(listing(m.path()), "clip.gif\nround1\nround2\nround3\nround4\nround5\nround6\n");
}

// A read-only mount: a new GIF, an old GIF and a series are refused before the engine runs,
// with a message naming the folder; the old GIF stays and nothing is written.
TEST_F(Storage, AFolderThatCannotBeWritten) {
  Mount& m = mountAt("readonly");
  MOUNTED(m.Tmpfs("1m"));
  const std::string old = m.path() + "/old.gif";
  testsupport::writeFile(old, oldGif());
  MOUNTED(m.ReadOnly());
  const std::string clip = copyMedia("clip.avi");
  struct Case {
    int kind;
    std::string target;
  };
  for (const Case& c : {Case{0, m.path() + "/new.gif"}, Case{0, old}, Case{1, m.path()}}) {
    SCOPED_TRACE(c.target);
    chooseFile(clip, c.kind);
    chooseTarget(c.target);
    boxes.clear();
    progressAtBox.clear();
    answers = {{vb::vbOK, "75"}, {vb::vbOK, ""}, {vb::vbOK, ""}};
    encode();
    ASSERT_EQ(boxes.size(), 1u) << "no question and no run after it";
    EXPECT_EQ(boxes[0].prompt, kUnwritable + "\r\n\r\n" + m.path() + "/");
    EXPECT_EQ(progressAtBox[0], "Progress 0 %");
    EXPECT_EQ(listing(m.path()), "old.gif\n");
    EXPECT_EQ(testsupport::readFile(old), oldGif());
  }
}

}  // namespace
