// labels: gui
// The splash: its text by the settings file, and the main window's fade-in by timer ticks.
#include <gtest/gtest.h>

#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "foundation/mdlFenwoZantiro.h"
#include "runtime/app.h"
#include "runtime/screen.h"
#include "support/paths.h"

namespace {

using zantiro::frmMain;
using zantiro::frmOptions;
using zantiro::frmSplash;

class Splash : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "C", 1);
    vb::App::SetPathForTests(app_.path());
    mdlFenwoZantiro::MainActivated = false;
  }
  void TearDown() override {
    frmOptions::Release();
    frmSplash::Release();
    frmMain::Release();
    vb::App::SetPathForTests("");
    mdlFenwoZantiro::MainActivated = false;
  }
  // The splash shown over a main window that is not loaded, its timer driven by hand.
  frmSplash& Show() {
    frmMain::Default();
    frmSplash& s = frmSplash::Default();
    s.Show();
    EXPECT_TRUE(s.timeMarquee.Enabled());
    s.timeMarquee.Enabled(false);
    return s;
  }
  static int MainAlpha() {
    return static_cast<int>(std::lround(frmMain::Default().Widget()->windowOpacity() * 255));
  }
  // Alpha of the main window after each tick, the main window activated before tick `at`.
  std::vector<int> Fade(int at) {
    frmSplash& s = Show();
    std::vector<int> alpha;
    for (int tick = 1; tick <= 121; ++tick) {
      if (tick == at) mdlFenwoZantiro::MainActivated = true;
      if (tick == 121) {
        EXPECT_TRUE(s.Loaded());
      }
      s.timeMarquee_Timer();
      alpha.push_back(MainAlpha());
    }
    EXPECT_FALSE(s.Loaded()) << "closed after tick 121";
    return alpha;
  }
  testsupport::TempDir app_{"app"};
};

TEST_F(Splash, ActivatedAtTick100FadesInBy12Point5PerTick) {
  const std::vector<int> alpha = Fade(100);
  for (int tick = 1; tick < 100; ++tick) EXPECT_EQ(alpha[tick - 1], 0) << tick;
  const std::vector<int> fade(alpha.begin() + 99, alpha.begin() + 120);
  EXPECT_EQ(fade, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100, 112, 125, 138, 150, 162,
                                    175, 188, 200, 212, 225, 238, 250}));
  EXPECT_EQ(alpha[120], 255);
}

TEST_F(Splash, ActivatedAtTick120StaysTransparentUntilTheEnd) {
  const std::vector<int> alpha = Fade(120);
  for (int tick = 1; tick <= 120; ++tick) EXPECT_EQ(alpha[tick - 1], 0) << tick;
  EXPECT_EQ(alpha[120], 255);
}

TEST_F(Splash, NeverActivatedBecomesOpaqueAtTheEnd) {
  const std::vector<int> alpha = Fade(1000);
  EXPECT_EQ(alpha[119], 0);
  EXPECT_EQ(alpha[120], 255);
}

TEST_F(Splash, AClickEndsItAndTheMainWindowIsOpaque) {
  frmSplash& s = Show();
  for (int i = 0; i < 10; ++i) s.timeMarquee_Timer();
  EXPECT_EQ(MainAlpha(), 0);
  const float top = s.lblMarquee.Top();
  const int twips = vb::Screen::TwipsPerPixelY();
  for (int i = 0; i < twips; ++i) s.timeMarquee_Timer();
  EXPECT_EQ(s.lblMarquee.Top(), top - static_cast<float>(twips)) << "one twip a tick";
  s.lblMarquee.MouseDown(1, 0, 5, 5);
  EXPECT_FALSE(s.Loaded());
  EXPECT_EQ(MainAlpha(), 255);
}

TEST_F(Splash, TextByTheSettingsFileOrTheSystemLanguage) {
  struct Case {
    const char* file;  // nullptr: no settings file
    const char* locale;
    bool chinese;
  };
  const std::vector<Case> cases = {{nullptr, "C", false},
                                   {nullptr, "zh_TW.UTF-8", true},
                                   {"Language=tw\r\n", "C", true},
                                   {"language=tw\r\n", "zh_TW.UTF-8", false},
                                   {"Language=gb\r\n", "zh_TW.UTF-8", false}};
  for (const Case& c : cases) {
    std::filesystem::remove(app_.file("Fenwo.Zantiro.ini"));
    if (c.file) testsupport::writeFile(app_.file("Fenwo.Zantiro.ini"), c.file);
    setenv("LC_ALL", c.locale, 1);
    frmSplash& s = Show();
    const std::string text = s.lblMarquee.Caption();
    EXPECT_EQ(text.rfind(c.chinese ? "歡迎您使用 Fenwo\r\n" : "Welcome to Fenwo\r\nBy Merrowin\r\n\r\n", 0),
              0u)
        << (c.file ? c.file : "no file") << " " << c.locale;
    frmSplash::Release();
  }
}

}  // namespace
