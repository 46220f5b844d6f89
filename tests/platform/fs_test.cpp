// labels: unit
#include "platform/fs.h"
#include "platform/replace.h"

#include "support/paths.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testsupport::TempDir;
using testsupport::writeFile;

TEST(Fs, SpecialFolders) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(win::GetTempPathA(), "/var/tmp/");
  setenv("TMPDIR", "/var/tmp/", 1);
  EXPECT_EQ(win::GetTempPathA(), "/var/tmp/");
  unsetenv("TMPDIR");
  EXPECT_EQ(win::GetTempPathA(), "/tmp/");
  if (old) setenv("TMPDIR", saved.c_str(), 1);
  EXPECT_EQ(win::GetWindowsDirectoryA(), "");
  EXPECT_EQ(win::GetSystemDirectoryA(), "");
}

TEST(Fs, ShortPathIsThePathWhenItExists) {
  TempDir dir;
  const std::string f = writeFile(dir.file("a b.avi"), "x");
  EXPECT_EQ(win::GetShortPathNameA(f), f);
  EXPECT_EQ(win::GetShortPathNameA(dir.path()), dir.path());
  EXPECT_EQ(win::GetShortPathNameA(dir.file("missing.avi")), "");
  EXPECT_EQ(win::GetShortPathNameA(""), "");
}

TEST(Fs, CurrentFolderChanges) {
  TempDir dir;
  const std::string before = win::GetCurrentDirectoryA();
  ASSERT_TRUE(win::SetCurrentDirectoryA(dir.path() + "/"));
  EXPECT_EQ(win::GetCurrentDirectoryA(), dir.path());
  EXPECT_FALSE(win::SetCurrentDirectoryA(dir.file("missing")));
  EXPECT_EQ(win::GetCurrentDirectoryA(), dir.path());
  EXPECT_FALSE(win::SetCurrentDirectoryA(""));
  win::SetCurrentDirectoryA(before);
}

TEST(Fs, WildcardMatching) {
  struct Case { const char* name; const char* pattern; bool want; };
  const Case cases[] = {
      {"a.jpg", "*.jpg", true},   {"a.JPG", "*.jpg", true},  {"a.jpg.txt", "*.jpg", false},
      {"IMG_1.Jpg", "*.jPG", true}, {"\xC3\x84.gif", "\xC3\xA4.GIF", true}, {"a.jpeg", "*.jpg", false},
      {"00000001.png", "*.png", true}, {".jpg", "*.jpg", true}, {"noext", "*.*", true},
      {"ab", "a?", true},         {"a", "a?", false},        {"abc", "a*c", true},
      {"abcbc", "a*bc", true},    {"\xE4\xB8\xAD.gif", "?.gif", true}, {"x", "*", true},
      {"", "*", true},            {"a.gif", "a.gif", true},  {"b.gif", "a.gif", false},
  };
  for (const Case& c : cases) EXPECT_EQ(win::MatchesWildcard(c.name, c.pattern), c.want) << c.name << " ~ " << c.pattern;
}

TEST(Fs, FindFilesListsMatchingFilesOfOneFolder) {
  TempDir dir;
  writeFile(dir.file("b.jpg"), "1");
  writeFile(dir.file("a.jpg"), "1");
  writeFile(dir.file("c.JPG"), "1");
  writeFile(dir.file("d.png"), "1");
  mkdir(dir.file("sub.jpg").c_str(), 0755);
  const std::string p = dir.path() + "/";
  writeFile(dir.file(".e.jpg"), "1");  // hidden
  EXPECT_EQ(win::FindFiles(p + "*.jpg"), (std::vector<std::string>{p + "a.jpg", p + "b.jpg", p + "c.JPG"}));
  EXPECT_EQ(win::FindFiles(p + "*.JPG"), win::FindFiles(p + "*.jpg"));
  EXPECT_TRUE(win::FindFiles(p + "?.png").empty());  // no mask of ours: a name no file has
  EXPECT_EQ(win::FindFiles(p + "d.png"), (std::vector<std::string>{p + "d.png"}));
  EXPECT_TRUE(win::FindFiles(p + "sub.jpg").empty());
  EXPECT_TRUE(win::FindFiles(p).empty());
  EXPECT_TRUE(win::FindFiles(p + "missing/*.jpg").empty());
}

TEST(Fs, DeleteLeavesWriteProtectedFilesAndFolders) {
  TempDir dir;
  const std::string f = writeFile(dir.file("a.gif"), "x");
  const std::string ro = writeFile(dir.file("ro.gif"), "x");
  chmod(ro.c_str(), 0444);
  mkdir(dir.file("sub").c_str(), 0755);
  EXPECT_TRUE(win::DeleteFileA(f));
  EXPECT_FALSE(win::IsFile(f));
  EXPECT_FALSE(win::DeleteFileA(f));
  EXPECT_FALSE(win::DeleteFileA(ro));
  EXPECT_TRUE(win::IsFile(ro));
  EXPECT_FALSE(win::DeleteFileA(dir.file("sub")));
  EXPECT_TRUE(win::IsFolder(dir.file("sub")));
}

TEST(Fs, WholeFilesKeepTheirBytes) {
  TempDir dir;
  const std::string bytes("a\0b\r\n\xFF", 6);
  ASSERT_TRUE(win::WriteWholeFile(dir.file("x.bin"), bytes));
  EXPECT_EQ(win::ReadWholeFile(dir.file("x.bin")), bytes);
  ASSERT_TRUE(win::WriteWholeFile(dir.file("x.bin"), "c"));
  EXPECT_EQ(win::ReadWholeFile(dir.file("x.bin")), "c");
  EXPECT_EQ(win::ReadWholeFile(dir.file("missing")), std::nullopt);
  EXPECT_EQ(win::ReadWholeFile(dir.path()), std::nullopt);
  EXPECT_FALSE(win::WriteWholeFile(dir.file("missing/x.txt"), "c"));
}

// A result written under a temporary name replaces its target whole and carries the mode a new
// file of the user's gets.
TEST(Fs, TemporaryResultReplacesItsTargetWithTheUsersMode) {
  TempDir dir;
  const std::string target = writeFile(dir.file("old.gif"), "old");
  const std::string tmp = win::GetTempFileNameA(dir.path(), ".fenwo-");
  ASSERT_FALSE(tmp.empty());
  EXPECT_EQ(tmp.find_first_of("*?[]:,", dir.path().size()), std::string::npos);
  writeFile(tmp, "new");
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st{};
  ASSERT_EQ(stat(tmp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(win::MoveFileExA(tmp, target, 0), 0);
  EXPECT_EQ(win::ReadWholeFile(target), "old");
  EXPECT_EQ(win::MoveFileExA(tmp, target, win::MOVEFILE_REPLACE_EXISTING), 1);
  EXPECT_EQ(win::ReadWholeFile(target), "new");
  EXPECT_FALSE(win::IsFile(tmp));
}

// A picture is whole from its format's first bytes to its last: the GIF trailer, the JPEG end
// marker, the PNG IEND chunk.
TEST(Fs, WholePictures) {
  TempDir dir;
  const std::string png = "\x89PNG\r\n\x1A\n", iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
  const std::pair<std::string, bool> cases[] = {
      {"GIF89a;", true},          {"GIF87a" + std::string(100, 'x') + ";", true},
      {"GIF89a", false},          {"GIF89a" + std::string(100, 'x'), false},
      {"\xFF\xD8\xFF\xD9", true}, {"\xFF\xD8" + std::string(50, 'x') + "\xFF\xD9", true},
      {"\xFF\xD8xx", false},      {png + "IHDR" + iend, true},
      {png + "IHDR", false},      {png + iend.substr(0, 11), false},
      {"GIF", false},             {"", false},
      {"not a picture;", false},
  };
  int n = 0;
  for (const auto& [bytes, whole] : cases) {
    const std::string f = writeFile(dir.file(std::to_string(++n)), bytes);
    EXPECT_EQ(win::IsWholePicture(f), whole) << n;
  }
  EXPECT_FALSE(win::IsWholePicture(dir.file("missing")));
  EXPECT_FALSE(win::IsWholePicture(dir.path()));
}

// What a run wrote: new files and rewritten ones, also a rewrite that leaves the size and the
// write time as they were (a FAT file system through FUSE keeps no time of a rewrite).
TEST(Fs, WriteWatchSeesEveryWrite) {
  TempDir dir;
  const std::string kept = writeFile(dir.file("00000001.jpg"), "old one");
  const std::string same = writeFile(dir.file("00000002.jpg"), "old two");
  const std::string grown = writeFile(dir.file("00000003.JPG"), "old three");
  writeFile(dir.file("notes.txt"), "not a picture");
  struct stat before{};
  ASSERT_EQ(stat(same.c_str(), &before), 0);
  win::WriteWatch watch(dir.path() + "/*.jpg");
  writeFile(same, "new two");
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, same.c_str(), times, 0), 0);
  writeFile(grown, "a longer new three");
  const std::string made = writeFile(dir.file("00000004.jpg"), "new four");
  writeFile(dir.file("notes.txt"), "changed, not a picture");
  EXPECT_EQ(watch.Written(), (std::vector<std::string>{same, grown, made}));
  EXPECT_EQ(testsupport::readFile(kept), "old one");
  // A folder that is not there yet: everything in it is new.
  win::WriteWatch later(dir.path() + "/output/*.jpg");
  std::filesystem::create_directories(dir.file("output"));
  const std::string first = writeFile(dir.file("output/00000001.jpg"), "x");
  EXPECT_EQ(later.Written(), (std::vector<std::string>{first}));
}

// A disk is full when a small file no longer fits; the try leaves nothing behind.
TEST(Fs, DiskFullFlushAndWritableFolders) {
  TempDir dir;
  EXPECT_FALSE(win::IsDiskFull(dir.path()));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(win::FlushFileBuffers(dir.path()));
  EXPECT_TRUE(win::FlushFileBuffers(writeFile(dir.file("flushed"), "x")));
  EXPECT_FALSE(win::FlushFileBuffers(dir.file("missing")));
  EXPECT_TRUE(win::IsWritableFolder(dir.path()));
  EXPECT_FALSE(win::IsWritableFolder(dir.file("missing")));
  EXPECT_FALSE(win::IsWritableFolder(writeFile(dir.file("file"), "x")));
}
