// LoadPNG against libpng on large pictures made here with libpng: a 12-megapixel photo-like
// RGB picture, an RGBA one, a palette one, a 16-bit one and an interlaced one. Each decode
// runs in a fresh process of its own, three times; the best time and the peak memory that the
// decode added are printed, with the size of the decoded picture. LoadPNG is timed to its
// bitmap ("bitmap") and to a drawn picture box ("box"); libpng to its rows. Every LoadPNG
// bitmap is compared with libpng's pixels.
//
//   bench_pnglibpng [--dir DIR]     (DIR keeps the pictures between runs; default: a temp dir)
#include <png.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "png/CBitmap.h"
#include "png/LoadPNG.h"
#include "runtime/forms.h"

namespace {

constexpr int W = 4000, H = 3000;

struct Kind {
  const char* name;
  int colorType, depth, interlace;
};
const Kind kinds[] = {
    {"rgb-photo", PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_NONE},
    {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_NONE},
    {"palette", PNG_COLOR_TYPE_PALETTE, 8, PNG_INTERLACE_NONE},
    {"rgb16", PNG_COLOR_TYPE_RGB, 16, PNG_INTERLACE_NONE},
    {"rgb-interlaced", PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_ADAM7},
};

// A photo-like sample: smooth shapes plus grain.
std::uint32_t grain = 12345;
int Sample(int x, int y, int c) {
  grain = grain * 1103515245u + 12345u;
  const double v = 128 + 70 * std::sin(x / (180.0 + 40 * c) + y / 260.0) + 40 * std::cos((x - y) / (330.0 - 50 * c)) +
                   static_cast<int>((grain >> 16) % 13) - 6;
  return std::clamp(static_cast<int>(v), 0, 255);
}

void Make(const Kind& k, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  png_init_io(p, f);
  png_set_IHDR(p, info, W, H, k.depth, k.colorType, k.interlace, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (k.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_color pal[256];
    for (int i = 0; i < 256; ++i)
      pal[i] = {static_cast<png_byte>(i), static_cast<png_byte>(255 - i), static_cast<png_byte>((i * 7) & 255)};
    png_set_PLTE(p, info, pal, 256);
  }
  png_write_info(p, info);
  const int channels = k.colorType == PNG_COLOR_TYPE_RGB ? 3 : k.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 1;
  const std::size_t rowBytes = static_cast<std::size_t>(W) * static_cast<std::size_t>(channels * k.depth / 8);
  std::vector<png_byte> image(rowBytes * H);
  for (int y = 0; y < H; ++y) {
    png_byte* row = image.data() + static_cast<std::size_t>(y) * rowBytes;
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < channels; ++c) {
        int v = Sample(x, y, c);
        if (c == 3) v = (x / 40 + y / 40) % 2 ? 255 : (x * 255 / W);
        if (k.depth == 16) {
          row[(x * channels + c) * 2] = static_cast<png_byte>(v);
          row[(x * channels + c) * 2 + 1] = static_cast<png_byte>(grain >> 8);
        } else {
          row[x * channels + c] = static_cast<png_byte>(v);
        }
      }
  }
  std::vector<png_bytep> rows(H);
  for (int y = 0; y < H; ++y) rows[static_cast<std::size_t>(y)] = image.data() + static_cast<std::size_t>(y) * rowBytes;
  png_write_image(p, rows.data());
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  std::fclose(f);
}

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// libpng's decoded rows, 8 bits a sample (16-bit samples keep their high byte), palette
// indices expanded to RGB: the pixels each LoadPNG bitmap must show.
std::vector<png_byte> LibpngRows(const std::string& path, int& channels, bool reduce) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  png_init_io(p, f);
  png_read_info(p, info);
  if (reduce) {
    png_set_strip_16(p);
    png_set_palette_to_rgb(p);
  }
  png_set_interlace_handling(p);
  png_read_update_info(p, info);
  const std::size_t rowBytes = png_get_rowbytes(p, info);
  channels = png_get_channels(p, info);
  const png_uint_32 h = png_get_image_height(p, info);
  std::vector<png_byte> image(rowBytes * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = image.data() + y * rowBytes;
  png_read_image(p, rows.data());
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  std::fclose(f);
  return image;
}

struct Box : vb::Form {
  Box() {
    LoadDesignText(R"(
Begin VB.Form frmBench
  ScaleMode = 3
  ClientWidth = 100
  ClientHeight = 100
  Begin VB.PictureBox picOut
    Width = 10
    Height = 10
    BorderStyle = 0
  End
End
)");
    Show();
  }
};

// One decode in this process: prints "ms peakKb bits ok".
int Measure(const std::string& how, const std::string& path, int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  Box* form = how == "box" ? new Box : nullptr;
  ResetPeak();
  const long base = StatusKb("VmRSS:");
  const auto t0 = std::chrono::steady_clock::now();
  int bits = 0;
  if (how == "libpng") {
    int channels = 0;
    bits = static_cast<int>(LibpngRows(path, channels, false).size() / (static_cast<std::size_t>(W) * H) * 8);
  } else {
    LoadPNG png;
    if (form) png.PicBox(&form->Ctl<vb::PictureBox>("picOut"));
    try {
      png.OpenPNG(path);
    } catch (const vb::Error&) {
    }
    win::BITMAP bm;
    bits = CBitmap::BitmapHandle && win::GetObject(CBitmap::BitmapHandle, sizeof bm, &bm) ? bm.bmBitsPixel : 32;
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  const long peak = StatusKb("VmHWM:") - base;
  // Correctness: LoadPNG's bitmap against libpng's pixels.
  int ok = 1;
  if (how == "bitmap") {
    int channels = 0;
    const std::vector<png_byte> ref = LibpngRows(path, channels, true);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(W) * H);
    win::BITMAPINFO info{};
    info.bmiHeader.biWidth = W;
    info.bmiHeader.biHeight = -H;
    info.bmiHeader.biBitCount = 32;
    win::GetDIBits(0, CBitmap::BitmapHandle, 0, H, px.data(), &info, win::DIB_RGB_COLORS, px.size() * 4);
    for (std::size_t i = 0; i < px.size() && ok; ++i) {
      const png_byte* s = ref.data() + i * static_cast<std::size_t>(channels);
      std::uint32_t want = static_cast<std::uint32_t>(s[0] << 16 | s[1] << 8 | s[2]);
      if (channels == 4) want |= static_cast<std::uint32_t>(s[3]) << 24;
      if ((channels == 4 ? px[i] : px[i] & 0xffffff) != want) ok = 0;
    }
  }
  std::printf("%.1f %ld %d %d\n", ms, peak, bits, ok);
  delete form;
  return 0;
}

struct Result {
  double ms = 1e30;
  long peakKb = 0;
  int bits = 0, ok = 1;
};

Result Run(const std::string& self, const std::string& how, const std::string& path) {
  Result r;
  for (int i = 0; i < 3; ++i) {
    const std::string cmd = "'" + self + "' --measure " + how + " '" + path + "' 2>/dev/null";
    std::FILE* p = popen(cmd.c_str(), "r");
    double ms = 0;
    long peak = 0;
    int bits = 0, ok = 0;
    if (std::fscanf(p, "%lf %ld %d %d", &ms, &peak, &bits, &ok) == 4) {
      r.ms = std::min(r.ms, ms);
      r.peakKb = std::max(r.peakKb, peak);
      r.bits = bits;
      r.ok = r.ok && ok;
    }
    pclose(p);
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--measure") return Measure(argv[2], argv[3], argc, argv);
  std::string dir;
  if (argc >= 3 && std::string(argv[1]) == "--dir") dir = argv[2];
  if (dir.empty()) {
    char tmpl[] = "/tmp/pngbench-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  const std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
  std::printf("%d x %d pictures; times: best of 3 runs; peak: memory the decode added (MB)\n", W, H);
  std::printf("%-15s %8s %9s %9s %9s %7s %9s %9s %9s %9s %6s\n", "picture", "file MB", "libpng ms", "bitmap ms",
              "box ms", "ratio", "pic MB", "libpng pk", "bitmap pk", "box pk", "pixels");
  for (const Kind& k : kinds) {
    const std::string path = dir + "/" + k.name + ".png";
    if (!std::ifstream(path)) Make(k, path);
    std::ifstream in(path, std::ios::ate | std::ios::binary);
    const double fileMb = static_cast<double>(in.tellg()) / 1048576.0;
    const Result lib = Run(self, "libpng", path), bmp = Run(self, "bitmap", path), box = Run(self, "box", path);
    const double picMb = static_cast<double>(W) * H * bmp.bits / 8 / 1048576.0;
    std::printf("%-15s %8.1f %9.1f %9.1f %9.1f %7.2f %9.1f %9.1f %9.1f %9.1f %6s\n", k.name, fileMb, lib.ms, bmp.ms,
                box.ms, bmp.ms / lib.ms, picMb, static_cast<double>(lib.peakKb) / 1024, static_cast<double>(bmp.peakKb) / 1024, static_cast<double>(box.peakKb) / 1024,
                bmp.ok ? "same" : "DIFFER");
  }
  return 0;
}
