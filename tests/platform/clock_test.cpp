// labels: unit
#include "platform/clock.h"

#include <ctime>
#include <gtest/gtest.h>

TEST(Clock, GivesLocalSecondsSinceMidnight) {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  const double expected = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  const double got = win::SecondsSinceMidnight();
  EXPECT_GE(got, 0.0);
  EXPECT_LT(got, 86400.0);
  // Allow for the second turning (or midnight passing) between the two readings.
  const double diff = got - expected;
  EXPECT_TRUE((diff >= 0 && diff < 2.0) || diff < -86000) << got << " vs " << expected;
}

TEST(Clock, TestSeamReplacesAndRestoresTheClock) {
  win::SetClockForTests([] { return 12.5; });
  EXPECT_EQ(win::SecondsSinceMidnight(), 12.5);
  win::SetClockForTests({});
  EXPECT_NE(win::SecondsSinceMidnight(), 12.5);
}
