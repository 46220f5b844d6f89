// Starts the viewer on two pictures it makes itself and measures, on the X display, the time
// from starting the program to the picture on the screen, and the program's peak memory:
//   - a 1 MB animated GIF, 480 x 270, 40 frames (goal: animating within 100 ms);
//   - a 12-megapixel JPEG, 4000 x 3000 (goal: shown whole within 250 ms; the part in view
//     shows first, so the time until the program stops working is reported too);
//   peak memory under 100 MB for both.
// Usage: xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/viewer/viewer_bench [runs]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include "support/process_watch.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using benchwatch::CpuTicks;
using benchwatch::FindWindow;
using benchwatch::PeakKb;

// ---- A small GIF writer: one global palette, LZW as the format asks ----

class GifWriter {
 public:
  GifWriter(int w, int h, const std::vector<QRgb>& palette) : w_(w), h_(h) {
    out_ = "GIF89a";
    u16(w);
    u16(h);
    out_ += char(0xF7);  // global palette of 256 entries
    out_ += char(0);
    out_ += char(0);
    for (int i = 0; i < 256; ++i) {
      const QRgb c = i < int(palette.size()) ? palette[i] : 0;
      out_ += char(qRed(c));
      out_ += char(qGreen(c));
      out_ += char(qBlue(c));
    }
    out_ += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";  // loop for ever
    u16(0);
    out_ += char(0);
  }

  void frame(const std::vector<uint8_t>& pixels, int delayCs) {
    out_ += "\x21\xF9\x04";
    out_ += char(0x04);  // keep the frame under the next one
    u16(delayCs);
    out_ += char(0);
    out_ += char(0);
    out_ += char(0x2C);
    u16(0);
    u16(0);
    u16(w_);
    u16(h_);
    out_ += char(0);
    out_ += char(8);  // minimum code size
    const std::string data = lzw(pixels);
    for (size_t at = 0; at < data.size(); at += 255) {
      const size_t n = std::min<size_t>(255, data.size() - at);
      out_ += char(n);
      out_ += data.substr(at, n);
    }
    out_ += char(0);
  }

  std::string finish() { return out_ + ";"; }

 private:
  void u16(int v) {
    out_ += char(v & 0xFF);
    out_ += char((v >> 8) & 0xFF);
  }

  static std::string lzw(const std::vector<uint8_t>& pixels) {
    std::string bytes;
    uint32_t acc = 0;
    int bits = 0;
    auto put = [&](int code, int size) {
      acc |= uint32_t(code) << bits;
      bits += size;
      while (bits >= 8) {
        bytes += char(acc & 0xFF);
        acc >>= 8;
        bits -= 8;
      }
    };
    const int clear = 256, end = 257;
    int codeSize = 9, maxCode = end;
    std::vector<int> next(4096 * 256, -1);  // (code, byte) -> code
    put(clear, codeSize);
    int cur = -1;
    for (uint8_t k : pixels) {
      if (cur < 0) {
        cur = k;
        continue;
      }
      const int found = next[size_t(cur) * 256 + k];
      if (found >= 0) {
        cur = found;
        continue;
      }
      put(cur, codeSize);
      next[size_t(cur) * 256 + k] = ++maxCode;
      if (maxCode >= (1 << codeSize)) ++codeSize;
      if (maxCode == 4095) {
        put(clear, codeSize);
        std::fill(next.begin(), next.end(), -1);
        codeSize = 9;
        maxCode = end;
      }
      cur = k;
    }
    put(cur, codeSize);
    put(clear, codeSize);
    put(end, 9);
    if (bits > 0) bytes += char(acc & 0xFF);
    return bytes;
  }

  int w_, h_;
  std::string out_;
};

const QRgb kMarker = qRgb(255, 0, 0);

// 480 x 270, 40 frames: moving colour bands, a moving block of noise sized so that the file
// comes to about 1 MB, and a red marker in the middle.
std::string MakeGif(int noiseSide) {
  const int w = 480, h = 270;
  std::vector<QRgb> palette;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) palette.push_back(qRgb(r * 51, g * 51, b * 51));
  while (palette.size() < 256) palette.push_back(qRgb(int(palette.size()) - 216, 0, 0));
  const uint8_t red = 5 * 36;  // (255, 0, 0)
  GifWriter gif(w, h, palette);
  QRandomGenerator random(7);
  std::vector<uint8_t> px(size_t(w) * h);
  for (int t = 0; t < 40; ++t) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = uint8_t(((x + 6 * t) / 12 + y / 30) % 200);
    const int nx = (t * 9) % (w - noiseSide), ny = (t * 5) % (h - noiseSide);
    for (int y = ny; y < ny + noiseSide; ++y)
      for (int x = nx; x < nx + noiseSide; ++x) px[size_t(y) * w + x] = uint8_t(random.bounded(216));
    for (int y = h / 2 - 20; y < h / 2 + 20; ++y)
      for (int x = w / 2 - 20; x < w / 2 + 20; ++x) px[size_t(y) * w + x] = red;
    gif.frame(px, 10);
  }
  return gif.finish();
}

// 4000 x 3000: noise with bands, its top-left 1000 x 800 red.
QImage MakePhoto() {
  QImage img(4000, 3000, QImage::Format_RGB32);
  QRandomGenerator random(11);
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const int n = int(random.bounded(64));
      line[x] = qRgb((x / 16) % 192 + n, (y / 16) % 192 + n, ((x + y) / 32) % 192 + n);
    }
  }
  QPainter(&img).fillRect(0, 0, 1000, 800, QColor(kMarker));
  return img;
}

// ---- Watching the viewer's window on the X display ----

struct Run {
  double shownMs = -1;    // the marker of the picture is on the screen
  double settledMs = -1;  // the program stopped working (the whole picture decoded)
  bool animating = false;
  long peakKb = 0;
};

bool IsMarker(unsigned long pixel) {
  const int r = int((pixel >> 16) & 0xFF), g = int((pixel >> 8) & 0xFF), b = int(pixel & 0xFF);
  return r > 200 && g < 60 && b < 60;
}

// Where the marker shows in the window: the GIF is centred at natural size at the bottom of
// the window (under its menu bar); the JPEG is larger than the screen and starts at its
// top-left corner.
Run Measure(Display* d, const QString& viewer, const QString& picture, bool gif) {
  Run run;
  QProcess p;
  QElapsedTimer clock;
  clock.start();
  p.start(viewer, {picture});
  if (!p.waitForStarted()) return run;
  const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
  std::optional<Window> win;
  while (clock.elapsed() < 5000 && run.shownMs < 0) {
    if (!win) win = FindWindow(d, DefaultRootWindow(d), pid_t(p.processId()), pidAtom);
    if (win) {
      XWindowAttributes a;
      if (XGetWindowAttributes(d, *win, &a)) {
        const int x = gif ? a.width / 2 : 100, y = gif ? a.height - 135 : 200;
        if (x < a.width && y > 0 && y < a.height) {
          XImage* img = XGetImage(d, *win, x, y, 1, 1, AllPlanes, ZPixmap);
          if (img) {
            if (IsMarker(XGetPixel(img, 0, 0))) run.shownMs = double(clock.nsecsElapsed()) / 1e6;
            XDestroyImage(img);
          }
        }
      }
    }
    if (run.shownMs < 0) QThread::usleep(300);
  }
  if (run.shownMs >= 0 && !gif) {
    // Settled: the processor time has not moved for 150 ms.
    long last = CpuTicks(p.processId());
    double lastChange = run.shownMs;
    while (clock.elapsed() < 5000 && double(clock.elapsed()) - lastChange < 150) {
      QThread::usleep(2000);
      const long now = CpuTicks(p.processId());
      if (now != last) {
        last = now;
        lastChange = double(clock.nsecsElapsed()) / 1e6;
      }
    }
    run.settledMs = lastChange;
  }
  if (win && gif && run.shownMs >= 0) {
    // Compare a strip of the picture now and a little later.
    auto grab = [&] {
      XWindowAttributes a;
      XGetWindowAttributes(d, *win, &a);
      std::vector<unsigned long> v;
      XImage* img = XGetImage(d, *win, 0, a.height - 40, unsigned(a.width), 1, AllPlanes, ZPixmap);
      if (!img) return v;
      for (int x = 0; x < a.width; ++x) v.push_back(XGetPixel(img, x, 0));
      XDestroyImage(img);
      return v;
    };
    const auto first = grab();
    QThread::msleep(350);
    run.animating = !first.empty() && grab() != first;
  } else {
    QThread::msleep(350);
  }
  run.peakKb = PeakKb(p.processId());
  p.kill();
  p.waitForFinished();
  return run;
}

void Report(const char* name, std::vector<Run> runs, double goalMs) {
  std::vector<double> ms, settled;
  long peak = 0;
  int animating = 0;
  for (const Run& r : runs) {
    if (r.shownMs >= 0) ms.push_back(r.shownMs);
    if (r.settledMs >= 0) settled.push_back(r.settledMs);
    peak = std::max(peak, r.peakKb);
    animating += r.animating;
  }
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) {
    std::printf("%-34s never shown\n", name);
    return;
  }
  std::printf("%-34s shown: median %6.1f ms, min %6.1f, max %6.1f (goal %.0f ms)  "
              "peak memory %5.1f MB (goal 100 MB)  runs %zu/%zu",
              name, ms[ms.size() / 2], ms.front(), ms.back(), goalMs, double(peak) / 1024,
              ms.size(), runs.size());
  if (std::string(name).find("GIF") != std::string::npos)
    std::printf("  animating %d/%zu", animating, runs.size());
  if (!settled.empty()) {
    std::sort(settled.begin(), settled.end());
    std::printf("\n%-34s whole picture decoded (processor idle): median %6.1f ms, max %6.1f",
                "", settled[settled.size() / 2], settled.back());
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  Display* d = benchwatch::OpenDisplay();
  if (!d) return 1;
  QTemporaryDir tmp;
  const QString viewer = benchwatch::ViewerCopy(tmp, FENWO_APPDIR);
  if (viewer.isEmpty()) return 1;

  // About 1 MB: grow the noise block until the file reaches it.
  std::string gif;
  for (int side = 60; side <= 260; side += 10) {
    gif = MakeGif(side);
    if (gif.size() >= 1000000) break;
  }
  const QString gifPath = tmp.filePath("anim.gif"), jpgPath = tmp.filePath("photo.jpg");
  std::ofstream(gifPath.toStdString(), std::ios::binary) << gif;
  MakePhoto().save(jpgPath, "JPG", 90);
  std::printf("inputs: GIF 480x270, 40 frames, %.2f MB; JPEG 4000x3000, %.2f MB\n",
              double(gif.size()) / 1e6, double(QFile(jpgPath).size()) / 1e6);

  Measure(d, viewer, gifPath, true);  // a first start fills the disk cache
  std::vector<Run> g, j;
  for (int i = 0; i < runs; ++i) g.push_back(Measure(d, viewer, gifPath, true));
  for (int i = 0; i < runs; ++i) j.push_back(Measure(d, viewer, jpgPath, false));
  Report("animated GIF 480x270x40, 1 MB", g, 100);
  Report("JPEG 4000x3000 (12 MP)", j, 250);
  XCloseDisplay(d);
  return 0;
}
