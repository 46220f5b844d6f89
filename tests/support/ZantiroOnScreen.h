// The conversion program's windows on the screen, as the screen tests drive them (see
// ScreenGrab.h): found by title and size, and a source chosen through its menu and open dialog.
#pragma once
#include <QTest>
#include <string>

#include "support/ScreenGrab.h"

namespace testsupport::screen {

inline const QSize kMainSize(460, 340), kSplashSize(360, 200);
inline const QString kMainTitle = "^Fenwo\\.Zantiro$";

// The main window once the splash has gone and it stands painted and still (it may still be
// coming in when the splash goes); an id of 0 when it did not come.
inline Window MainAfterSplash() {
  if (!WaitForWindow(kMainTitle, kMainSize).id) return {};
  if (!WaitUntil([] { return Find(kMainTitle, kSplashSize).id == 0; })) return {};
  const Window main = Find(kMainTitle, kMainSize);
  if (!main.id || !WaitForRest(main.rect, 15000, 10, 100)) return {};
  return main;
}

// A source chosen as a user does: Source File, "encode to Animated GIF" under "Choose a movie file",
// the path typed into the open dialog; done once the source is probed (its size line tells its
// size and the window stands still).
inline bool ChooseSource(const Window& main, const std::string& path) {
  const QRect field(main.rect.topLeft() + QPoint(16, 156), QSize(300, 18));
  const QImage before = Area(field);
  const long pid = OwnerOf(main.id);
  // The keys once the menu is up: its first item that can be chosen.
  if (!ClickAt(main.rect.topLeft() + QPoint(76, 81)) || !WaitForMenu(pid).id || !Keys({"Down", "Return"}))
    return false;
  Window dialog;
  if (!WaitUntil([&] {
        for (const Window& w : Windows("."))
          if (w.rect.size() != kMainSize && w.rect.size() != kSplashSize && w.rect.width() > 300) dialog = w;
        return dialog.id != 0;
      }) ||
      !WaitForRest(dialog.rect))
    return false;
  if (!Xdo({"type", "--delay", "20", QString::fromStdString(path)}) || !Keys({"Return"}) ||
      !WaitForChange(field, before))
    return false;
  // The probe runs the engine; then the window shows its result.
  return WaitUntil([&] { return !HasChildren(pid) && WaitForRest(main.rect, 5000, 10, 100) && !HasChildren(pid); },
                   60000);
}

}  // namespace testsupport::screen
