// labels: e2e engine
// libs: fenwo_converter
// Picture folders as Linux users have them, through the main window and the real engine: names
// in any case, folders whose names mean something in the engine's mask syntax; and names a
// user chose, which are never patterns.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <filesystem>
#include <map>

#include "foundation/mdlFenwoZantiro.h"
#include "runtime/msgbox.h"
#include "runtime/strings.h"
#include "support/MainWindowFixture.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using testsupport::MainWindow;

const char* kKinds[] = {"bmp", "jpg", "gif", "png"};  // the folder entries of the source menu

// The colour of each frame of a GIF, as the letter of its strongest channel.
std::string frameColours(const std::string& gif) {
  QImageReader r(QString::fromStdString(gif));
  std::string out;
  for (QImage f = r.read(); !f.isNull(); f = r.read()) {
    const QRgb p = f.pixel(f.width() / 2, f.height() / 2);
    out += qRed(p) > 128 ? 'r' : qGreen(p) > 128 ? 'g' : qBlue(p) > 128 ? 'b' : '?';
  }
  return out;
}

int frames(const std::string& gif) { return QImageReader(QString::fromStdString(gif)).imageCount(); }

void picture(const std::string& path, Qt::GlobalColor colour, const char* format) {
  QImage img(120, 90, QImage::Format_RGB32);
  img.fill(colour);
  ASSERT_TRUE(img.save(QString::fromStdString(path), format)) << path;
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> contents(const std::string& folder) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) m[e.path().string()] = testsupport::readFile(e.path().string());
  return m;
}

class PictureMasks : public MainWindow {
 protected:
  // Chooses the folder, converts it to a GIF (to target when given) and answers no to the viewer.
  void convert(const std::string& folder, int kind, const std::string& target = "") {
    chooseFolder(folder, kind);
    if (!target.empty()) {
      dialogAnswers.push_back({true, {target}, 0});
      w().cmdOutput.Click();
    }
    boxes.clear();
    answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
    encode();
  }
};

// A camera's names: every picture is one of the folder's, whatever the case of its extension,
// in the engine's own name order; hidden pictures and other files stay out and unchanged.
TEST_F(PictureMasks, NamesInAnyCaseAreAllPicturesInTheEnginesOrder) {
  for (int kind : {1, 3, 0}) {
    const std::string ext = kKinds[kind], EXT = vb::UCase(ext);
    const char* format = kind == 1 ? "JPG" : kind == 3 ? "PNG" : "BMP";
    const std::string folder = dir() + "/camera-" + ext;
    fs::create_directories(folder + "/sub." + ext);
    picture(folder + "/IMG_0001." + EXT, Qt::red, format);
    picture(folder + "/img_0002." + ext, Qt::green, format);
    picture(folder + "/Img_0003." + vb::UCase(ext.substr(0, 1)) + ext.substr(1), Qt::blue, format);
    picture(folder + "/.IMG_0000." + EXT, Qt::white, format);  // hidden
    testsupport::writeFile(folder + "/notes.txt", "x");
    const auto before = contents(folder);
    chooseFolder(folder, kind);
    ASSERT_EQ(w().lblInput.Caption(), folder + "/*." + ext) << ext;
    EXPECT_EQ(w().lblVideoSize.Caption(), "A total of 3 pics, initial picture size : 120 x 90") << ext;
    EXPECT_EQ(w().lblOutput.Caption(), folder + "/IMG_0001.gif") << ext;
    boxes.clear();
    answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
    encode();
    ASSERT_EQ(boxes.size(), 2u) << ext;
    EXPECT_NE(boxes[1].prompt.find("successful"), std::string::npos) << boxes[1].prompt;

    // The engine's own order of these names: its glob, told to match either case.
    std::string mask = folder + "/*.";
    for (char c : ext) mask += std::string("[") + c + static_cast<char>(std::toupper(c)) + "]";
    QProcess engine;
    const QString ref = QString::fromStdString(dir() + "/ref.gif");
    engine.start("mplayer", {"-really-quiet", "-nosound", "-vo", "gif89a:fps=5:output=" + ref,
                             QString::fromStdString("mf://" + mask), "-mf", "fps=5", "-benchmark"});
    ASSERT_TRUE(engine.waitForFinished(30000));
    const std::string order = frameColours(dir() + "/ref.gif");
    ASSERT_EQ(order.size(), 3u) << ext;
    EXPECT_EQ(frameColours(folder + "/IMG_0001.gif"), order) << ext;

    auto after = contents(folder);
    after.erase(folder + "/IMG_0001.gif");
    EXPECT_EQ(after, before) << ext;
  }
}

// A camera's 48-megapixel pictures: the first one's size and the count, no "cannot read".
TEST_F(PictureMasks, CameraSizePicturesGiveTheFirstOnesSizeAndTheCount) {
  for (int kind : {1, 3, 0}) {
    const std::string ext = kKinds[kind];
    const std::string folder = dir() + "/camera48-" + ext;
    fs::create_directories(folder);
    {
      // Two colours: the files stay small and quick to write.
      QImage big(8000, 6000, kind == 1 ? QImage::Format_Grayscale8 : QImage::Format_Mono);
      big.fill(0);
      QPainter(&big).fillRect(0, 0, 4000, 3000, Qt::white);
      ASSERT_TRUE(big.save(QString::fromStdString(folder + "/a." + ext), kind == 1 ? "JPG" : kind == 3 ? "PNG" : "BMP"));
    }
    picture(folder + "/b." + ext, Qt::red, kind == 1 ? "JPG" : kind == 3 ? "PNG" : "BMP");
    boxes.clear();
    chooseFolder(folder, kind);
    EXPECT_TRUE(boxes.empty()) << ext << ": " << (boxes.empty() ? "" : boxes[0].prompt);
    EXPECT_EQ(w().lblInput.Caption(), folder + "/*." + ext);
    EXPECT_EQ(w().lblVideoSize.Caption(), "A total of 2 pics, initial picture size : 8000 x 6000") << ext;
    fs::remove_all(folder);
  }
}

TEST_F(PictureMasks, AFolderOfGifsInAnyCaseIsOneGif) {
  const std::string folder = dir() + "/gifs";
  fs::create_directories(folder);
  const char* names[] = {"A1.GIF", "a2.gif", "A3.Gif", ".a0.gif"};
  for (int i = 0; i < 4; ++i)
    fs::copy_file(testsupport::media("pictures/gif/p" + std::to_string(i + 1) + ".gif"), folder + "/" + names[i]);
  convert(folder, 2);
  EXPECT_EQ(w().lblVideoSize.Caption(), "A total of 3 pics, initial picture size : 120 x 90");
  EXPECT_EQ(frames(home() + "/A1.gif"), 3);
}

// Folders named with what the engine's mask syntax and the command line read as their own:
// every picture reaches the GIF, and nothing else in the folder or beside it changes.
TEST_F(PictureMasks, FoldersWithAnyNameConvertFully) {
  const std::string names[] = {"a,b",  "c:d",   "100%",  "50%d",        "back\\slash", "end\\", "[x]",
                               "it's", "se;mi", "and&",  "$HOME",       "two  blanks", "-lead",
                               "\xE5\x9B\xBE\xE7\x89\x87", "st*r?", "say \"hi\" there"};
  const std::string base = dir() + "/names";
  fs::create_directories(base);
  fs::create_directories(dir() + "/out");
  int i = 0;
  for (const std::string& name : names) {
    const std::string folder = base + "/" + name;
    fs::create_directories(folder);
    picture(folder + "/p1.png", Qt::red, "PNG");
    picture(folder + "/P2.PNG", Qt::green, "PNG");
    picture(folder + "/p3.png", Qt::blue, "PNG");
    testsupport::writeFile(folder + "/p1.gif.txt", "keep");
  }
  const auto before = contents(base);
  for (const std::string& name : names) {
    const std::string target = dir() + "/out/" + std::to_string(++i) + ".gif";
    convert(base + "/" + name, 3, target);
    EXPECT_EQ(w().lblInput.Caption(), base + "/" + name + "/*.png") << name;
    EXPECT_EQ(frameColours(target), "grb") << name;  // P2.PNG sorts first for the engine
  }
  EXPECT_EQ(contents(base), before);
  for (const auto& e : fs::directory_iterator(home()))  // the engine's and dialogs' own settings aside
    if (e.path().filename().string()[0] != '.') ADD_FAILURE() << "written: " << e.path();
}

// A target "Why?.gif" is that one name: Why1.gif beside it stays as it was.
TEST_F(PictureMasks, ATargetWithWildcardsIsOneName) {
  const std::string clip = copyMedia("anim.gif");
  const std::string why1 = testsupport::writeFile(dir() + "/Why1.gif", "old");
  const std::string star = testsupport::writeFile(dir() + "/Star-old.gif", "old");
  for (const std::string name : {"Why?.gif", "Star*.gif", "[W]hy.gif"}) {
    chooseFile(clip, 0);
    dialogAnswers.push_back({true, {dir() + "/" + name}, 0});
    w().cmdOutput.Click();
    ASSERT_EQ(w().lblOutput.Caption(), dir() + "/" + name);
    boxes.clear();
    answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
    encode();
    ASSERT_EQ(boxes.size(), 2u) << name;
    EXPECT_NE(boxes[1].prompt.find("successful"), std::string::npos) << boxes[1].prompt;
    EXPECT_EQ(frames(dir() + "/" + name), 20) << name;
    EXPECT_EQ(testsupport::readFile(why1), "old") << name;
    EXPECT_EQ(testsupport::readFile(star), "old") << name;
  }
}

// A video whose name holds "*" is a video, not a picture folder.
TEST_F(PictureMasks, AVideoNamedWithAStarIsAVideo) {
  const std::string clip = dir() + "/a*b.avi";
  fs::copy_file(testsupport::media("clip.avi"), clip);
  chooseFile(clip, 0);
  EXPECT_EQ(w().lblInput.Caption(), clip);
  EXPECT_EQ(mdlFenwoZantiro::VideoWidth, 320);
  EXPECT_EQ(w().lblVideoSize.Caption(), "Source File size : 320 x 240");
  EXPECT_TRUE(frmOptions().txtScope(0).Enabled());
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/a*b.gif");
  boxes.clear();
  answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].prompt.find("GIF pics"), std::string::npos) << boxes[0].prompt;
  EXPECT_GT(frames(dir() + "/a*b.gif"), 1);
}

}  // namespace
