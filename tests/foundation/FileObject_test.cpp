// labels: unit
#include "foundation/FileObject.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/paths.h"

namespace {

TEST(FileObject, PathParts) {
  struct Case {
    std::string path, base, ext, name, parent, drive;
  };
  const Case cases[] = {
      {"/clips/a.b.avi", "a.b", "avi", "a.b.avi", "/clips/", "/"},
      {"/dir.x/file", "file", "", "file", "/dir.x/", "/"},
      {"a.GIF", "a", "GIF", "a.GIF", "", "a"},
      {"file", "file", "", "file", "", "f"},
      {"x/a.", "a", "", "a.", "x/", "x"},
      {"/a.avi", "a", "avi", "a.avi", "/", "/"},  // a file in the root folder
      {"/", "", "", "", "/", "/"},
      {".txt", "", "", "", "", ""},  // starts with the extension dot: no parts at all
      {"", "", "", "", "", ""},
      {"/v/我的 片.mp4", "我的 片", "mp4", "我的 片.mp4", "/v/", "/"},
  };
  FileObject f;
  for (const Case& c : cases) {
    std::string p = c.path;
    EXPECT_EQ(f.GetBaseName(p), c.base) << c.path;
    EXPECT_EQ(f.GetExtensionName(p), c.ext) << c.path;
    EXPECT_EQ(f.GetFileName(p), c.name) << c.path;
    EXPECT_EQ(f.GetParentFolderName(p), c.parent) << c.path;
    EXPECT_EQ(f.GetDriveName(p), c.drive) << c.path;
  }
}

TEST(FileObject, PathArgumentsComeBackTrimmed) {
  FileObject f;
  std::string p = "  /clips/a.avi  ";
  EXPECT_EQ(f.GetParentFolderName(p), "/clips/");
  EXPECT_EQ(p, "/clips/a.avi");
  // The short form does not trim.
  const std::string padded = "  /tmp  ";
  EXPECT_EQ(f.ShortPath(padded), "");
}

TEST(FileObject, ExistenceWithWildcardsAndFolders) {
  testsupport::TempDir dir;
  testsupport::writeFile(dir.file("p1.jpg"), "x");
  ::mkdir(dir.file("sub.jpg").c_str(), 0755);
  FileObject f;
  std::string p = dir.file("*.jpg");
  EXPECT_TRUE(f.FileExists(p));
  p = dir.file("p?.jpg");  // no mask the programs build: a name, and no file has it
  EXPECT_FALSE(f.FileExists(p));
  p = dir.file("*.png");
  EXPECT_FALSE(f.FileExists(p));
  p = dir.path();  // a folder is no file
  EXPECT_FALSE(f.FileExists(p));
  p = "   " + dir.file("p1.jpg") + " ";
  EXPECT_TRUE(f.FileExists(p));
  EXPECT_EQ(p, dir.file("p1.jpg"));
  p = "";
  EXPECT_FALSE(f.FileExists(p));

  p = dir.path();
  EXPECT_TRUE(f.FolderExists(p));
  p = dir.file("p1.jpg");
  EXPECT_FALSE(f.FolderExists(p));
  p = dir.file("missing");
  EXPECT_FALSE(f.FolderExists(p));
}

// A name a user chose is taken literally; only the masks the programs build ("*." and an
// extension as the last part) match, without regard to case and without hidden files.
TEST(FileObject, NamesAreLiteralMasksIgnoreCase) {
  testsupport::TempDir dir;
  for (const char* n : {"Why1.gif", "Whyx.gif", "IMG_0001.JPG", "b.Jpg", "c.jpg", ".hidden.png", "a*b.avi",
                        "[1].gif"})
    testsupport::writeFile(dir.file(n), "x");
  struct Case { const char* name; bool exists; };
  const Case cases[] = {
      {"Why?.gif", false}, {"Why*.gif", false}, {"*b.avi", false},   {"a*b.avi", true}, {"[1].gif", true},
      {"[?].gif", false},  {"*.jpg", true},     {"*.JPG", true},     {"*.png", false},  {"*.avi", true},
      {"*.bmp", false},    {"IMG_0001.jpg", false},
  };
  FileObject f;
  for (const Case& c : cases) {
    std::string p = dir.file(c.name);
    EXPECT_EQ(f.FileExists(p), c.exists) << c.name;
  }
  // Deleting a user's target "Why?.gif" or "*.gif" leaves every other file alone.
  for (const char* n : {"Why?.gif", "*.gif", "*.jpg"}) {
    std::string p = dir.file(n);
    f.DeleteFile(p);
  }
  for (const char* n : {"Why1.gif", "Whyx.gif", "IMG_0001.JPG", "b.Jpg", "c.jpg", "[1].gif"}) {
    std::string p = dir.file(n);
    EXPECT_TRUE(f.FileExists(p)) << n;
  }
  // A file whose very name is "*.gif" is that file, not the mask.
  testsupport::writeFile(dir.file("*.gif"), "x");
  std::string star = dir.file("*.gif");
  f.DeleteFile(star);
  struct stat st{};
  EXPECT_NE(::lstat(star.c_str(), &st), 0);
  std::string why = dir.file("Why1.gif");
  EXPECT_TRUE(f.FileExists(why));
}

TEST(FileObject, TextFilesAndDeleting) {
  testsupport::TempDir dir;
  FileObject f;
  std::string p = " " + dir.file("a b;$&.txt");
  f.CreateTextFile(p, true, "Language=en");
  EXPECT_EQ(testsupport::readFile(p), "Language=en\r\n");
  f.CreateTextFile(p, true, "x");  // an existing file is emptied first
  EXPECT_EQ(f.GetFileText(p), "x\r\n");
  std::string missing = dir.file("none.txt");
  EXPECT_EQ(f.GetFileText(missing), "");
  f.DeleteFile(missing);  // no error

  testsupport::writeFile(dir.file("1.png"), "x");
  testsupport::writeFile(dir.file("2.png"), "x");
  testsupport::writeFile(dir.file("3.jpg"), "x");
  std::string mask = dir.file("*.png");
  f.DeleteFile(mask, true);  // a name, never a pattern: no file is called so
  EXPECT_TRUE(f.FileExists(mask));
  std::string jpg = dir.file("3.jpg");
  EXPECT_TRUE(f.FileExists(jpg));
  f.DeleteFile(jpg);
  EXPECT_FALSE(f.FileExists(jpg));
}

TEST(FileObject, SpecialFoldersAndShortPaths) {
  FileObject f;
  const std::string temp = f.GetSpecialFolder(2);
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '/');
  EXPECT_EQ(f.GetSpecialFolder(0), "");
  EXPECT_EQ(f.GetSpecialFolder(7), "");
  testsupport::TempDir dir;
  EXPECT_EQ(f.ShortPath(dir.path()), dir.path());
  EXPECT_EQ(f.ShortPath(dir.file("missing")), "");
}

}  // namespace
