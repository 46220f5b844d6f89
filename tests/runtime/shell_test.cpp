// labels: unit
#include "runtime/shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/paths.h"

namespace {

// The viewer is started this way: the program and its argument each in quotes.
TEST(Shell, StartsTheProgramWithItsArgumentsAndDoesNotWait) {
  testsupport::TempDir tmp("shell");
  const std::string made = tmp.file("a b.gif");
  EXPECT_GT(vb::Shell("\"/bin/touch\" \"" + made + "\"", vb::vbNormalFocus), 0);
  for (int i = 0; i < 300 && !std::filesystem::exists(made); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(std::filesystem::exists(made));
  EXPECT_EQ(vb::Shell("\"" + tmp.file("no-such-program") + "\" x"), 0);
}

}  // namespace
