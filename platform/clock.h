// The wall clock, with a switch point for tests.
#pragma once
#include <cstdint>
#include <functional>

namespace win {

// Waits, letting nothing else run (no window events).
void Sleep(std::uint32_t milliseconds);

// Seconds since local midnight, with the fraction of the second.
double SecondsSinceMidnight();

// Test seam: while set, SecondsSinceMidnight answers this instead of the clock
// (an empty function restores the clock).
void SetClockForTests(std::function<double()> secondsSinceMidnight);

}  // namespace win
