// The wall clock, with a switch point for tests.
#pragma once
#include <functional>

namespace win {

// Seconds since local midnight, with the fraction of the second.
double SecondsSinceMidnight();

// Test seam: while set, SecondsSinceMidnight answers this instead of the clock
// (an empty function restores the clock).
void SetClockForTests(std::function<double()> secondsSinceMidnight);

}  // namespace win
