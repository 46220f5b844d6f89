// labels: unit
#include "runtime/timer.h"

#include "platform/clock.h"

#include <gtest/gtest.h>

TEST(Timer, IsTheClockAsSingle) {
  win::SetClockForTests([] { return 3661.25; });
  EXPECT_FLOAT_EQ(vb::Timer(), 3661.25f);
  win::SetClockForTests([] { return 86399.99; });
  EXPECT_NEAR(vb::Timer(), 86399.99f, 0.01f);
  win::SetClockForTests({});
  const float t = vb::Timer();
  EXPECT_GE(t, 0.0f);
  EXPECT_LT(t, 86400.0f);
}
