#include "platform/drive.h"

#include "platform/fs.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace win {
namespace {

struct Mount {
  std::string majmin, point, type, source;
};

// mountinfo writes blanks, tabs, line feeds and backslashes as octal escapes.
std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s.find_first_not_of("01234567", i + 1) >= i + 4) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<Mount> parse(const std::string& mountinfo) {
  std::vector<Mount> mounts;
  std::istringstream in(mountinfo);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::vector<std::string> w;
    for (std::string x; f >> x;) w.push_back(x);
    size_t dash = 6;
    while (dash < w.size() && w[dash] != "-") ++dash;
    if (w.size() < 5 || dash + 2 >= w.size()) continue;
    mounts.push_back({w[2], unescape(w[4]), w[dash + 1], unescape(w[dash + 2])});
  }
  return mounts;
}

// The mount that holds path: the longest mount point above it; of equal ones the last
// mounted, which hides the others.
const Mount* holder(const std::vector<Mount>& mounts, const std::string& path) {
  const Mount* best = nullptr;
  for (const auto& m : mounts) {
    const std::string& p = m.point;
    const bool above = p == "/" || path == p ||
                       (path.size() > p.size() && path.compare(0, p.size(), p) == 0 && path[p.size()] == '/');
    if (above && (!best || p.size() >= best->point.size())) best = &m;
  }
  return best;
}

std::string readFirstLine(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

bool onRemovableDevice(const Mount& m, const std::string& sysRoot) {
  std::string dev = m.majmin;
  // File systems such as btrfs report an anonymous device; their source names the real one.
  if (dev.rfind("0:", 0) == 0) {
    struct stat st {};
    if (m.source.rfind("/dev/", 0) != 0 || stat(m.source.c_str(), &st) != 0 || !S_ISBLK(st.st_mode))
      return false;
    dev = std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
  }
  std::error_code ec;
  const auto node = std::filesystem::canonical(sysRoot + "/dev/block/" + dev, ec);
  if (ec) return false;
  // A partition carries no flag of its own; its disk does.
  for (const auto& dir : {node, node.parent_path()}) {
    const std::string flag = readFirstLine(dir / "removable");
    if (!flag.empty()) return flag == "1";
  }
  return false;
}

int typeOf(const Mount& m, const std::string& sysRoot) {
  static const std::set<std::string> cd = {"iso9660", "udf"};
  static const std::set<std::string> ram = {"tmpfs", "ramfs"};
  static const std::set<std::string> remote = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "coda", "ceph", "glusterfs",
      "lustre", "9p", "davfs", "sshfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs",
      "fuse.glusterfs", "fuse.davfs2"};
  static const std::set<std::string> disk = {
      "ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "overlay", "jfs", "reiserfs", "zfs",
      "bcachefs", "nilfs2", "vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "hfs",
      "hfsplus", "ufs", "minix"};
  if (cd.count(m.type)) return DRIVE_CDROM;
  if (remote.count(m.type)) return DRIVE_REMOTE;
  if (ram.count(m.type)) return DRIVE_RAMDISK;
  if (disk.count(m.type)) return onRemovableDevice(m, sysRoot) ? DRIVE_REMOVABLE : DRIVE_FIXED;
  return DRIVE_UNKNOWN;
}

}  // namespace

int DriveTypeFromMounts(const std::string& path, const std::string& mountinfo, const std::string& sysRoot) {
  if (path.empty() || path[0] != '/') return DRIVE_NO_ROOT_DIR;
  const auto mounts = parse(mountinfo);
  const Mount* m = holder(mounts, path);
  return m ? typeOf(*m, sysRoot) : DRIVE_UNKNOWN;
}

int GetDriveTypeA(const std::string& path) {
  if (path.empty() || path[0] != '/') return DRIVE_NO_ROOT_DIR;
  std::error_code ec;
  std::string real = std::filesystem::weakly_canonical(path, ec).string();
  if (ec || real.empty()) real = path;
  if (real.size() > 1 && real.back() == '/') real.pop_back();
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  return DriveTypeFromMounts(real, text.str(), "/sys");
}

}  // namespace win

namespace win {

bool IsDriveRoot(const std::string& folder) {
  if (folder.empty() || folder[0] != '/') return false;
  std::error_code ec;
  std::string real = std::filesystem::weakly_canonical(folder, ec).string();
  if (ec || real.empty()) real = folder;
  if (real.size() > 1 && real.back() == '/') real.pop_back();
  if (real == "/") return true;
  std::string home = std::filesystem::weakly_canonical(GetHomeFolder(), ec).string();
  if (home.size() > 1 && home.back() == '/') home.pop_back();
  if (!ec && real == home) return true;
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  for (const Mount& m : parse(text.str()))
    if (m.point == real) return true;
  return false;
}

}  // namespace win
