// The conversion program's windows on the screen, as the screen tests drive them (see
// ScreenGrab.h): found by title and size, and a source chosen through its menu and open dialog.
#pragma once
#include <QTest>
#include <string>

#include "support/ScreenGrab.h"

namespace testsupport::screen {

inline const QSize kMainSize(460, 340), kSplashSize(360, 200);
inline const QString kMainTitle = "^Fenwo\\.Zantiro$";

// The main window once the splash has gone; an id of 0 when it did not come.
inline Window MainAfterSplash() {
  if (!WaitForWindow(kMainTitle, kMainSize).id) return {};
  if (!WaitUntil([] { return Find(kMainTitle, kSplashSize).id == 0; })) return {};
  return Find(kMainTitle, kMainSize);
}

// A source chosen as a user does: Source File, "Choose a movie file" > "encode to Animated GIF",
// the path typed into the open dialog; done once the source is probed (its size line tells its
// size and the window stands still).
inline bool ChooseSource(const Window& main, const std::string& path) {
  const QRect field(main.rect.topLeft() + QPoint(16, 156), QSize(300, 18));
  const QImage before = Area(field);
  const QRect below(main.rect.topLeft() + QPoint(16, 100), QSize(200, 100));
  const QImage under = Area(below);
  if (!ClickAt(main.rect.topLeft() + QPoint(76, 81)) || !WaitForChange(below, under) ||
      // Paced as a hand gives them: the submenu opens before the choice.
      !Xdo({"key", "Down", "sleep", "0.3", "key", "Right", "sleep", "0.3", "key", "Return"}))
    return false;
  Window dialog;
  if (!WaitUntil([&] {
        for (const Window& w : Windows("."))
          if (w.rect.size() != kMainSize && w.rect.size() != kSplashSize && w.rect.width() > 300) dialog = w;
        return dialog.id != 0;
      }))
    return false;
  if (!Xdo({"type", "--delay", "20", QString::fromStdString(path)}) || !Keys({"Return"}) ||
      !WaitForChange(field, before))
    return false;
  QImage last = Area(main.rect);
  int still = 0;
  return WaitUntil([&] {
    QTest::qWait(100);
    const QImage now = Area(main.rect);
    still = now == last ? still + 1 : 0;
    last = now;
    return still >= 10;
  });
}

}  // namespace testsupport::screen
