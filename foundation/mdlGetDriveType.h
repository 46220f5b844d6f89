// Whether the program may write its output to the drive of a path.
#pragma once
#include <string>

namespace mdlGetDriveType {

// True when path lies on a removable or fixed disk; False for CD/DVD, network, RAM disks,
// file systems that are no disk, and paths that are empty or relative.
bool IsWritableDrive(const std::string& path);

}  // namespace mdlGetDriveType
