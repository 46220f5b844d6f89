// labels: unit gui
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include "platform/comdlg.h"
#include "platform/comdlg_hook.h"
#include "support/paths.h"

namespace {

class ComDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = QDir::currentPath();
    for (const char* name : {"a.gif", "B.GIF", "c.avi"}) testsupport::writeFile(dir.file(name), "x");
  }
  void TearDown() override {
    win::SetDialogHook({});
    QDir::setCurrent(saved);
  }
  // Answers every dialog with answer and keeps what the dialog was given.
  void answerWith(win::DialogAnswer answer) {
    win::SetDialogHook([this, answer](QFileDialog& d) {
      seen.title = d.windowTitle();
      seen.folder = d.directory().absolutePath();
      seen.filters = d.nameFilters();
      seen.filter = d.selectedNameFilter();
      seen.mode = d.fileMode();
      seen.accept = d.acceptMode();
      seen.options = d.options();
      seen.suffix = d.defaultSuffix();
      return answer;
    });
  }
  win::OPENFILENAME ofn(int32_t flags) {
    win::OPENFILENAME o;
    static const char filter[] = "GIF Files(*.gif)\0*.gif\0All\0*.*\0Video\0*.avi;*.MPG\0";
    o.lpstrFilter = std::string(filter, sizeof filter - 1);
    o.nFilterIndex = 2;
    o.lpstrFile = std::string(999, '\0');
    o.nMaxFile = 998;
    o.lpstrFileTitle = std::string(999, '\0');
    o.nMaxFileTitle = 998;
    o.lpstrInitialDir = dir.path();
    o.Flags = flags;
    return o;
  }
  struct Seen {
    QString title, folder, filter, suffix;
    QStringList filters;
    QFileDialog::FileMode mode{};
    QFileDialog::AcceptMode accept{};
    QFileDialog::Options options;
  } seen;
  testsupport::TempDir dir{"comdlg"};
  QString saved;
};

TEST_F(ComDlg, FlagsBecomeTheDialogsOptions) {
  answerWith({});
  struct Case { bool save; int32_t flags; QFileDialog::FileMode mode; bool confirm; };
  const Case cases[] = {
      {false, 0x81004, QFileDialog::ExistingFile, true},
      {false, 0x81204, QFileDialog::ExistingFiles, true},
      {false, 0x4, QFileDialog::AnyFile, true},
      {true, 6, QFileDialog::AnyFile, true},
      {true, 4, QFileDialog::AnyFile, false},
  };
  for (const auto& c : cases) {
    auto o = ofn(c.flags);
    o.lpstrDefExt = "GIF";
    EXPECT_FALSE(c.save ? win::GetSaveFileNameA(o) : win::GetOpenFileNameA(o));
    EXPECT_EQ(seen.mode, c.mode) << c.flags;
    EXPECT_EQ(seen.accept, c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    EXPECT_EQ(!seen.options.testFlag(QFileDialog::DontConfirmOverwrite), c.confirm) << c.flags;
    EXPECT_EQ(seen.title, c.save ? "Save As" : "Open");
    EXPECT_EQ(seen.folder, QString::fromStdString(dir.path()));
    EXPECT_EQ(seen.suffix, "GIF");
  }
  ASSERT_EQ(seen.filters.size(), 3);
  EXPECT_TRUE(seen.filters[1].startsWith(seen.filter + " (")) << seen.filter.toStdString();
}

TEST_F(ComDlg, PatternsMatchWithoutRegardToCase) {
  answerWith({});
  auto o = ofn(0x81004);
  win::GetOpenFileNameA(o);
  ASSERT_EQ(seen.filters.size(), 3);
  // Qt's own form: the label, then the patterns in parentheses.
  const auto patterns = [](const QString& filter) {
    const auto open = filter.lastIndexOf('(');
    return filter.mid(open + 1, filter.size() - open - 2).split(' ');
  };
  const auto matches = [&](const QString& filter, const QString& name) {
    for (const auto& p : patterns(filter))
      if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(p)).match(name).hasMatch()) return true;
    return false;
  };
  EXPECT_TRUE(seen.filters[0].startsWith("GIF Files(*.gif) ("));
  EXPECT_TRUE(matches(seen.filters[0], "CLIP.GIF"));
  EXPECT_TRUE(matches(seen.filters[0], "clip.gif"));
  EXPECT_FALSE(matches(seen.filters[0], "clip.avi"));
  EXPECT_TRUE(matches(seen.filters[1], "README"));  // *.* is every file, as on the system
  EXPECT_TRUE(matches(seen.filters[2], "x.mpg"));
  EXPECT_TRUE(matches(seen.filters[2], "x.AVI"));
}

TEST_F(ComDlg, ChoiceIsWrittenIntoTheBuffers) {
  const std::string a = dir.file("a.gif"), b = dir.file("B.GIF"), c = dir.file("c.avi");
  struct Case { int32_t flags; std::vector<std::string> files; std::string buffer; };
  const Case cases[] = {
      {0x81004, {a}, a + '\0'},
      {0x81204, {a}, a + std::string(2, '\0')},
      {0x81204, {a, b, c}, dir.path() + '\0' + "a.gif" + '\0' + "B.GIF" + '\0' + "c.avi" + std::string(2, '\0')},
      {0x81204, {a, "/etc/hosts"}, std::string("/\0", 2) + a.substr(1) + '\0' + "etc/hosts" + std::string(2, '\0')},
  };
  for (const auto& k : cases) {
    answerWith({true, k.files, 3});
    auto o = ofn(k.flags);
    ASSERT_TRUE(win::GetOpenFileNameA(o));
    EXPECT_EQ(o.lpstrFile.substr(0, k.buffer.size()), k.buffer);
    EXPECT_EQ(o.lpstrFile.size(), 999u);
    EXPECT_EQ(o.lpstrFileTitle.substr(0, 6), std::string("a.gif\0", 6));
    EXPECT_EQ(o.nFilterIndex, 3);
  }
}

TEST_F(ComDlg, CancelOrChoiceTooLongFails) {
  answerWith({false, {dir.file("a.gif")}, 1});
  auto o = ofn(0x81004);
  EXPECT_FALSE(win::GetOpenFileNameA(o));
  EXPECT_EQ(o.lpstrFile, std::string(999, '\0'));
  EXPECT_EQ(o.nFilterIndex, 2);

  answerWith({true, {dir.file("a.gif")}, 1});
  o = ofn(0x81004);
  o.nMaxFile = static_cast<int32_t>(dir.file("a.gif").size());  // no room for the NUL
  EXPECT_FALSE(win::GetOpenFileNameA(o));
  EXPECT_EQ(o.lpstrFile, std::string(999, '\0'));
}

TEST_F(ComDlg, ChoiceMovesTheCurrentFolderUnlessAskedNotTo) {
  const std::string sub = dir.file("sub");
  QDir().mkpath(QString::fromStdString(sub));
  answerWith({true, {sub + "/x.gif"}, 0});
  auto o = ofn(0x80008);
  ASSERT_TRUE(win::GetSaveFileNameA(o));
  EXPECT_EQ(QDir::currentPath(), saved);
  o = ofn(6);
  ASSERT_TRUE(win::GetSaveFileNameA(o));
  EXPECT_EQ(QDir::currentPath().toStdString(), sub);
}

// The real dialog, answered through key presses once it is up.
void pressOnDialog(Qt::Key key, const QString& typed = {}) {
  QTimer::singleShot(50, [key, typed] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    QWidget* target = dialog;
    if (!typed.isEmpty()) {
      auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(edit, nullptr);
      edit->setText(typed);
      target = edit;
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  });
}

TEST_F(ComDlg, RealDialogAnsweredByKeys) {
  auto o = ofn(0x81004);
  pressOnDialog(Qt::Key_Escape);
  EXPECT_FALSE(win::GetOpenFileNameA(o));
  EXPECT_EQ(o.nFilterIndex, 2);

  o = ofn(0x81004);
  pressOnDialog(Qt::Key_Return, "c.avi");
  ASSERT_TRUE(win::GetOpenFileNameA(o));
  EXPECT_EQ(o.lpstrFile.substr(0, o.lpstrFile.find('\0')), dir.file("c.avi"));
  EXPECT_EQ(o.nFilterIndex, 2);
}

TEST(ShellItem, PathOfAnItem) {
  std::string buf(999, '\0');
  EXPECT_TRUE(win::SHGetPathFromIDList("/", buf));
  EXPECT_EQ(buf.substr(0, 2), std::string("/\0", 2));
  EXPECT_FALSE(win::SHGetPathFromIDList("", buf));
  EXPECT_FALSE(win::SHGetPathFromIDList("trash:///", buf));
  EXPECT_FALSE(win::SHGetPathFromIDList("/" + std::string(5000, 'a'), buf));
}

}  // namespace
