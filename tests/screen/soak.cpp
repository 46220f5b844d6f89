// The programs as a user starts and uses them, many times over: fresh starts of the conversion
// program that press Options at once, then in one run each window a user opens and closes again
// and again (the big screen, About, Donation, the console, the file dialogs) and the viewer
// stepping through a folder. On a bare X display and under openbox. Not one of the suite's
// tests: scripts/checks/soak.sh runs it, also beside busy loops. A death of any process fails
// it with the crash's report; it prints how many starts and opens it made and how many died.
//
// SOAK_STARTS (16) fresh starts a desktop, SOAK_OPENS (8) opens of each window.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/ViewerWindow.h"
#include "support/ZantiroOnScreen.h"
#include "support/paths.h"

namespace {

using namespace testsupport::screen;
using testsupport::screen::Screen;  // not X's
using testsupport::screen::Window;
namespace fs = std::filesystem;

int Setting(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

const QSize kOptions(640, 420);
const QString kOptionsTitle = " - Options$";

// The window of that title other than the main window and the splash (an id of 0 when none).
Window Other(const QString& title) {
  for (const Window& w : Windows(title))
    if (w.rect.size() != kMainSize && w.rect.size() != kSplashSize) return w;
  return {};
}

bool Gone(unsigned long id) {
  for (const Window& w : Windows("."))
    if (w.id == id) return false;
  return true;
}

struct Tally {
  int tries = 0, opened = 0, deaths = 0;
};

class Soak : public DesktopTest {
 protected:
  void Report(const char* what, const Tally& t) {
    std::printf("[%s] %s: %d tries, %d opened and closed, %d deaths\n", DeskName().c_str(), what, t.tries, t.opened,
                t.deaths);
    std::fflush(stdout);
    EXPECT_EQ(t.deaths, 0) << what;
    EXPECT_EQ(t.opened, t.tries) << what << ": every try opens and closes its window";
  }
};

// A fresh start, the source chosen and Options pressed at once; the main window stands away
// from the start-up card, so nothing waits for the card to go.
TEST_P(Soak, FreshStartsPressOptionsAtOnce) {
  Tally t;
  const int starts = Setting("SOAK_STARTS", 16);
  for (int i = 0; i < starts; ++i) {
    Program app("Fenwo.Zantiro");
    app.Settings({"MainLeft=0", "MainTop=0", "Language=en"});
    const std::string clip = app.Folder() + "/clip.avi";
    fs::copy_file(testsupport::media("sparse-keys.avi"), clip);
    ++t.tries;
    ASSERT_TRUE(app.Start());
    // On the screen once it has faded in far enough (without a compositing manager it shows
    // only then); the card over the screen's middle leaves it free.
    Window main = WaitForWindow(kMainTitle, kMainSize);
    bool opened = main.id && WaitUntil([&] { return BlackShare(Area(main.rect)) < 0.5; }) && ChooseSource(main, clip);
    if (opened) {
      main.rect = Place(main.id);
      Window options;
      opened = ClickAt(main.rect.topLeft() + QPoint(76, 225)) &&
               WaitUntil([&] { return (options = Other(kOptionsTitle)).id != 0; }) &&
               WaitUntil([&] { return BlackShare(Area(Place(options.id))) < 0.5; });
    }
    const bool died = !app.Running();
    t.deaths += died;
    t.opened += opened && !died;
    if (!opened && !died) ADD_FAILURE() << "start " << i + 1 << ": the options window did not come; on the screen:"
                                        << OnScreen() << "\n" << Keep(Screen(), "soak-options");
  }
  Report("fresh starts pressing Options", t);
}

// One run: each window opened and closed again and again.
TEST_P(Soak, WindowsOpenedAndClosedAgainAndAgain) {
  const int opens = Setting("SOAK_OPENS", 8);
  Program app("Fenwo.Zantiro");
  app.Settings({"Language=en"});
  testsupport::writeFile(app.Folder() + "/Quorvane.ico", "ico");  // offers the console
  const std::string clip = app.Folder() + "/clip.avi";
  fs::copy_file(testsupport::media("sparse-keys.avi"), clip);
  ASSERT_TRUE(app.Start());
  Window main = MainAfterSplash();
  ASSERT_NE(main.id, 0u) << app.Output();

  auto helpMenu = [&](const QStringList& keys) {
    return ClickAt(main.rect.topLeft() + QPoint(381, 14)) && WaitForMenu(app.Pid()).id && Keys(keys);
  };
  auto sourceMenu = [&](const QStringList& keys) {
    return ClickAt(main.rect.topLeft() + QPoint(76, 81)) && WaitForMenu(app.Pid()).id && Keys(keys);
  };
  // Opens a window the way given, waits for it, closes it the way given and waits until it went.
  auto soak = [&](const char* what, const std::function<bool()>& open, const std::function<Window()>& find,
                  const std::function<bool(const Window&)>& close) {
    Tally t;
    for (int i = 0; i < opens && app.Running(); ++i) {
      ++t.tries;
      Window w;
      const bool ok = open() && WaitUntil([&] { return (w = find()).id != 0; }) && WaitForRest(Place(w.id), 5000, 2) &&
                      close(w) && WaitUntil([&] { return Gone(w.id); });
      t.opened += ok;
      if (!ok && app.Running())
        ADD_FAILURE() << what << " " << i + 1 << ": on the screen:" << OnScreen() << "\n" << Keep(Screen(), "soak");
    }
    t.deaths = !app.Running();
    Report(what, t);
  };
  auto closeBox = [](const Window& w) { return win::x11::PostClose(w.id), true; };

  soak("About", [&] { return helpMenu({"Up", "Up", "Return"}); }, [] { return Other("About Fenwo\\.Zantiro$"); },
       closeBox);
  soak("Donation", [&] { return helpMenu({"Down", "Return"}); }, [] { return Other("^ Donation$"); }, closeBox);
  soak("console", [&] {
    // The question on a right click, answered Yes.
    Window question;
    return ClickAt(main.rect.topLeft() + QPoint(230, 294), 3) &&
           WaitUntil([&] { return (question = Other(kMainTitle)).id != 0; }) && WaitForRest(Place(question.id), 5000, 2) &&
           Keys({"Return"});
  }, [] { return Other("^Form1$"); }, closeBox);
  auto dialog = [] {
    for (const Window& w : Windows("."))
      if (w.rect.size() != kMainSize && w.rect.size() != kSplashSize && w.rect.width() > 300) return w;
    return Window{};
  };
  auto escape = [](const Window&) { return Keys({"Escape"}); };
  soak("open dialog", [&] { return sourceMenu({"Down", "Return"}); }, dialog, escape);
  soak("folder dialog", [&] { return sourceMenu({"Down", "Down", "Down", "Down", "Return"}); }, dialog, escape);

  // With a source: the save dialog, the options window, and the big screen from it.
  ASSERT_TRUE(ChooseSource(main, clip)) << OnScreen();
  main.rect = Place(main.id);
  soak("save dialog", [&] { return ClickAt(main.rect.topLeft() + QPoint(76, 124)); }, dialog, escape);
  Window options;
  soak("options window", [&] { return ClickAt(main.rect.topLeft() + QPoint(76, 225)); },
       [&] { return options = Other(kOptionsTitle); },
       // Cancel, or a close request (Alt+F4 under a window manager), by turns.
       [n = 0](const Window& w) mutable {
         return ++n % 2 ? ClickAt(Place(w.id).topLeft() + QPoint(577, 388)) : (win::x11::PostClose(w.id), true);
       });
  ASSERT_TRUE(ClickAt(main.rect.topLeft() + QPoint(76, 225)));
  ASSERT_TRUE(WaitUntil([&] { return (options = Other(kOptionsTitle)).id != 0; }));
  soak("big screen", [&] { return ClickAt(Place(options.id).topLeft() + QPoint(340, 366)); },
       [] { return Other("^ Fenwo\\.Zantiro - Player  \\( "); }, closeBox);
}

// The viewer stepping through a folder of pictures of three kinds and two sizes, each in a
// colour of its own, to the end and back again.
TEST_P(Soak, ViewerStepsThroughAFolder) {
  testsupport::TempDir dir("soak-pictures");
  const char* kinds[] = {"png", "jpg", "bmp"};
  std::vector<QRgb> colours;
  for (int n = 0; n < 12; ++n) {
    QImage img(n % 2 ? 320 : 200, n % 2 ? 200 : 150, QImage::Format_RGB32);
    colours.push_back(qRgb(40 + 17 * n, 200 - 13 * n, (90 * n) % 256));
    img.fill(colours.back());
    const std::string name = (n < 10 ? "0" : "") + std::to_string(n) + "." + kinds[n % 3];
    ASSERT_TRUE(img.save(QString::fromStdString(dir.file(name)), nullptr, 95)) << name;
  }
  Program app("Fenwo.Lumtak");
  ASSERT_TRUE(app.Start({QString::fromStdString(dir.file("00.png"))}));
  testsupport::ViewerWindow viewer(app.Pid());
  ASSERT_TRUE(viewer.WaitFor(200)) << app.Output();
  const Window shown = WaitForWindow("^ Fenwo\\.Lumtak .* %$");
  ASSERT_NE(shown.id, 0u);
  auto shows = [&](int n) {
    const QRect r = Place(shown.id);
    return ColourShare(Area(QRect(r.center() - QPoint(20, 20), QSize(40, 40))), colours[size_t(n)]) > 0.9;
  };
  Tally t;
  const int steps = Setting("SOAK_OPENS", 8) * 4;
  int at = 0, way = 1;
  for (int i = 0; i < steps && app.Running(); ++i) {
    if (at + way < 0 || at + way >= int(colours.size())) way = -way;
    ++t.tries;
    const bool ok = viewer.TypeKey(way > 0 ? "Next" : "Prior") && WaitUntil([&] { return shows(at + way); });
    at += way;
    t.opened += ok;
    if (!ok && app.Running()) ADD_FAILURE() << "step " << i + 1 << " to picture " << at << ": " << Keep(Screen(), "soak-viewer");
  }
  t.deaths = !app.Running();
  Report("viewer steps", t);
}

INSTANTIATE_TEST_SUITE_P(Desktops, Soak, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

}  // namespace
