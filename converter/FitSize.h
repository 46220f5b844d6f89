// The output size a new source proposes: its own size, brought within 960 x 960.
#pragma once
#include <cstdint>

namespace zantiro {

// outW x outH = srcW x srcH when both are at most 960 (or either is 0); else the longer side
// (the width when both are over) becomes 960 and the other follows the aspect, rounded to an
// even number of at least 2.
void FitSize(int32_t srcW, int32_t srcH, int32_t& outW, int32_t& outH);

}  // namespace zantiro
