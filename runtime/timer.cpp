#include "runtime/timer.h"

#include "platform/clock.h"

namespace vb {

float Timer() { return static_cast<float>(win::SecondsSinceMidnight()); }

}  // namespace vb
