#include "foundation/mdlGetDriveType.h"

#include "platform/drive.h"

namespace mdlGetDriveType {

bool IsWritableDrive(const std::string& path) {
  const int type = win::GetDriveTypeA(path);
  return type == win::DRIVE_REMOVABLE || type == win::DRIVE_FIXED;
}

}  // namespace mdlGetDriveType
