// labels: gui
// The options window against a stand-in engine that records its command line and every slave
// command, and says what the test tells it to: field rules, time range and slider, crop
// rectangle, colour and volume steps, OK and Cancel, the preview's poll; the big-screen window.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmPlayer.h"
#include "converter/frmSplash.h"
#include "foundation/frmOutput.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "platform/window.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/screen.h"
#include "runtime/strings.h"
#include "support/paths.h"

namespace {

using zantiro::frmMain;
using zantiro::frmOptions;
using zantiro::frmPlayer;
using zantiro::frmSplash;
using zantiro::TransArea;
namespace fs = std::filesystem;
namespace z = mdlFenwoZantiro;
using namespace std::chrono_literals;

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "C", 1);
    fs::create_directories(app.path() + "/plugins");
    // Says what the test leaves in SAY, and writes every command it reads into LOG.
    const std::string engine = testsupport::writeFile(
        app.file("plugins/FenwoRes1.exe"),
        "#!/bin/bash\n"
        // Written whole, then renamed: a test that sees ARGS must find all of it.
        "printf '%s\\n' \"$@\" > '" + app.file("ARGS.part") + "'\n"
        "mv '" + app.file("ARGS.part") + "' '" + app.file("ARGS") + "'\n"
        "(while kill -0 $$ 2>/dev/null; do\n"
        "  if [ -f '" + app.file("SAY") + "' ]; then cat '" + app.file("SAY") + "'; rm -f '" + app.file("SAY") + "'; fi\n"
        "  sleep 0.02\n"
        "done) &\n"
        "exec cat >> '" + app.file("LOG") + "'\n");
    ::chmod(engine.c_str(), 0755);
    vb::App::SetPathForTests(app.path());
    vb::SetBoxHook([this](const vb::BoxCall& call) {
      boxes.push_back(call.prompt);
      return vb::BoxAnswer{answer, ""};
    });
    main().ChangeLanguage("en");
    z::VideoWidth = 320;
    z::VideoHeight = 240;
    z::VideoLength = 95;
    z::VideoFps = 25;
    z::FrameCount = 0;
    z::SecPerTwip = 95.0f / 384;  // the track is 384 units wide
    z::OutWidth = 320;
    z::OutHeight = 240;
    z::OutFps = 5;
    z::ScopeStart = z::ScopeEnd = 0;
    z::CropRect.fill(0);
    z::EncodeColorArgs.clear();
    main().lblInput.Caption(testsupport::media("clip.avi"));
    opt().SetAppliedValue();
  }
  void TearDown() override {
    mdlConsole::KillEngine();
    frmPlayer::Release();
    frmOptions::Release();
    frmSplash::Release();
    frmOutput::Release();
    frmMain::Release();
    vb::SetBoxHook({});
    win::SetKeyStateForTests({});
    vb::App::SetPathForTests("");
    z::ShowConsole = false;
  }
  static frmMain& main() { return frmMain::Default(); }
  static frmOptions& opt() { return frmOptions::Default(); }

  // Starts the preview; its poll runs only when the test calls it.
  void Play() {
    opt().lblPlay.Click();
    ASSERT_TRUE(opt().tmrCheck.Enabled());
    opt().tmrCheck.Interval(1 << 30);
    ASSERT_TRUE(WaitFor([this] { return fs::exists(app.file("ARGS")); }));
    Sent();  // the questions of the start
  }
  template <class F>
  static bool WaitFor(F done, std::chrono::milliseconds limit = 3s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }
  // The commands the engine has read since the last call: a marker question goes last, and
  // everything before it has arrived once the engine has logged it.
  std::vector<std::string> Sent() {
    const bool marked = mdlConsole::IsRunning() && mdlConsole::SendCommand("get_property marker") == 0;
    std::string log;
    WaitFor([&] {
      log = fs::exists(app.file("LOG")) ? testsupport::readFile(app.file("LOG")) : "";
      return !marked || vb::InStr(log.substr(consumed_), "get_property marker\n") > 0;
    });
    std::vector<std::string> lines = vb::Split(log.substr(consumed_), "\n");
    consumed_ = log.size();
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (marked && !lines.empty()) lines.pop_back();
    return lines;
  }
  // The engine writes the chunk; then one tick of the poll reads it.
  void Say(const std::string& chunk) {
    // Whole or not at all: the engine must not find a file half written.
    testsupport::writeFile(app.file("SAY.part"), chunk);
    fs::rename(app.file("SAY.part"), app.file("SAY"));
    ASSERT_TRUE(WaitFor([this] { return !fs::exists(app.file("SAY")); }));
    std::this_thread::sleep_for(50ms);
    opt().tmrCheck.Timer();
  }
  std::string Args() { return testsupport::readFile(app.file("ARGS")); }

  testsupport::TempDir app{"options"};
  std::vector<std::string> boxes;
  int answer = vb::vbOK;
  size_t consumed_ = 0;
};

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------------
// Input rules of the fields

TEST_F(Options, KeysEachFieldTakes) {
  struct Case {
    vb::TextBox* field;
    const char* keys;     // typed one by one
    const char* passed;   // the keys that got through
  };
  frmOptions& f = opt();
  const Case cases[] = {
      {&f.txtFps, "12.5.a:x", "12.5."},  // several "." pass; letters and ":" do not
      {&f.txtSize(0), "32a0.5:", "320.5"},
      {&f.txtSize(1), "b2-40", "240"},
      {&f.txtScope(0), "00:01:30.0z ", "00:01:30.0"},
      {&f.txtScope(1), "1a:2", "1:2"},
  };
  for (const Case& c : cases) {
    std::string passed;
    for (const char* k = c.keys; *k; ++k) {
      int key = static_cast<unsigned char>(*k);
      c.field->KeyPress(key);
      if (key) passed += static_cast<char>(key);
    }
    EXPECT_EQ(passed, c.passed) << c.keys;
    int back = 8;
    c.field->KeyPress(back);
    EXPECT_EQ(back, 8) << "Backspace always passes";
  }
}

TEST_F(Options, TypedTimeRangeBecomesTheMarks) {
  frmOptions& f = opt();
  f.Show();
  struct Case {
    const char *start, *end;
    const char *markIn, *markOut;  // the marks afterwards
    int message;                   // text shown, 0 for none
  };
  const Case cases[] = {
      {"00:01:30.0", "00:02:00.5", "90", "95", 0},     // an end beyond the length is cut to it
      {"00:01:30.0", "00:01:32.5", "90", "92.5", 0},
      {"00:01:60.0", "00:01:32.5", "", "", 108},       // seconds 60 fail the pattern
      {"0:01:30.0", "00:01:32.5", "", "", 108},        // one hour digit
      {"00:01:20.0", "00:01:20.0", "", "", 107},       // equal times are refused
      {"00:00:00.0", "00:01:35.0", "", "", 0},         // the whole source: nothing changes
  };
  for (const Case& c : cases) {
    boxes.clear();
    f.lblMark(0).Tag("");
    f.lblMark(1).Tag("");
    f.shpScope.Visible(false);
    f.txtScope(0).Text(c.start);
    f.txtScope(1).Text(c.end);
    int enter = 13;
    f.txtScope(0).KeyPress(enter);
    EXPECT_EQ(enter, 0) << "Enter runs the check and inserts nothing";
    EXPECT_EQ(f.lblMark(0).Tag(), c.markIn) << c.start << " " << c.end;
    EXPECT_EQ(f.lblMark(1).Tag(), c.markOut) << c.start << " " << c.end;
    if (c.message) {
      ASSERT_EQ(boxes.size(), 1u) << c.start << " " << c.end;
      EXPECT_EQ(vb::Left(boxes[0], vb::Len(z::LngText[c.message])), z::LngText[c.message]);
    } else {
      EXPECT_TRUE(boxes.empty()) << c.start << " " << c.end;
    }
  }
  EXPECT_EQ(boxes.size(), 0u);
  f.txtScope(1).Text("00:01:6");
  f.txtScope(1).LostFocus();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], z::LngText[108] + "hh:mm:ss.s\r\n\r\nhh = 00 ~ 99\r\nmm = 00 ~ 59\r\nss = 00 ~ 59\r\ns = 0 ~ 9");
  EXPECT_EQ(f.txtScope(1).Text(), "00:01:35.0") << "both fields are rewritten from the marks";
}

// Entering and leaving a field without typing keeps the range, also where the length or a mark
// is not on a tenth of a second (the fields show tenths).
TEST_F(Options, LeavingAFieldUntouchedKeepsTheRange) {
  frmOptions& f = opt();
  f.Show();
  struct Case {
    float length;
    const char *markIn, *markOut;
  };
  const Case cases[] = {{95.04f, "", ""}, {95.04f, "10", "95.04"}, {95.0f, "", ""}, {95.0f, "12.34", "20.06"}};
  for (const Case& c : cases) {
    z::VideoLength = c.length;
    f.lblMark(0).Tag(c.markIn);
    f.lblMark(1).Tag(c.markOut);
    f.SetScopeNote();
    f.shpScope.Visible(*c.markOut != 0);
    const std::string note = f.lblScopeNote.Caption();
    for (int i : {0, 1}) f.txtScope(i).LostFocus();
    EXPECT_EQ(f.lblMark(0).Tag(), c.markIn) << c.length << " " << c.markIn;
    EXPECT_EQ(f.lblMark(1).Tag(), c.markOut) << c.length << " " << c.markIn;
    EXPECT_EQ(f.lblScopeNote.Caption(), note);
    EXPECT_EQ(f.shpScope.Visible(), *c.markOut != 0);
  }
  EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------------------------------
// Time range and slider

TEST_F(Options, MarksAndTheirSummary) {
  frmOptions& f = opt();
  Play();
  const std::string head = z::LngText[23];
  // An end mark alone: the range from 0.
  Say("A:  12.5 V:  12.5 A-V: 0.0\r");
  f.lblMark(1).Click();
  EXPECT_EQ(f.lblScopeNote.Caption(), head + "00:00:00.0 - 00:00:12.5 = 12.5");
  EXPECT_TRUE(f.shpScope.Visible());
  EXPECT_FLOAT_EQ(f.shpScope.Left(), f.imgSliderBG.Left());
  EXPECT_FLOAT_EQ(f.shpScope.Width(), 12.5f / z::SecPerTwip);

  // A start mark drops the end; the bar then follows the playing time.
  Say("A:  20.0 V:  20.0 A-V: 0.0\r");
  f.lblMark(0).Click();
  EXPECT_EQ(f.lblMark(1).Tag(), "");
  EXPECT_EQ(f.lblScopeNote.Caption(), head + "00:00:20.0 - ?? = ??");
  EXPECT_EQ(f.txtScope(1).Text(), "00:01:35.0");
  Say("A:  20.1 V:  20.1 A-V: 0.0\r");
  EXPECT_TRUE(f.shpScope.Visible());
  EXPECT_FLOAT_EQ(f.shpScope.Width(), 1) << "a range shorter than one unit is one unit wide";

  // An end at or before the start clears both.
  Say("A:  19.0 V:  19.0 A-V: 0.0\r");
  EXPECT_EQ(f.lblMark(0).Tag(), "") << "the poll found the time before the start";
  EXPECT_FALSE(f.shpScope.Visible());
  Say("A:  30.0 V:  30.0 A-V: 0.0\r");
  f.lblMark(0).Click();
  Say("A:  30.0 V:  30.0 A-V: 0.0\r");
  f.lblMark(1).Click();
  EXPECT_EQ(f.lblMark(0).Tag(), "");
  EXPECT_EQ(f.lblMark(1).Tag(), "");
  EXPECT_FALSE(f.shpScope.Visible());

  // The end of the file ends an open range.
  Say("A:  40.0 V:  40.0 A-V: 0.0\r");
  f.lblMark(0).Click();
  Say("A:  42.0 V:  42.0 A-V: 0.0\r\n\nExiting... (End of file)\n");
  EXPECT_EQ(f.lblMark(0).Tag(), "40");
  EXPECT_EQ(f.lblMark(1).Tag(), "42");
  EXPECT_FALSE(f.tmrCheck.Enabled());
  EXPECT_EQ(f.lblCurTime.Caption(), "");
}

TEST_F(Options, SeeksFromTheSliderAndTheButtons) {
  frmOptions& f = opt();
  // Nothing plays and the length is unknown: the preview starts, the thumb goes back to the
  // start, and nothing is sent.
  z::VideoLength = 0;
  f.imgSlider.Left(200);
  f.imgSliderBG.MouseUp(vb::vbLeftButton, 0, 100, 5);
  EXPECT_TRUE(f.tmrCheck.Enabled()) << "clicking the track starts the preview";
  EXPECT_FLOAT_EQ(f.imgSlider.Left(), f.imgSliderBG.Left() - f.imgSlider.Width() / 2);
  f.tmrCheck.Interval(1 << 30);
  Sent();
  z::VideoLength = 95;

  // 150 units: 37.1 s (to one decimal), 39.05 percent.
  f.imgSliderBG.MouseDown(vb::vbLeftButton, 0, 150, 5);
  EXPECT_FLOAT_EQ(f.imgSlider.Left(), f.imgSliderBG.Left() + 150 - f.imgSlider.Width() / 2);
  f.imgSliderBG.MouseUp(vb::vbLeftButton, 0, 150, 5);
  EXPECT_EQ(f.imgSlider.Tag(), "2");
  f.lblForward.Click();
  f.lblBackward.Click();
  EXPECT_EQ(Sent(), (Lines{"seek 39.05 1", "seek 10 0", "seek -10 0"}));

  // Paused: the seek waits for the picture with two frame steps.
  f.lblPause.Click();
  EXPECT_EQ(Sent(), Lines{"Pause"});
  f.lblForward.Click();
  EXPECT_EQ(Sent(), (Lines{"pausing seek 10 0", "frame_step", "frame_step"}));

  // The thumb: dragged by its centre, kept on the track.
  const float start = f.imgSlider.Left();
  f.imgSlider.MouseMove(vb::vbLeftButton, 0, 16, 5);
  EXPECT_FLOAT_EQ(f.imgSlider.Left(), start + 10);
  f.imgSlider.Left(f.imgSliderBG.Left() + f.imgSliderBG.Width() - 1);
  f.imgSlider.MouseMove(vb::vbLeftButton, 0, 100, 5);
  EXPECT_FLOAT_EQ(f.imgSlider.Left(), f.imgSliderBG.Left() + f.imgSliderBG.Width() - 1) << "beyond the track";
  f.imgSlider.MouseUp(vb::vbLeftButton, 0, 100, 5);
  EXPECT_TRUE(Sent().empty());

  // The poll moves the thumb only after the hold-off of two ticks.
  const float held = f.imgSlider.Left();
  f.imgSlider.Tag("2");
  Say("A:  47.5 V:  47.5 A-V: 0.0\r");
  Say("A:  47.6 V:  47.6 A-V: 0.0\r");
  EXPECT_EQ(f.imgSlider.Tag(), "");
  EXPECT_FLOAT_EQ(f.imgSlider.Left(), held);
  Say("A:  47.5 V:  47.5 A-V: 0.0\r");
  EXPECT_NEAR(f.imgSlider.Left(), f.imgSliderBG.Left() + 192 - f.imgSlider.Width() / 2, 0.01);
}

// ---------------------------------------------------------------------------------------
// Crop rectangle

TEST_F(Options, DrawnCropRectangle) {
  frmOptions& f = opt();
  const float sw = f.picPlayer.ScaleWidth(), sh = f.picPlayer.ScaleHeight();
  struct Case {
    float x0, y0, x1, y1;  // press and release, moving straight between them
    bool shown;
    float left, top, width, height;
  };
  const Case cases[] = {
      {10, 20, 110, 80, true, 10, 20, 100, 60},
      {10, 20, 13, 80, false, 0, 0, 0, 0},           // 3 units wide: no crop
      {0, 0, 50, 50, true, 1, 1, 49, 49},            // the top-left corner starts at 1, 1
      {300, 200, sw + 50, sh + 50, true, 300, 200, sw - 300, sh - 200},  // stops at the edges
      {100, 100, 100, 100, false, 0, 0, 0, 0},       // a click
      {100, 100, 50, 140, false, 0, 0, 0, 0},        // left of the corner: width 1
  };
  for (const Case& c : cases) {
    f.shpCrop.Visible(true);
    f.picPlayer.MouseDown(vb::vbLeftButton, 0, c.x0, c.y0);
    f.picPlayer.MouseMove(vb::vbLeftButton, 0, (c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2);
    f.picPlayer.MouseMove(vb::vbLeftButton, 0, c.x1, c.y1);
    f.picPlayer.MouseUp(vb::vbLeftButton, 0, c.x1, c.y1);
    EXPECT_EQ(f.shpCrop.Visible(), c.shown) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    EXPECT_EQ(f.shpCrop.Tag(), "");
    if (!c.shown) continue;
    EXPECT_FLOAT_EQ(f.shpCrop.Left(), c.left);
    EXPECT_FLOAT_EQ(f.shpCrop.Top(), c.top);
    EXPECT_FLOAT_EQ(f.shpCrop.Width(), c.width);
    EXPECT_FLOAT_EQ(f.shpCrop.Height(), c.height);
  }
  // A right click also removes the rectangle.
  f.shpCrop.Visible(true);
  f.picPlayer.MouseDown(vb::vbRightButton, 0, 30, 30);
  f.picPlayer.MouseUp(vb::vbRightButton, 0, 30, 30);
  EXPECT_FALSE(f.shpCrop.Visible());
}

TEST_F(Options, CropInOutputPixelsAndBack) {
  frmOptions& f = opt();
  // A surface of 400 x 300 with an output of 320 x 240.
  z::VideoWidth = 400;
  z::VideoHeight = 300;
  f.picPlayerContainer.Move(0, 0, 400, 300);
  f.adjustVideoLoc();
  ASSERT_FLOAT_EQ(f.picPlayer.ScaleWidth(), 400);
  ASSERT_FLOAT_EQ(f.picPlayer.ScaleHeight(), 300);
  f.shpCrop.Move(1, 1, 199, 299);
  f.shpCrop.Visible(true);
  f.txtFps.Text("5");
  f.txtSize(0).Text("320");
  f.txtSize(1).Text("240");
  f.cmdOkCancel(0).Click();
  EXPECT_EQ(z::CropRect, (std::array<int32_t, 5>{1, 1, 1, 160, 240}));
  EXPECT_NE(vb::InStr(main().lblEncodeNote.Caption(), "( 1 , 1 ) - ( 160 , 240 )"), 0);

  // The next visit shows the stored rectangle again, whatever was drawn before Cancel.
  f.shpCrop.Move(50, 50, 10, 10);
  f.cmdOkCancel(1).Click();
  EXPECT_TRUE(f.shpCrop.Visible());
  EXPECT_FLOAT_EQ(f.shpCrop.Left(), 1.25f);
  EXPECT_FLOAT_EQ(f.shpCrop.Width(), 198.75f);
  EXPECT_FLOAT_EQ(f.shpCrop.Height(), 298.75f);
}

// ---------------------------------------------------------------------------------------
// Colour and volume

TEST_F(Options, ColourAndVolumeSteps) {
  frmOptions& f = opt();
  EXPECT_EQ(f.lblBrightness.Caption(), "Brightness = 0") << "an empty value reads 0";
  Play();
  Say("ANS_brightness=95\r\nANS_contrast=0\r\nANS_hue=-3\r\nANS_saturation=0\r\n");
  EXPECT_EQ(f.imgBrightness(2).Tag(), "95");
  EXPECT_EQ(f.lblHue.Caption(), "Hue = -3");

  f.imgBrightness(1).Click();  // 100
  f.imgBrightness(1).Click();  // stays 100
  f.imgContrast(0).Click();
  f.imgHue(2).Click();
  f.lblVolume.Tag("5");
  f.lblVol(0).Click();
  f.lblVol(0).Click();  // stays 0
  f.lblVol(1).Click();
  EXPECT_EQ(Sent(), (Lines{"brightness 100 1", "brightness 100 1", "contrast -5 1", "hue -3 1", "volume 0 1",
                           "volume 0 1", "volume 5 1"}));
  EXPECT_EQ(f.lblBrightness.Caption(), "Brightness = 100");
  EXPECT_EQ(f.lblVolume.ToolTipText(), "Volume = 5");

  // Before the engine answered, a reset gives 0; while paused every step is "pausing".
  f.imgSaturation(2).Tag("");
  f.lblPause.Click();
  f.imgSaturation(1).Click();
  f.imgSaturation(2).Click();
  EXPECT_EQ(Sent(), (Lines{"Pause", "pausing saturation 5 1", "pausing saturation 0 1"}));

  // The volume steppers show and hide.
  const bool shown = f.lblVol(0).Visible();
  f.lblVolume.MouseDown(vb::vbRightButton, 0, 1, 1);
  EXPECT_EQ(f.lblVol(0).Visible(), !shown);
  EXPECT_EQ(f.lblVol(1).Visible(), !shown);
}

// ---------------------------------------------------------------------------------------
// OK and Cancel

TEST_F(Options, OkChecksTheFields) {
  frmOptions& f = opt();
  struct Case {
    const char *fps, *width, *height;
    bool series;  // JPG or PNG output
    int message;  // the refusal, 0 when accepted
    float outFps;
    int outWidth, outHeight;
  };
  const Case cases[] = {
      {"30", "8", "960", false, 0, 30, 8, 960},
      {"0.5", "960", "8", true, 0, 0.5f, 960, 8},
      {"30.01", "320", "240", false, 40, 0, 0, 0},
      {"0.4", "320", "240", true, 41, 0, 0, 0},
      {"5", "7", "240", false, 42, 5, 0, 0},        // the frame rate stays stored
      {"5", "961", "240", false, 42, 5, 0, 0},
      {"5", "", "240", false, 42, 5, 0, 0},
      {"5", "320", "961", false, 43, 5, 320, 0},
      {"12.5", "320.5", "321.5", false, 0, 12.5f, 320, 322},  // halves to even
  };
  for (const Case& c : cases) {
    boxes.clear();
    z::OutFps = 0;
    z::OutWidth = z::OutHeight = 0;
    f.Show();
    f.lblFpsStr.Tag(c.series ? "jpg" : "");
    f.txtFps.Text(c.fps);
    f.txtSize(0).Text(c.width);
    f.txtSize(1).Text(c.height);
    f.cmdOkCancel(0).Click();
    const std::string what = std::string(c.fps) + " " + c.width + " " + c.height;
    if (c.message) {
      ASSERT_EQ(boxes.size(), 1u) << what;
      EXPECT_EQ(boxes[0], z::LngText[c.message]) << what;
      EXPECT_TRUE(f.Visible()) << what;
    } else {
      EXPECT_TRUE(boxes.empty()) << what;
      EXPECT_FALSE(f.Visible()) << what;
      EXPECT_TRUE(main().Enabled());
    }
    EXPECT_FLOAT_EQ(z::OutFps, c.outFps) << what;
    EXPECT_EQ(z::OutWidth, c.outWidth) << what;
    EXPECT_EQ(z::OutHeight, c.outHeight) << what;
  }
}

TEST_F(Options, OkStoresRangeAndColoursCancelRestores) {
  frmOptions& f = opt();
  for (vb::ControlArray<TransArea>* a : {&f.imgBrightness, &f.imgContrast, &f.imgHue, &f.imgSaturation})
    (*a)(2).Tag("0");
  f.lblBrightness.Tag("0");
  f.lblContrast.Tag("0");
  f.lblHue.Tag("0");
  f.lblSaturation.Tag("0");
  f.lblVolume.Tag("50");

  // Nothing changed; a start mark alone is dropped.
  f.lblMark(0).Tag("10");
  f.cmdOkCancel(0).Click();
  EXPECT_EQ(z::ScopeStart, 0);
  EXPECT_EQ(z::ScopeEnd, 0);
  EXPECT_EQ(z::EncodeColorArgs, "");
  EXPECT_EQ(main().lblEncodeNote.Caption(), z::LngText[25] + "\r\n" + z::LngText[77] + "320 x 240" + z::LngText[78] +
                                                "5\r\n" + z::LngText[80] + z::LngText[81] + "\r\n" + z::LngText[82] +
                                                z::LngText[83]);

  struct Colour {
    int brightness, contrast, hue;
    const char* args;
  };
  const Colour colours[] = {
      {10, -5, 20, " -brightness 2 -contrast -5 -vf-add hue=-20:1"},
      {-5, 0, 0, " -brightness -10"},
      {5, 0, 0, " -brightness 1"},
      {15, 0, -10, " -brightness 3 -vf-add hue=10:1"},
  };
  for (const Colour& c : colours) {
    f.lblBrightness.Tag(vb::CStr(c.brightness));
    f.lblContrast.Tag(vb::CStr(c.contrast));
    f.lblHue.Tag(vb::CStr(c.hue));
    f.lblMark(0).Tag("2.5");
    f.lblMark(1).Tag("12.5");
    f.cmdOkCancel(0).Click();
    EXPECT_EQ(z::EncodeColorArgs, c.args);
    EXPECT_FLOAT_EQ(z::ScopeStart, 2.5f);
    EXPECT_FLOAT_EQ(z::ScopeEnd, 12.5f);
  }
  EXPECT_EQ(vb::Split(main().lblEncodeNote.Caption(), "\r\n")[0],
            z::LngText[24] + "00:00:02.5 - 00:00:12.5 = 10.0");
  EXPECT_EQ(vb::Split(main().lblEncodeNote.Caption(), "\r\n")[3],
            z::LngText[82] + "Brightness 15 , Contrast 0 , Hue -10 , Saturation 0");

  // Cancel puts back the values of the last OK, and the labels show them.
  f.Show();
  f.imgBrightness(0).Click();
  f.lblVol(1).Click();
  f.lblMark(0).Tag("");
  f.lblMark(1).Tag("");
  f.txtFps.Text("9");
  f.cmdOkCancel(1).Click();
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.lblBrightness.Tag(), "15");
  EXPECT_EQ(f.lblBrightness.Caption(), "Brightness = 15");
  EXPECT_EQ(f.lblVolume.Tag(), "50");
  EXPECT_EQ(f.lblMark(0).Tag(), "2.5");
  EXPECT_EQ(f.lblMark(1).Tag(), "12.5");
  EXPECT_EQ(f.txtFps.Text(), "5");
}

// A close request (Alt+F4 under a window manager) leaves the window as Cancel does: the main
// window, disabled while it is open, takes input again; the window stays loaded for the next time.
TEST_F(Options, ACloseRequestLeavesAsCancelDoes) {
  frmOptions& f = opt();
  f.lblBrightness.Tag("0");
  f.imgBrightness(0).Tag("0");  // what the Options button keeps to go back to
  main().Enabled(false);  // and how it leaves the main window
  f.Show();
  f.imgBrightness(0).Click();
  ASSERT_NE(f.lblBrightness.Tag(), "0");
  f.Widget()->close();
  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(main().Enabled());
  EXPECT_EQ(f.lblBrightness.Tag(), "0") << "the step dropped, as Cancel drops it";
  const std::vector<vb::Form*> loaded = vb::Forms();
  EXPECT_NE(std::find(loaded.begin(), loaded.end(), &f), loaded.end()) << "still loaded";
  EXPECT_TRUE(vb::Unload(f)) << "the main window's unload still unloads it";
}

// ---------------------------------------------------------------------------------------
// The preview: its command line and its poll

TEST_F(Options, PreviewCommandLine) {
  frmOptions& f = opt();
  f.imgBrightness(2).Tag("0");
  f.lblBrightness.Tag("10");
  f.lblContrast.Tag("-5");
  f.lblVolume.Tag("55");
  Play();
  const std::vector<std::string> args = vb::Split(Args(), "\n");
  auto after = [&args](const std::string& option) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
      if (args[i] == option) return args[i + 1];
    return std::string("(none)");
  };
  EXPECT_EQ(args[0], testsupport::media("clip.avi"));
  EXPECT_EQ(after("-wid"), vb::CStr(f.picPlayer.hWnd()));
  EXPECT_EQ(after("-colorkey"), "0x010203");
  EXPECT_EQ(after("-ss"), "00:00:00.0");
  EXPECT_EQ(after("-brightness"), "10");
  EXPECT_EQ(after("-contrast"), "-5");
  EXPECT_EQ(after("-hue"), "0");
  EXPECT_EQ(after("-volume"), "55");
  EXPECT_TRUE(fs::exists(after("-font"))) << "a font file of this system: " << after("-font");
  EXPECT_EQ(f.picPlayer.Tag(), "Play");
  EXPECT_EQ(f.lblTotalTime.Caption(), "00:01:35.0");
  EXPECT_EQ(f.picPlayer.BackColor(), 0x010203);

  // A second start while one runs does nothing; a folder of GIF pictures is refused.
  f.newPlay("/elsewhere/x.avi", 3);
  EXPECT_EQ(vb::Split(Args(), "\n")[0], testsupport::media("clip.avi"));
  f.setStop(true, false);
  f.newPlay("/pictures/*.gif", 0);
  EXPECT_EQ(boxes, Lines{z::LngText[71]});
  EXPECT_FALSE(f.tmrCheck.Enabled());
}

TEST_F(Options, EngineFontByLanguage) {
  struct Case {
    const char *language, *codePage;  // the code page option, "" for none
  };
  const Case cases[] = {{"en", ""}, {"gb", "cp936"}, {"tw", "cp950"}, {"", "cp950"}};
  for (const Case& c : cases) {
    main().mnuLanguage.Tag(c.language);
    opt().setStop(true, false);
    fs::remove(app.file("ARGS"));
    Play();
    const std::vector<std::string> args = vb::Split(Args(), "\n");
    std::string codePage, font;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
      if (args[i] == "-subcp") codePage = args[i + 1];
      if (args[i] == "-font") font = args[i + 1];
    }
    EXPECT_EQ(codePage, c.codePage) << c.language;
    EXPECT_TRUE(fs::exists(font)) << c.language << ": " << font;
  }
}

TEST_F(Options, PollReadsPositionsAndNotes) {
  frmOptions& f = opt();
  Play();
  struct Case {
    const char* chunk;
    float time;  // CurTime afterwards
  };
  const Case cases[] = {
      {"A:   1.5 V:   1.4 A-V:  0.1 ct: 0.0\r", 1.5f},
      {"A:  12.0 (12.0) of 95.0 (01:35.0)\r", 12.0f},
      {"A:  13.0 nothing after it\r", 12.0f},
      {"V:   3.2  80/ 80  2%  0%  0.0% 0 0\r", 3.2f},
      {"ID_VIDEO_WIDTH=320\nwithout a position\n", 3.2f},
      {"V:  1.0   1/  1\rV:   4.5 112/112\r", 4.5f},  // the last status line
  };
  for (const Case& c : cases) {
    Say(c.chunk);
    EXPECT_FLOAT_EQ(z::CurTime, c.time) << c.chunk;
  }
  EXPECT_EQ(f.lblCurTime.Caption(), "00:00:04.5");

  Say("Generating Index:  45 %\r");
  EXPECT_EQ(f.lblCurTime.Caption(), "");
  EXPECT_TRUE(f.lblPlayerNote.Visible());
  EXPECT_EQ(f.lblPlayerNote.Caption(), z::LngText[104] + "45 %");

  Say("*** screenshot 'shot0003.png' ***\n");
  EXPECT_EQ(f.lblPlayerNote.Caption(), z::LngText[106] + "shot0003.png");
  EXPECT_EQ(f.lblPlayerNote.BackStyle(), vb::vbOpaque);

  Say("FATAL: Could not initialize video filters (-vf) or video output (-vo).\n");
  EXPECT_FALSE(f.tmrCheck.Enabled());
  EXPECT_EQ(boxes, Lines{z::LngText[143]});
}

TEST_F(Options, PollCountsFramesOfAnAnimatedGif) {
  frmOptions& f = opt();
  main().lblInput.Caption(testsupport::media("anim.gif"));
  z::FrameCount = 160;
  z::VideoLength = 8;
  Play();
  EXPECT_EQ(f.tmrCheck.Tag(), "ani_gif");
  EXPECT_NE(vb::InStr(Args(), "anim.gif\n-fps\n25\n"), 0);
  Say("V:   3.2  80/ 80  2%\r");
  EXPECT_FLOAT_EQ(z::CurTime, 4.0f);
  Say("V:   3.4/ 82\r");  // no blank before the "/" of the counter: the time is all there is
  EXPECT_FLOAT_EQ(z::CurTime, 3.4f);
}

TEST_F(Options, PlayPauseAndCapture) {
  frmOptions& f = opt();
  // Pause while stopped opens the source on its first frame.
  f.lblPause.Click();
  EXPECT_TRUE(f.tmrCheck.Enabled());
  f.tmrCheck.Interval(1 << 30);
  EXPECT_EQ(f.picPlayer.Tag(), "Pause");
  Lines first = Sent();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.back(), "frame_step");
  f.lblPause.Click();  // one frame forward
  f.lblPlay.Click();
  f.lblPlay.Click();   // playing: nothing
  EXPECT_EQ(Sent(), (Lines{"frame_step", "pausing Pause"}));
  EXPECT_EQ(f.picPlayer.Tag(), "Play");

  // A screenshot before any position is known does nothing; capture needs a position too.
  f.lblSrceenshot.Click();
  Say("A:   2.0 V:   2.0 A-V: 0.0\r");
  f.lblSrceenshot.Click();
  f.lblCut2Pic(0).Click();
  EXPECT_TRUE(f.lblCut2Pic(1).Visible());
  f.lblCut2Pic(1).Click();
  EXPECT_FALSE(f.lblCut2Pic(1).Visible());
  EXPECT_EQ(f.lblCut2Pic(1).Tag(), "In Near Stop Screenshot");
  EXPECT_EQ(Sent(), (Lines{"screenshot 0", "screenshot 1", "screenshot 1", "Pause"}));
  EXPECT_EQ(f.picPlayer.Tag(), "Pause");
  Say("*** screenshot 'shot0009.png' ***\n");  // the report that comes late
  EXPECT_EQ(f.lblPlayerNote.Caption(), z::LngText[105] + "shot0009.png");
  EXPECT_EQ(f.lblCut2Pic(1).Tag(), "");

  // Stopped: the buttons say to play first.
  f.setStop(true, false);
  f.lblSrceenshot.Click();
  f.lblCut2Pic(0).Click();
  EXPECT_EQ(boxes, (Lines{z::LngText[84], z::LngText[84]}));
}

TEST_F(Options, HintLineKeepsALateLeave) {
  frmOptions& f = opt();
  f.lblMarkDel.MouseEnter();
  EXPECT_TRUE(f.lblNote.Visible());
  f.lblPause.MouseEnter();  // entered before the leave of the first
  f.lblMarkDel.MouseLeave();
  EXPECT_TRUE(f.lblNote.Visible());
  EXPECT_EQ(f.lblNote.Caption(), z::LngText[94]);
  f.lblPause.MouseLeave();
  EXPECT_FALSE(f.lblNote.Visible());
}

TEST_F(Options, DeveloperConsoleShowsWhatThePollReads) {
  frmOptions& f = opt();
  f.MouseDown(vb::vbRightButton, 0, 5, 5);
  EXPECT_TRUE(boxes.empty()) << "no question without the marker file";
  testsupport::writeFile(app.file("Quorvane.ico"), "");
  answer = vb::vbYes;
  f.MouseDown(vb::vbLeftButton, 0, 5, 5);
  f.MouseDown(vb::vbRightButton, 0, 5, 5);
  ASSERT_EQ(boxes, Lines{"是否開啟 Dos 輸出視窗？"});
  ASSERT_TRUE(z::ShowConsole);
  frmOutput& console = frmOutput::Default();
  EXPECT_TRUE(console.Visible());

  Play();
  Say("ID_LENGTH=4.00\r\nA:   1.0 V:   1.0\r*** screenshot 'shot0001.png' ***\n");
  // The lines holding "_" or "*".
  const std::string spec = console.txtOutputSpec.Text();
  EXPECT_EQ(vb::Left(spec, 14), "ID_LENGTH=4.00");
  EXPECT_NE(vb::InStr(spec, "*** screenshot 'shot0001.png' ***"), 0);
  EXPECT_EQ(vb::InStr(spec, "A:"), 0);
  EXPECT_NE(vb::InStr(console.txtOutput.Text(), "ID_LENGTH=4.00"), 0);
  f.tmrCheck.Timer();  // nothing waiting
  EXPECT_EQ(console.txtOutput.Text(), "無內容 (1)");

  answer = vb::vbNo;
  f.MouseDown(vb::vbRightButton, 0, 5, 5);
  EXPECT_FALSE(z::ShowConsole);
  EXPECT_FALSE(console.Visible());
}

// ---------------------------------------------------------------------------------------
// The big-screen window

TEST_F(Options, BigScreenSwitchRestartsBeforeThePosition) {
  frmOptions& f = opt();
  Play();
  Say("A:  10.0 V:  10.0 A-V: 0.0\r");
  const float thumb = f.imgSlider.Left();
  fs::remove(app.file("ARGS"));
  f.lbl2BigScreen(0).Click();
  ASSERT_TRUE(WaitFor([this] { return fs::exists(app.file("ARGS")); }));
  f.tmrCheck.Interval(1 << 30);
  EXPECT_NE(vb::InStr(Args(), "-ss\n00:00:08.0\n"), 0);
  EXPECT_FLOAT_EQ(f.imgSlider.Left(), thumb) << "the thumb stays where it was";
  ASSERT_NE(frmPlayer::Made(), nullptr);
  frmPlayer& p = *frmPlayer::Made();
  EXPECT_TRUE(p.Visible());
  EXPECT_NE(vb::InStr(Args(), "-wid\n" + vb::CStr(p.picPlayer.hWnd()) + "\n"), 0);
  EXPECT_EQ(f.picPlayer.BackColor(), 0x020203);
  EXPECT_EQ(p.Width(), static_cast<float>(vb::Screen::TwipsPerPixelX() * 320 + p.plusFrmWidth));
  EXPECT_EQ(p.Caption(),
            " Fenwo.Zantiro - Player  ( " + vb::CStr(p.ScaleWidth()) + " , " + vb::CStr(p.ScaleHeight()) + " )");

  // Clicks toggle the play state.
  Sent();
  p.picPlayer.MouseDown(vb::vbLeftButton, 0, 5, 5);
  EXPECT_EQ(f.picPlayer.Tag(), "Pause");
  p.MouseDown(vb::vbLeftButton, 0, 5, 5);
  EXPECT_EQ(f.picPlayer.Tag(), "Play");
  EXPECT_EQ(Sent(), (Lines{"Pause", "pausing Pause"}));

  // Closing the window brings the preview back into the options window, as the switch does;
  // the big screen then plays again, in the window loaded anew.
  for (int round = 0; round < 2; ++round) {
    fs::remove(app.file("ARGS"));
    vb::Unload(p, vb::vbFormControlMenu);
    ASSERT_TRUE(WaitFor([this] { return fs::exists(app.file("ARGS")); }));
    EXPECT_FALSE(p.Visible());
    EXPECT_TRUE(f.lbl2BigScreen(0).Visible());
    EXPECT_FALSE(f.lbl2BigScreen(1).Visible());
    EXPECT_TRUE(f.tmrCheck.Enabled());
    EXPECT_NE(vb::InStr(Args(), "-wid\n" + vb::CStr(f.picPlayer.hWnd()) + "\n"), 0);
    fs::remove(app.file("ARGS"));
    f.lbl2BigScreen(0).Click();
    ASSERT_TRUE(WaitFor([this] { return fs::exists(app.file("ARGS")); }));
    EXPECT_TRUE(p.Visible());
    EXPECT_NE(vb::InStr(Args(), "-wid\n" + vb::CStr(p.picPlayer.hWnd()) + "\n"), 0);
  }
}

TEST_F(Options, PlayerKeepsTheAspect) {
  z::VideoWidth = 320;
  z::VideoHeight = 240;
  frmPlayer& p = frmPlayer::Default();
  p.Show();
  // A picture box takes whole pixels.
  const float tx = static_cast<float>(vb::Screen::TwipsPerPixelX()), ty = static_cast<float>(vb::Screen::TwipsPerPixelY());
  const float frameW = p.Width() - tx * p.ScaleWidth(), frameH = p.Height() - ty * p.ScaleHeight();
  auto clientTo = [&](float w, float h) {
    p.Move(p.Left(), p.Top(), w * tx + frameW, h * ty + frameH);
    QCoreApplication::processEvents();
    ASSERT_FLOAT_EQ(p.ScaleWidth(), w);
    ASSERT_FLOAT_EQ(p.ScaleHeight(), h);
  };
  clientTo(800, 400);
  EXPECT_NEAR(p.picPlayer.Width(), 533.33, 0.5);
  EXPECT_NEAR(p.picPlayer.Left(), (800 - 533.33) / 2, 1);
  EXPECT_FLOAT_EQ(p.picPlayer.Height(), 400);

  // While the border is dragged the fit waits for the button to come up.
  bool down = true;
  win::SetKeyStateForTests([&down](int key) { return key == win::VK_LBUTTON && down; });
  clientTo(400, 600);
  EXPECT_TRUE(p.tmrCheck.Enabled());
  EXPECT_NEAR(p.picPlayer.Width(), 533.33, 0.5);
  p.tmrCheck.Timer();
  EXPECT_TRUE(p.tmrCheck.Enabled());
  down = false;
  p.tmrCheck.Timer();
  EXPECT_FALSE(p.tmrCheck.Enabled());
  EXPECT_FLOAT_EQ(p.picPlayer.Width(), 400);
  EXPECT_FLOAT_EQ(p.picPlayer.Height(), 300);
  EXPECT_FLOAT_EQ(p.picPlayer.Top(), 150);

  // Without keep-aspect the picture fills the window.
  p.mnuKeepAspect.Click();
  EXPECT_FALSE(p.mnuKeepAspect.Checked());
  EXPECT_FLOAT_EQ(p.picPlayer.Height(), 600);
}

}  // namespace
