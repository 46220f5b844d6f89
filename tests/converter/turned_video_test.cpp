// labels: e2e engine
// libs: fenwo_converter
// Videos stored on their side, as phones write them, through the main window and the real engine:
// the size the probe shows, and the one the fields start from, is the upright size; the GIF and
// the pictures are the upright picture, scaled and cropped as the user asked.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <filesystem>
#include <string>

#include "foundation/mdlFenwoZantiro.h"
#include "runtime/msgbox.h"
#include "support/MainWindowFixture.h"
#include "support/TurnedClip.h"
#include "support/paths.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlFenwoZantiro;
using testsupport::FindMarker;
using testsupport::MakeTurnedClip;

QImage FirstFrame(const std::string& file) {
  QImageReader r(QString::fromStdString(file));
  return r.read().convertToFormat(QImage::Format_RGB32);
}

std::string Text(QSize s) { return std::to_string(s.width()) + "x" + std::to_string(s.height()); }

class TurnedVideo : public testsupport::MainWindow {
 protected:
  std::string Clip(int rotation, QSize upright, const std::string& ext = ".mp4", double seconds = 1) {
    const std::string clip = dir() + "/r" + std::to_string(rotation) + ext;
    const std::string made = MakeTurnedClip(clip, rotation, upright, seconds);
    EXPECT_EQ(made, "");
    return clip;
  }
  // Encode Now for the source chosen with that target kind (0 GIF, 1 JPG, 2 PNG), its questions
  // answered; the result's first picture.
  QImage Convert(const std::string& clip, int kind) {
    for (const auto& e : fs::directory_iterator(dir()))
      if (e.path().extension() == ".jpg" || e.path().extension() == ".png") fs::remove(e.path());
    boxes.clear();
    answers = kind == 0 ? std::deque<vb::BoxAnswer>{{vb::vbOK, ""}, {vb::vbCancel, ""}}
                        : std::deque<vb::BoxAnswer>{{vb::vbOK, kind == 1 ? "90" : "30"}, {vb::vbOK, ""}};
    encode();
    EXPECT_EQ(boxes.size(), 2u);
    const std::string stem = fs::path(clip).stem().string();
    return FirstFrame(kind == 0 ? dir() + "/" + stem + ".gif" : dir() + (kind == 1 ? "/00000001.jpg" : "/00000001.png"));
  }
};

TEST_F(TurnedVideo, ProbedAndConvertedUpright) {
  const QSize upright(240, 320);
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE("rotate=" + std::to_string(rotation));
    const std::string clip = Clip(rotation, upright);
    for (int kind : {0, 1}) {
      chooseFile(clip, kind);
      EXPECT_EQ(w().lblVideoSize.Caption(), "Source File size : 240 x 320");
      EXPECT_EQ(OutWidth, 240);
      EXPECT_EQ(OutHeight, 320);
      const QImage result = Convert(clip, kind);
      std::string seen;
      EXPECT_EQ(Text(result.size()), "240x320") << (kind ? "JPG" : "GIF");
      EXPECT_TRUE(FindMarker(result).Upright(3, seen)) << (kind ? "JPG: " : "GIF: ") << seen;
    }
  }
}

// A phone's portrait clip: 1920x1080 stored, shown 1080 x 1920; the output size starts from the
// upright size (wider than 960: 960 across).
TEST_F(TurnedVideo, APortraitPhoneClipIsFittedUpright) {
  const std::string clip = Clip(90, QSize(1080, 1920), ".mp4", 0.3);
  chooseFile(clip, 1);
  EXPECT_EQ(w().lblVideoSize.Caption(), "Source File size : 1080 x 1920");
  EXPECT_EQ(OutWidth, 960);
  EXPECT_EQ(OutHeight, 1708);
  const QImage result = Convert(clip, 1);
  std::string seen;
  EXPECT_EQ(Text(result.size()), "960x1708");
  EXPECT_TRUE(FindMarker(result).Upright(3, seen)) << seen;
}

// The size fields and the crop rectangle, as the options window hands them over, are in the
// upright picture's pixels: half the size, then its top-left quarter, which holds the marker's
// 30 x 40 pixels in its own top-left corner. MOV and 3GP carry the rotation as MP4 does.
TEST_F(TurnedVideo, SizeAndCropWorkOnTheUprightPicture) {
  struct Case {
    const char* ext;
    int rotation, kind;
  };
  for (const Case& c : {Case{".mov", 90, 0}, Case{".3gp", 270, 2}}) {
    SCOPED_TRACE(c.ext + std::string(" rotate=") + std::to_string(c.rotation));
    const std::string clip = Clip(c.rotation, QSize(240, 320), c.ext);
    chooseFile(clip, c.kind);
    OutWidth = 120;
    OutHeight = 160;
    CropRect = {1, 0, 0, 60, 80};
    const QImage result = Convert(clip, c.kind);
    EXPECT_EQ(Text(result.size()), "60x80");
    const auto place = FindMarker(result);
    EXPECT_LE(place.marker.topLeft().manhattanLength(), 2);
    EXPECT_NEAR(place.marker.width(), 30, 2);
    EXPECT_NEAR(place.marker.height(), 40, 2);
  }
}

}  // namespace
