// labels: e2e engine
// libs: fenwo_converter
// Whole conversions from the main window with the real engine: a source chosen through the
// source menu (or dropped), Encode Now, the progress, the result message, the files written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFileDialog>
#include <QImageReader>
#include <QTimer>
#include <deque>
#include <filesystem>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlGetCmdOutput.h"
#include "platform/comdlg_hook.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/shell.h"
#include "runtime/strings.h"
#include "support/MainWindowFixture.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlFenwoZantiro;
using testsupport::MainWindow;

struct Decoded {
  int frames = 0;
  int width = 0, height = 0;
};

Decoded decode(const std::string& file) {
  QImageReader r(QString::fromStdString(file));
  Decoded d;
  d.frames = r.imageCount();
  const QImage first = r.read();
  d.width = first.width();
  d.height = first.height();
  return d;
}

// The pictures of a series folder: how many, and the size of the first.
Decoded series(const std::string& folder, const std::string& ext) {
  Decoded d;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().extension() == "." + ext) names.push_back(e.path().string());
  d.frames = static_cast<int>(names.size());
  if (!names.empty()) {
    const QImage first(QString::fromStdString(names.front()));
    d.width = first.width();
    d.height = first.height();
  }
  return d;
}

class Conversion : public MainWindow {};

TEST_F(Conversion, VideoToGifWithProgressResultAndViewer) {
  const std::string clip = copyMedia("clip.avi");
  // While the probe runs, its note stands in for the path and the information labels.
  std::vector<std::string> seen;
  QTimer probeWatch;
  QObject::connect(&probeWatch, &QTimer::timeout, [&] {
    if (w().lblInputCheck.Visible())
      seen.push_back(w().lblInputCheck.Caption() + (w().lblInput.Visible() || w().lblVideoSize.Visible() ||
                                                            w().lblVideoLen.Visible()
                                                        ? " with labels"
                                                        : ""));
  });
  probeWatch.start(1);
  chooseFile(clip, 0);
  probeWatch.stop();
  ASSERT_FALSE(seen.empty());
  for (const std::string& note : seen) EXPECT_EQ(note, "Checking the Source File now ......");
  EXPECT_FALSE(w().lblInputCheck.Visible());
  EXPECT_TRUE(w().lblInput.Visible() && w().lblVideoSize.Visible() && w().lblVideoLen.Visible());
  EXPECT_EQ(w().lblInput.Caption(), clip);
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/clip.gif");
  EXPECT_EQ(w().lblVideoSize.Caption(), "Source File size : 320 x 240");
  EXPECT_EQ(w().lblVideoLen.Caption(), "Source File length : 00:00:04.0, Frames per second : 25");
  EXPECT_FALSE(w().cmdResetFps.Visible());
  EXPECT_EQ(OutWidth, 320);
  EXPECT_EQ(OutHeight, 240);

  answers = {{vb::vbOK, ""}, {vb::vbOK, ""}};  // the confirmation, then OK to play the GIF
  watchProgress();
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].prompt.find("There are about  20  GIF pics and length is  00:00:04.0"), std::string::npos);
  EXPECT_NE(boxes[0].prompt.find("\r\nYou can use encode options"), std::string::npos);
  EXPECT_EQ(boxes[0].buttons, vb::vbOKCancel);
  EXPECT_EQ(boxes[1].prompt.rfind(dir() + "/clip.gif\r\n\r\nEncoding time : ", 0), 0u);
  EXPECT_NE(boxes[1].prompt.find(" seconds , Encoding successful\r\n\r\nPress OK to Play the output Animated GIF"),
            std::string::npos);
  EXPECT_EQ(progressAtBox[1], "Progress 100 %");

  // Progress: 0 at the start, whole percentages with the time while the engine runs, 0 again.
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), "Progress 0 %");
  bool sawRunning = false;
  for (const std::string& p : progress)
    if (p.find(" % --> EncodeTo ") != std::string::npos && p.find(" seconds") != std::string::npos) sawRunning = true;
  EXPECT_TRUE(sawRunning);
  EXPECT_EQ(w().lblProgress.Caption(), "Progress 0 %");
  EXPECT_FALSE(w().shpProgress.Visible());
  EXPECT_TRUE(w().cmdEncode(0).Visible());
  EXPECT_FALSE(w().cmdEncode(1).Visible());

  const Decoded gif = decode(dir() + "/clip.gif");
  EXPECT_NEAR(gif.frames, 20, 2);
  EXPECT_EQ(gif.width, 320);
  EXPECT_EQ(gif.height, 240);
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0], "\"" + appPath() + "/Fenwo.Lumtak.exe\" \"" + dir() + "/clip.gif\"");
  EXPECT_EQ(shellStyles[0], vb::vbNormalFocus);
}

TEST_F(Conversion, VideoToJpgAndPngSeries) {
  const std::string clip = copyMedia("clip.mp4");
  chooseFile(clip, 1);
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/*.jpg");
  EXPECT_EQ(frmOptions().lblFpsStr.Tag(), dir() + "/*.jpg");
  answers = {{vb::vbOK, "90"}, {vb::vbOK, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[0].input);
  EXPECT_EQ(boxes[0].defaultText, "75");
  EXPECT_NE(boxes[0].prompt.find("It will produce about  20  JPG pics"), std::string::npos);
  EXPECT_EQ(boxes[1].prompt.rfind(dir() + "/*.jpg\r\n\r\nEncoding successful , Encoding time : ", 0), 0u);
  Decoded jpg = series(dir(), "jpg");
  EXPECT_NEAR(jpg.frames, 20, 1);
  EXPECT_EQ(jpg.width, 320);

  chooseFile(clip, 2);
  answers = {{vb::vbOK, "35"}, {vb::vbOK, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[2].defaultText, "30");
  Decoded png = series(dir(), "png");
  EXPECT_NEAR(png.frames, 20, 1);
  EXPECT_EQ(png.height, 240);
}

TEST_F(Conversion, AnimatedGifToGifAndToASeries) {
  const std::string anim = copyMedia("anim.gif");
  chooseFile(anim, 0);
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/anim_gif2.gif");
  EXPECT_EQ(w().lblVideoLen.Caption(), "Source File length : 00:00:04.0, Frames per second : 5");
  EXPECT_TRUE(w().cmdResetFps.Visible());
  EXPECT_EQ(FrameCount, 20);
  answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
  encode();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].prompt.find("There are about  20  GIF pics"), std::string::npos);
  EXPECT_EQ(boxes[0].prompt.find("You can use encode options"), std::string::npos);
  EXPECT_TRUE(shells.empty());
  Decoded gif = decode(dir() + "/anim_gif2.gif");
  EXPECT_NEAR(gif.frames, 20, 1);
  EXPECT_EQ(gif.width, 160);

  chooseFile(anim, 2);
  answers = {{vb::vbOK, "30"}, {vb::vbOK, ""}};
  encode();
  Decoded png = series(dir(), "png");
  EXPECT_EQ(png.frames, 20);
  EXPECT_EQ(png.width, 160);
}

TEST_F(Conversion, PictureFoldersToGif) {
  const char* kinds[] = {"bmp", "jpg", "gif", "png"};
  for (int kind : {3, 1, 0}) {
    const std::string ext = kinds[kind];
    const std::string folder = copyPictures(ext);
    chooseFolder(folder, kind);
    EXPECT_EQ(titles.back(), "Please choose the folder that includes " + vb::UCase(ext) + " pics");
    EXPECT_EQ(w().lblInput.Caption(), folder + "/*." + ext);
    EXPECT_EQ(w().lblOutput.Caption(), folder + "/p1.gif");
    EXPECT_EQ(w().lblVideoSize.Caption(), "A total of 5 pics, initial picture size : 120 x 90");
    EXPECT_EQ(w().lblVideoLen.Caption(), "The length of pics series : 00:00:01.0, Frames per second : 5");
    EXPECT_EQ(VideoLength, 1.0f);
    boxes.clear();
    answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
    encode();
    ASSERT_EQ(boxes.size(), 2u) << ext;
    EXPECT_NE(boxes[0].prompt.find("There are about  5  GIF pics and length is  00:00:01.0"), std::string::npos);
    Decoded gif = decode(folder + "/p1.gif");
    EXPECT_EQ(gif.frames, 5) << ext;
    EXPECT_EQ(gif.width, 120) << ext;
    EXPECT_EQ(gif.height, 90) << ext;
  }
}

TEST_F(Conversion, AFolderOfGifsToGifInTheHomeFolder) {
  const std::string folder = copyPictures("gif");
  chooseFolder(folder, 2);
  EXPECT_EQ(w().lblOutput.Caption(), home() + "/p1.gif");
  answers = {{vb::vbOK, ""}, {vb::vbCancel, ""}};
  const std::string before = fs::current_path().string();
  encode();
  EXPECT_EQ(fs::current_path().string(), before);  // the folder made current for the run is left again
  Decoded gif = decode(home() + "/p1.gif");
  EXPECT_EQ(gif.frames, 5);
  EXPECT_EQ(gif.width, 120);
}

TEST_F(Conversion, StopAtTheMiddleOfARun) {
  const std::string clip = copyMedia("sparse-keys.avi");
  chooseFile(clip, 0);
  ScopeStart = 4;  // the key-frame question moves it for this run only
  ScopeEnd = 9;
  answers = {{vb::vbYes, ""}, {vb::vbOK, ""}, {vb::vbOK, ""}};
  stopAtPercent = 40;
  watchProgress();
  encode();
  // The key-frame question, the confirmation, the runner's stop message; no result message.
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].prompt, "Encoding stop !");
  EXPECT_EQ(ScopeStart, 4);
  EXPECT_EQ(ScopeEnd, 9);
  EXPECT_EQ(w().lblProgress.Caption(), "Progress 0 %");
  EXPECT_TRUE(w().cmdEncode(0).Visible());
  EXPECT_FALSE(w().cmdEncode(1).Visible());
  EXPECT_TRUE(mdlGetCmdOutput::StopRequested);
}

TEST_F(Conversion, ADroppedFileBecomesTheSource) {
  const std::string clip = copyMedia("clip.avi");
  // Two files dragged from a file manager onto the source button: the first is taken.
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(QString::fromStdString(clip)),
                 QUrl::fromLocalFile(QString::fromStdString(copyMedia("clip.mp4")))});
  QWidget* button = w().cmdInput.Widget();
  QWidget* face = button->childAt(10, 10);
  QWidget* target = face ? face : button;
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &dropped);
  EXPECT_TRUE(w().tmrDoing.Enabled());
  waitFor([&] { return w().lblInput.Caption() == clip; });
  EXPECT_FALSE(w().tmrDoing.Enabled());
  EXPECT_EQ(w().lblOutput.Caption(), dir() + "/clip.gif");
  EXPECT_EQ(VideoWidth, 320);
  EXPECT_TRUE(dialogs.empty());  // no open dialog for a dropped file
}

}  // namespace
