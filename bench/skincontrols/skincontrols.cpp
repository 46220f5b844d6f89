// Times the skinned controls on a window like the options window: making 25 picture areas
// (34 x 34, masked overlay over the window's picture) and 8 picture buttons from a design
// text, redrawing an area, and a button's state change against a caption change.
//
//   bench_skincontrols [ROUNDS]     (runs on the offscreen platform unless one is chosen)
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/ImageButton.h"
#include "controls/TransArea.h"
#include "runtime/forms.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::string design() {
  std::string t = "Begin VB.Form frmBench\n ScaleMode = 3\n ClientWidth = 640\n ClientHeight = 420\n"
                  " Picture = \"options.gif\"\n";
  for (int i = 0; i < 25; ++i)
    t += " Begin TransArea lblArea\n  Index = " + std::to_string(i) + "\n  Left = " +
         std::to_string(12 + (i % 12) * 40) + "\n  Top = " + std::to_string(330 + (i / 12) * 36) +
         "\n  Width = 34\n  Height = 34\n  Picture = \"play.gif\"\n  Caption = \"\"\n"
         "  BorderStyle = 0\n  BackStyle = 1\n  MaskColorUse = -1\n End\n";
  for (int i = 0; i < 8; ++i)
    t += " Begin ImageButton cmdButton\n  Index = " + std::to_string(i) + "\n  Left = " +
         std::to_string(10 + (i % 4) * 130) + "\n  Top = " + std::to_string(20 + (i / 4) * 50) +
         "\n  Width = 120\n  Height = 34\n  Caption = \"Source File\"\n"
         "  Picture = \"btn_normal.gif\"\n  PictureMouseDown = \"btn_down.gif\"\n"
         "  PictureDisabled = \"btn_disabled.gif\"\n  PictureMouseOver = \"btn_over.gif\"\n End\n";
  return t + "End\n";
}

struct Bench : vb::Form {
  Bench() { LoadDesignText(design(), std::string(FENWO_SOURCE_DIR) + "/converter/skin"); }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

  auto t0 = Clock::now();
  Bench w;
  w.Show();
  QApplication::processEvents();
  std::printf("make and show (25 areas, 8 buttons): %.1f ms\n", msSince(t0));

  auto& area = w.Ctl<zantiro::TransArea>("lblArea", 0);
  t0 = Clock::now();
  for (int i = 0; i < rounds; ++i) area.ShiftX_Caption(static_cast<int16_t>(i % 2));
  std::printf("area redraw, 34 x 34 masked overlay: %.3f ms\n", msSince(t0) / rounds);

  auto& button = w.Ctl<zantiro::ImageButton>("cmdButton", 0);
  t0 = Clock::now();
  for (int i = 0; i < rounds; ++i) button.State(i % 2 ? 3 : 0);
  std::printf("button state change: %.3f ms\n", msSince(t0) / rounds);
  t0 = Clock::now();
  for (int i = 0; i < rounds; ++i) button.Caption(i % 2 ? "Source File" : "Target File");
  std::printf("button caption change (four faces): %.3f ms\n", msSince(t0) / rounds);
  return 0;
}
