// Drive types of paths. The "drive" of a path is the mounted file system that holds it.
#pragma once
#include <string>

namespace win {

enum : int {
  DRIVE_UNKNOWN = 0,      // a file system that is no disk (proc, sysfs, ...)
  DRIVE_NO_ROOT_DIR = 1,  // empty or relative path
  DRIVE_REMOVABLE = 2,    // on a block device marked removable (USB sticks, cards)
  DRIVE_FIXED = 3,        // local disk file systems
  DRIVE_REMOTE = 4,       // network file systems
  DRIVE_CDROM = 5,        // iso9660, udf
  DRIVE_RAMDISK = 6,      // tmpfs, ramfs
};

// Type of the file system that holds path (or its nearest existing ancestor).
int GetDriveTypeA(const std::string& path);

// Whether a folder is the root of a file system: "/" or a mount point (what a drive root such
// as D:\ is elsewhere), or the home folder, which stands in for the system drive's root as the
// fallback folder (a series made there goes into output/, never among the user's own files).
// A trailing "/" is allowed.
bool IsDriveRoot(const std::string& folder);

// The same rule over a given mount table (text in the form of /proc/self/mountinfo) and a
// given sysfs folder; the path is taken as it is, without resolving links.
int DriveTypeFromMounts(const std::string& path, const std::string& mountinfo,
                        const std::string& sysRoot);

}  // namespace win
