// The desktops a screen test runs on, one test parameter: the bare X display, openbox, and a
// compositing manager (xcompmgr, no window manager). SetUp starts what the desktop needs, or
// skips the test where it is missing.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "platform/x11window.h"
#include "support/ScreenGrab.h"
#include "support/WindowManager.h"

namespace testsupport::screen {

enum class Desk { Bare, Openbox, Composited };

inline std::string Named(Desk d) {
  switch (d) {
    case Desk::Bare: return "bare";
    case Desk::Openbox: return "openbox";
    case Desk::Composited: return "xcompmgr";
  }
  return "";
}

class DesktopTest : public ::testing::TestWithParam<Desk> {
 protected:
  void SetUp() override {
    if (!win::x11::Available()) GTEST_SKIP() << "needs an X display";
    if (GetParam() == Desk::Openbox) wm_.Start();
    if (GetParam() == Desk::Composited) {
      std::string why;
      if (!compositor_.Start(why)) GTEST_SKIP() << why;
    }
  }
  std::string DeskName() const { return Named(GetParam()); }

  WindowManager wm_;
  Compositor compositor_;
};

// For INSTANTIATE_TEST_SUITE_P: the desktop's name as the test's.
inline std::string DeskParamName(const ::testing::TestParamInfo<Desk>& p) { return Named(p.param); }

}  // namespace testsupport::screen
