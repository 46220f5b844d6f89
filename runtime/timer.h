// The runtime's Timer function.
#pragma once

namespace vb {

// Seconds since midnight as a Single (it starts again from 0 at midnight).
float Timer();

}  // namespace vb
