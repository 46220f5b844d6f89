// labels: unit
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/drive.h"
#include "support/paths.h"

namespace {

// A mount table in the kernel's form, with every kind of file system the rule knows.
const char* kMounts =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "28 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "40 28 0:33 / /tmp rw,nosuid shared:5 - tmpfs tmpfs rw\n"
    "41 28 8:17 / /media/my\\040stick rw,nosuid shared:7 master:1 - vfat /dev/sdb1 rw\n"
    "42 28 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
    "43 28 0:50 / /net/share rw - nfs4 server:/export rw\n"
    "44 28 0:51 / /home/u/remote rw - fuse.sshfs u@host: rw\n"
    "45 28 0:52 / /srv rw - overlay overlay rw\n"
    "46 28 8:1 / /data rw - xfs /dev/sda1 rw\n"
    "47 46 0:53 / /data rw - ramfs none rw\n"
    "48 28 0:54 / /sys rw - sysfs sysfs rw\n";

class DriveTypeTest : public ::testing::Test {
 protected:
  // sysfs with a removable disk sdb (its partition sdb1 is 8:17) and a fixed disk sda.
  void SetUp() override {
    namespace fs = std::filesystem;
    const std::string blk = sys.path() + "/devices/pci0/usb1/block";
    fs::create_directories(blk + "/sdb/sdb1");
    fs::create_directories(blk + "/sda/sda1");
    testsupport::writeFile(blk + "/sdb/removable", "1\n");
    testsupport::writeFile(blk + "/sda/removable", "0\n");
    fs::create_directories(sys.path() + "/dev/block");
    fs::create_directory_symlink(blk + "/sdb/sdb1", sys.path() + "/dev/block/8:17");
    fs::create_directory_symlink(blk + "/sda/sda1", sys.path() + "/dev/block/8:1");
  }
  int type(const std::string& path) { return win::DriveTypeFromMounts(path, kMounts, sys.path()); }
  testsupport::TempDir sys{"sys"};
};

TEST_F(DriveTypeTest, EachFileSystemKind) {
  struct Case { const char* path; int type; };
  const Case cases[] = {
      {"/", win::DRIVE_FIXED},
      {"/home/u/clips/a.avi", win::DRIVE_FIXED},
      {"/srv/x", win::DRIVE_FIXED},
      {"/tmp", win::DRIVE_RAMDISK},
      {"/tmpfile", win::DRIVE_FIXED},  // a name that only begins like a mount point
      {"/media/my stick/a.gif", win::DRIVE_REMOVABLE},
      {"/media/my", win::DRIVE_FIXED},
      {"/media/cd/VIDEO_TS/a.vob", win::DRIVE_CDROM},
      {"/net/share/a", win::DRIVE_REMOTE},
      {"/home/u/remote/a", win::DRIVE_REMOTE},
      {"/data/a", win::DRIVE_RAMDISK},  // mounted over the disk, so it hides it
      {"/proc/1", win::DRIVE_UNKNOWN},
      {"/sys", win::DRIVE_UNKNOWN},
      {"", win::DRIVE_NO_ROOT_DIR},
      {"clips/a.avi", win::DRIVE_NO_ROOT_DIR},
      {"C:\\clips\\a.avi", win::DRIVE_NO_ROOT_DIR},
      {"\\\\server\\share", win::DRIVE_NO_ROOT_DIR},
  };
  for (const auto& c : cases) EXPECT_EQ(type(c.path), c.type) << c.path;
}

TEST_F(DriveTypeTest, DiskWithoutSysfsEntryIsFixed) {
  const std::string mounts = "1 0 8:33 / /mnt rw - ext4 /dev/sdc1 rw\n";
  EXPECT_EQ(win::DriveTypeFromMounts("/mnt/a", mounts, sys.path()), win::DRIVE_FIXED);
  EXPECT_EQ(win::DriveTypeFromMounts("/mnt/a", "", sys.path()), win::DRIVE_UNKNOWN);
}

// The mounts of this machine, through the real mount table.
TEST(GetDriveType, MountsOfThisMachine) {
  EXPECT_EQ(win::GetDriveTypeA("/"), win::DRIVE_FIXED);
  EXPECT_EQ(win::GetDriveTypeA("/no/such/folder/a.avi"), win::DRIVE_FIXED);
  EXPECT_EQ(win::GetDriveTypeA("/proc/self"), win::DRIVE_UNKNOWN);
  EXPECT_EQ(win::GetDriveTypeA("relative/a.avi"), win::DRIVE_NO_ROOT_DIR);
  if (std::filesystem::exists("/dev/shm")) {
    EXPECT_EQ(win::GetDriveTypeA("/dev/shm/"), win::DRIVE_RAMDISK);
    EXPECT_EQ(win::GetDriveTypeA("/dev/shm/not-there/a.gif"), win::DRIVE_RAMDISK);
    // A link is followed to the file system it leads to.
    testsupport::TempDir dir("drive");
    std::filesystem::create_directory_symlink("/dev/shm", dir.file("shm"));
    EXPECT_EQ(win::GetDriveTypeA(dir.file("shm") + "/a.gif"), win::DRIVE_RAMDISK);
  }
}

}  // namespace
