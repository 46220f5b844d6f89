// Fuzz target: OpenPNG on any bytes ends normally or with a run-time error, and never touches
// memory outside its buffers. Built by scripts/checks/png-sanitize.sh (libFuzzer, ASan, UBSan).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "png/LoadPNG.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    vb::SetBoxHook([](const vb::BoxCall&) { return vb::BoxAnswer{}; });
    vb::App::SetTitle("png_fuzz");
    return "/tmp/png-fuzz-" + std::to_string(getpid()) + ".png";
  }();
  // Pictures beyond a megapixel only measure the machine's speed and memory.
  if (size >= 24) {
    const std::uint64_t w = std::uint64_t{data[16]} << 24 | data[17] << 16 | data[18] << 8 | data[19];
    const std::uint64_t h = std::uint64_t{data[20]} << 24 | data[21] << 16 | data[22] << 8 | data[23];
    if (std::max<std::uint64_t>(w, 1) * std::max<std::uint64_t>(h, 1) > (std::uint64_t{1} << 20)) return 0;
  }
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  // Twice on one object, as the program reads folder after folder.
  LoadPNG png;
  png.SetTrans(size & 1);
  png.SetAlpha(size & 2);
  for (int i = 0; i < 2; ++i) {
    try {
      png.OpenPNG(path);
    } catch (const vb::Error&) {
    }
  }
  return 0;
}
