// Letting pending window events run from inside a long handler.
#pragma once

namespace vb {

// Runs the events that are waiting (input, paint, timers), then returns.
void DoEvents();

}  // namespace vb
