// The options window's preview with the real engine on the X display: a source copied into a
// scratch folder, the main window in English naming it, message boxes recorded and answered OK,
// and everything ended and unloaded after each test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmPlayer.h"
#include "converter/frmSplash.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "support/paths.h"

namespace testsupport {

class PreviewWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "C", 1);
    vb::App::SetPathForTests(appDir());
    vb::SetBoxHook([this](const vb::BoxCall& call) {
      boxes.push_back(call.prompt);
      return vb::BoxAnswer{vb::vbOK, ""};
    });
    zantiro::frmMain::Default().ChangeLanguage("en");
  }
  void TearDown() override {
    mdlConsole::KillEngine();
    zantiro::frmPlayer::Release();
    zantiro::frmOptions::Release();
    zantiro::frmSplash::Release();
    zantiro::frmMain::Release();
    vb::SetBoxHook({});
    vb::App::SetPathForTests("");
  }
  // The source of the test media, as the source step leaves it: its size, length and the fields.
  void UseSource(const std::string& name, int32_t width, int32_t height, float length) {
    namespace z = mdlFenwoZantiro;
    source = dir.file(name);
    std::filesystem::copy_file(media(name), source);
    zantiro::frmMain::Default().lblInput.Caption(source);
    z::VideoWidth = width;
    z::VideoHeight = height;
    z::VideoLength = length;
    z::VideoFps = 25;
    z::FrameCount = 0;
    z::SecPerTwip = length / 384;  // the track is 384 units wide
    z::OutWidth = width;
    z::OutHeight = height;
    z::OutFps = 5;
    z::ScopeStart = z::ScopeEnd = 0;
    z::CropRect.fill(0);
    zantiro::frmOptions::Default().SetAppliedValue();
  }

  // The options window at the screen's corner, starting the preview as the Options button does.
  zantiro::frmOptions& Open() {
    zantiro::frmOptions& f = zantiro::frmOptions::Default();
    f.Move(0, 0);
    f.Show();
    f.newPlay(source, 0);
    return f;
  }

  TempDir dir{"preview"};
  std::string source;
  std::vector<std::string> boxes;
};

}  // namespace testsupport
