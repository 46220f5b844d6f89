// Fuzz target: OpenPNG on any bytes ends normally or with a run-time error, and never touches
// memory outside its buffers. Headers of every size are taken: what a decode allocates follows
// the data the file holds, never the size its header claims. Built by
// scripts/checks/png-sanitize.sh (libFuzzer, ASan, UBSan).
#include <unistd.h>

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
