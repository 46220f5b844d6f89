// labels: unit
#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/mdlGetDriveType.h"

namespace {

TEST(mdlGetDriveType, DrivesOfThisMachine) {
  using mdlGetDriveType::IsWritableDrive;
  EXPECT_TRUE(IsWritableDrive("/"));
  EXPECT_TRUE(IsWritableDrive("/no/such/clips/a.avi"));
  EXPECT_FALSE(IsWritableDrive("/proc/self/status"));
  EXPECT_FALSE(IsWritableDrive(""));
  EXPECT_FALSE(IsWritableDrive("clips/a.avi"));
  EXPECT_FALSE(IsWritableDrive("\\\\server\\share\\a.avi"));
  if (std::filesystem::exists("/dev/shm")) {
    EXPECT_FALSE(IsWritableDrive("/dev/shm/a.gif"));
  }
}

}  // namespace
