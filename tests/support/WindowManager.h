// A real window manager (openbox) on the test's X display for as long as the object lives, ready
// once it answers for a window of ours. Start() skips the test where openbox is missing.
#pragma once
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include "platform/x11window.h"

namespace testsupport {

class WindowManager {
 public:
  WindowManager() = default;
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  ~WindowManager() {
    if (wm_.state() == QProcess::NotRunning) return;
    wm_.terminate();
    if (!wm_.waitForFinished(5000)) wm_.kill();
    wm_.waitForFinished();
  }
  void Start() {
    if (!win::x11::Available()) GTEST_SKIP() << "needs an X display";
    if (QStandardPaths::findExecutable("openbox").isEmpty()) GTEST_SKIP() << "needs openbox";
    wm_.start("openbox", {"--sm-disable"});
    ASSERT_TRUE(wm_.waitForStarted());
    QWidget probe;
    const auto id = static_cast<win::x11::Window>(probe.winId());
    QGuiApplication::sync();
    ASSERT_TRUE(QTest::qWaitFor([id] {
      int l = 0, t = 0, r = 0, b = 0;
      return win::x11::FramesToldAhead() && win::x11::FrameExtents(id, l, t, r, b);
    }, 10000));
  }

 private:
  QProcess wm_;
};

}  // namespace testsupport
