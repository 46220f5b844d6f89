// Decodes the PNG files it is given with LoadPNG and prints, per file, the size, the bits per
// pixel of the bitmap made, ErrorNumber, any run-time error and the decode time (to the bitmap,
// without drawing). With --dump DIR, each file is also drawn into a picture box whose image is
// written into DIR as a PNG file.
//
//   bench_pngdecode [--dump DIR] FILE...
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "png/CBitmap.h"
#include "png/LoadPNG.h"
#include "runtime/forms.h"
#include "runtime/msgbox.h"
#include "runtime/qt.h"

namespace {

struct Box : vb::Form {
  Box() {
    LoadDesignText(R"(
Begin VB.Form frmDump
  ScaleMode = 3
  ClientWidth = 100
  ClientHeight = 100
  Begin VB.PictureBox picOut
    Left = 0
    Top = 0
    Width = 10
    Height = 10
    BorderStyle = 0
  End
End
)");
    Show();
  }
  vb::PictureBox& box() { return Ctl<vb::PictureBox>("picOut"); }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::string dump;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dump" && i + 1 < argc)
      dump = argv[++i];
    else
      files.push_back(a);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: %s [--dump DIR] FILE...\n", argv[0]);
    return 2;
  }
  if (!dump.empty()) QDir().mkpath(QString::fromStdString(dump));
  std::vector<std::string> messages;
  vb::SetBoxHook([&](const vb::BoxCall& c) {
    messages.push_back(c.prompt);
    return vb::BoxAnswer{};
  });

  std::printf("%-40s %7s %7s %4s %5s %10s  %s\n", "file", "width", "height", "bpp", "error", "ms", "run-time error");
  for (const std::string& file : files) {
    LoadPNG png;
    std::string failure;
    messages.clear();
    const auto t0 = std::chrono::steady_clock::now();
    try {
      png.OpenPNG(file);  // no picture box: decoding ends at the drawing step, the bitmap kept
    } catch (const vb::Error& e) {
      if (e.Number != vb::vbErrObjectNotSet) failure = std::to_string(e.Number) + " " + e.what();
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    win::BITMAP bm;
    const int bits = CBitmap::BitmapHandle && win::GetObject(CBitmap::BitmapHandle, sizeof bm, &bm) ? bm.bmBitsPixel : 0;
    if (CBitmap::BitmapHandle) win::DeleteObject(CBitmap::BitmapHandle);
    CBitmap::BitmapHandle = 0;
    for (const auto& m : messages) failure += (failure.empty() ? "" : "; ") + m;
    std::printf("%-40s %7d %7d %4d %5d %10.2f  %s\n", QFileInfo(QString::fromStdString(file)).fileName().toStdString().c_str(),
                png.Width(), png.Height(), bits, png.ErrorNumber(), ms, failure.c_str());

    if (!dump.empty() && bits) {
      Box form;
      LoadPNG drawer;
      drawer.PicBox(&form.box());
      try {
        drawer.OpenPNG(file);
      } catch (const vb::Error&) {
      }
      const QString out = QString::fromStdString(dump) + "/" + QFileInfo(QString::fromStdString(file)).completeBaseName() + ".png";
      vb::ImageOf(form.box().Image()).copy(0, 0, png.Width(), png.Height()).save(out, "PNG");
    }
  }
  return 0;
}
