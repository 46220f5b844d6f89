// labels: unit gui
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLabel>

#include "foundation/CommDialog.h"
#include "platform/comdlg.h"
#include "platform/comdlg_hook.h"
#include "support/paths.h"

namespace {

class CommDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path()));
    for (const char* name : {"a.gif", "Clip.AVI", "c.png"}) testsupport::writeFile(dir.file(name), "x");
  }
  void TearDown() override {
    win::SetDialogHook({});
    QDir::setCurrent(saved);
  }
  // Answers the next dialogs with answer; onDialog sees the dialog first.
  void answerWith(win::DialogAnswer answer, std::function<void(QFileDialog&)> onDialog = {}) {
    win::SetDialogHook([this, answer, onDialog](QFileDialog& d) {
      folder = d.directory().absolutePath().toStdString();
      filters = d.nameFilters();
      title = d.windowTitle();
      if (onDialog) onDialog(d);
      return answer;
    });
  }
  testsupport::TempDir dir{"commdlg"};
  QString saved, title;
  std::string folder;
  QStringList filters;
};

TEST_F(CommDialogTest, FilterAndIndex) {
  CommDialog d;
  EXPECT_EQ(d.FilterIndex(), 1);
  d.Filter("A|*.a|B|*.b");
  EXPECT_EQ(d.Filter(), "A|*.a|B|*.b");
  answerWith({});
  d.ShowOpen();
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(filters[0].startsWith("A ("));
  EXPECT_TRUE(filters[1].startsWith("B ("));
  d.Filter("A|*.a|");  // ends in a NUL already
  d.ShowOpen();
  EXPECT_EQ(filters.size(), 1);
  d.Filter("");
  d.ShowOpen();
  EXPECT_TRUE(filters.isEmpty() || filters == QStringList{"All Files (*)"});
}

TEST_F(CommDialogTest, OpenOneFile) {
  CommDialog d;
  d.Filter("GIF Files(*.gif)|*.gif|Video|*.avi");
  d.FlagsOpen = 0x81004;
  answerWith({true, {dir.file("Clip.AVI")}, 2});
  EXPECT_EQ(d.ShowOpen(true), dir.file("Clip.AVI"));
  EXPECT_EQ(folder, dir.path());  // the current folder, as InitDir was empty
  EXPECT_EQ(d.filename, dir.file("Clip.AVI"));
  EXPECT_EQ(d.FileTitle(), "Clip.AVI");
  EXPECT_EQ(d.FileExt(), "avi");
  EXPECT_EQ(d.FilterIndex(), 2);
  EXPECT_EQ(d.InitDir, "");

  // A cancel after a choice empties the choice and keeps the rest.
  d.InitDir = "/";
  d.filename = "";
  answerWith({false, {}, 1});
  EXPECT_EQ(d.ShowOpen(true), "");
  EXPECT_EQ(folder, "/");
  EXPECT_EQ(d.filename, "");
  EXPECT_EQ(d.FileTitle(), "");
  EXPECT_EQ(d.FileExt(), "");
  EXPECT_EQ(d.FilterIndex(), 2);
  EXPECT_EQ(d.InitDir, "/");
}

TEST_F(CommDialogTest, OpenSeveralFiles) {
  CommDialog d;
  d.FlagsOpen = 0x81004;
  d.filename = "kept";
  answerWith({true, {dir.file("a.gif")}, 0});
  EXPECT_EQ(d.ShowOpen(false, true), "1");
  EXPECT_EQ(d.FileArray(), std::vector<std::string>{dir.file("a.gif")});
  EXPECT_EQ(d.filename, "kept");
  EXPECT_EQ(d.FileTitle(), "");

  answerWith({true, {dir.file("a.gif"), dir.file("Clip.AVI"), dir.file("c.png")}, 0});
  EXPECT_EQ(d.ShowOpen(false, true), "3");
  EXPECT_EQ(d.FileArray(), (std::vector<std::string>{dir.file("a.gif"), dir.file("Clip.AVI"), dir.file("c.png")}));
  EXPECT_EQ(d.FileExt(), "");
  EXPECT_NE(d.InitDir, "");  // kept without then_NoUse_InitDir

  // More than the dialog's buffer holds: taken as a cancel, the last list stays.
  std::vector<std::string> many;
  for (int i = 0; i < 200; ++i) many.push_back(dir.file("a-rather-long-picture-name-" + std::to_string(i) + ".gif"));
  answerWith({true, many, 0});
  EXPECT_EQ(d.ShowOpen(false, true), "");
  EXPECT_EQ(d.FileArray().size(), 3u);
  EXPECT_EQ(d.filename, "");
  EXPECT_EQ(win::CommDlgExtendedError(), win::FNERR_BUFFERTOOSMALL);
}

TEST_F(CommDialogTest, SaveWithStartNameAndDefaultExtension) {
  CommDialog d;
  d.FlagsSave = 6;
  d.DefaultExt = "GIF";
  d.filename = "clip.gif";
  d.InitDir = dir.path();
  QStringList preset;
  QFileDialog::AcceptMode mode{};
  answerWith({true, {dir.file("out.gif")}, 1}, [&](QFileDialog& f) {
    preset = f.selectedFiles();
    mode = f.acceptMode();
    EXPECT_EQ(f.defaultSuffix(), "GIF");
  });
  EXPECT_EQ(d.ShowSave(true), dir.file("out.gif"));
  EXPECT_EQ(mode, QFileDialog::AcceptSave);
  EXPECT_EQ(preset, QStringList{QString::fromStdString(dir.file("clip.gif"))});
  EXPECT_EQ(d.FileTitle(), "out.gif");
  EXPECT_EQ(d.InitDir, "");
}

TEST_F(CommDialogTest, FolderBrowser) {
  QDir().mkpath(QString::fromStdString(dir.file("pics")));
  CommDialog& d = objDialog();
  d.InitDir = dir.file("pics");
  d.DialogTitle = "Please choose the folder\nthat holds the pictures";
  d.FlagsDir = 0x64;
  QString shownTitle, status;
  bool readOnly = true;
  answerWith({true, {dir.file("pics")}, 0}, [&](QFileDialog& f) {
    shownTitle = f.findChild<QLabel*>(win::kBrowseTitleLabel)->text();
    readOnly = f.testOption(QFileDialog::ReadOnly);
    emit f.currentChanged(QString::fromStdString(dir.file("a.gif")));
    status = f.findChild<QLabel*>(win::kBrowseStatusLabel)->text();
  });
  EXPECT_EQ(d.ShowDir(true), dir.file("pics") + "/");
  EXPECT_EQ(folder, dir.file("pics"));  // opened at InitDir
  EXPECT_EQ(title, "Browse For Folder");
  EXPECT_EQ(shownTitle.toStdString(), d.DialogTitle);
  EXPECT_FALSE(readOnly);
  EXPECT_EQ(status.toStdString(), dir.file("a.gif"));
  EXPECT_EQ(d.DirName, dir.file("pics") + "/");
  EXPECT_EQ(d.InitDir, "");

  // The plain browser: no status line, no new folders; a root keeps its one slash.
  d.FlagsDir = 0;
  bool hasStatus = true;
  answerWith({true, {"/"}, 0}, [&](QFileDialog& f) {
    hasStatus = f.findChild<QLabel*>(win::kBrowseStatusLabel) != nullptr;
    readOnly = f.testOption(QFileDialog::ReadOnly);
  });
  EXPECT_EQ(d.ShowDir(), "/");
  EXPECT_FALSE(hasStatus);
  EXPECT_TRUE(readOnly);
  EXPECT_EQ(folder, dir.path());  // InitDir was empty: the current folder

  answerWith({false, {}, 0});
  EXPECT_EQ(d.ShowDir(), "");
  EXPECT_EQ(d.DirName, "");
}

}  // namespace
