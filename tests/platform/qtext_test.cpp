// labels: unit
// Names through Qt's texts: every byte comes back, and a path a Qt dialog shows with U+FFFD in
// it is found again on the disk.
#include "platform/qtext.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "support/paths.h"

TEST(QText, EveryByteComesBack) {
  const std::string cases[] = {"", "plain.gif", "中文名.avi", "caf\xe9.avi", "\xff\xfe\x80", "\xed\xa0\x80 surrogate",
                               "\xc0\xaf overlong", "mixed \xe4\xb8\xad\xff end", "cut \xe4\xb8"};
  for (const std::string& s : cases) {
    EXPECT_EQ(win::StdStr(win::QStr(s)), s);
    EXPECT_EQ(win::LocalFileOf(win::UrlOfLocalFile("/tmp/" + s)), "/tmp/" + s);
  }
  EXPECT_EQ(win::QStr("中文名"), QString::fromUtf8("中文名"));
}

TEST(QText, PathsShownByQtAreFoundOnTheDisk) {
  namespace fs = std::filesystem;
  testsupport::TempDir dir("qtext");
  const std::string folder = dir.path() + "/caf\xe9";
  fs::create_directories(folder);
  testsupport::writeFile(folder + "/a\xff.avi", "x");
  testsupport::writeFile(folder + "/b\xfe.avi", "x");
  testsupport::writeFile(folder + "/b\xfd.avi", "x");
  // What the dialog shows and gives back: Qt's own reading of the bytes.
  const auto shown = [](const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); };
  EXPECT_EQ(win::PathOnDisk(shown(folder + "/a\xff.avi")), folder + "/a\xff.avi");
  EXPECT_EQ(win::PathOnDisk(shown(folder + "/")), folder + "/");
  // Two names read alike: the folder is found, the name stays as the dialog gave it.
  EXPECT_EQ(win::PathOnDisk(shown(folder + "/b\xfe.avi")), folder + "/b\xef\xbf\xbd.avi");
  // A new name the dialog was given to start with (a save dialog's proposal).
  EXPECT_EQ(win::PathOnDisk(shown(folder + "/new\xe9.gif"), "new\xe9.gif"), folder + "/new\xe9.gif");
  EXPECT_EQ(win::PathOnDisk(QString::fromUtf8("/中文/x.gif")), "/中文/x.gif");
}
