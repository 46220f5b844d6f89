#include "converter/FitSize.h"

#include "runtime/numbers.h"

namespace zantiro {

namespace {

int32_t EvenAtLeast2(double x) {
  int32_t v = vb::CLng(x);
  if (v % 2 != 0) ++v;
  return v < 2 ? 2 : v;
}

}  // namespace

void FitSize(int32_t srcW, int32_t srcH, int32_t& outW, int32_t& outH) {
  outW = srcW;
  outH = srcH;
  if (srcW == 0 || srcH == 0) return;
  if (srcW <= 960 && srcH <= 960) return;
  if (srcW <= 960) {
    outH = 960;
    outW = EvenAtLeast2(static_cast<double>(srcW) * 960 / srcH);
  } else {
    outW = 960;
    outH = EvenAtLeast2(static_cast<double>(srcH) * 960 / srcW);
  }
}

}  // namespace zantiro
