// The conversion program's main window driven as a user drives it: the source menu with the
// open and folder dialogs answered, Encode Now with its message and input boxes answered from a
// script, the viewer start recorded, the progress label watched while a run goes on.
// Sources are copied into a scratch folder first (their targets are written beside them), and
// HOME points into it (the fallback target folder).
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "foundation/mdlGetCmdOutput.h"
#include "foundation/mdlFenwoZantiro.h"
#include "platform/comdlg_hook.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/shell.h"
#include "support/paths.h"

namespace testsupport {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // A program folder of its own: its engine is the build's; the viewer is a placeholder
    // (its start is recorded, not made). Engines of other runs are left alone at start-up.
    std::filesystem::create_directories(app_.file("plugins"));
    std::filesystem::create_symlink(enginePath(), engine());
    writeFile(app_.file("Fenwo.Lumtak.exe"), "");
    // The instance lock and link of the user, apart from a running program's.
    const std::string run = std::string(FENWO_BUILD_DIR) + "/test-run";
    std::filesystem::create_directories(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    setenv("LC_ALL", "C", 1);
    std::filesystem::create_directories(home());
    const char* h = std::getenv("HOME");
    oldHome_ = h ? h : "";
    setenv("HOME", home().c_str(), 1);
    oldDir_ = std::filesystem::current_path().string();
    vb::App::SetPathForTests(app_.path());
    vb::SetBoxHook([this](const vb::BoxCall& c) {
      boxes.push_back(c);
      progressAtBox.push_back(w().lblProgress.Caption());
      if (answers.empty()) return vb::BoxAnswer{};
      const vb::BoxAnswer a = answers.front();
      answers.pop_front();
      return a;
    });
    win::SetDialogHook([this](QFileDialog& d) {
      dialogs.push_back(d.nameFilters().join("\n").toStdString());
      const auto* browseTitle = d.findChild<QLabel*>(win::kBrowseTitleLabel);
      titles.push_back((browseTitle ? browseTitle->text() : d.windowTitle()).toStdString());
      if (dialogAnswers.empty()) return win::DialogAnswer{};
      const win::DialogAnswer a = dialogAnswers.front();
      dialogAnswers.pop_front();
      return a;
    });
    vb::SetShellHook([this](const std::string& line, int style) {
      shells.push_back(line);
      shellStyles.push_back(style);
      return 1234.0;
    });
    zantiro::frmMain::Default().Show();
    zantiro::frmMain::Default().ChangeLanguage("en");
  }

  void TearDown() override {
    watch_.reset();
    vb::SetBoxHook(nullptr);
    win::SetDialogHook(nullptr);
    vb::SetShellHook(nullptr);
    vb::App::SetPathForTests("");
    std::filesystem::current_path(oldDir_);
    setenv("HOME", oldHome_.c_str(), 1);
    zantiro::frmOptions::Release();
    zantiro::frmSplash::Release();
    zantiro::frmMain::Release();
    mdlGetCmdOutput::StopRequested = false;
  }

  std::string appPath() const { return app_.path(); }
  std::string engine() const { return app_.file("plugins/FenwoRes1.exe"); }

  zantiro::frmMain& w() { return zantiro::frmMain::Default(); }
  zantiro::frmOptions& frmOptions() { return zantiro::frmOptions::Default(); }
  std::string dir() const { return tmp_.path(); }
  std::string home() const { return tmp_.path() + "/home"; }

  std::string copyMedia(const std::string& name) {
    const std::string to = dir() + "/" + name;
    std::filesystem::copy_file(media(name), to, std::filesystem::copy_options::overwrite_existing);
    return to;
  }
  std::string copyPictures(const std::string& ext) {
    const std::string to = dir() + "/" + ext;
    std::filesystem::copy(media("pictures/" + ext), to,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    return to;
  }

  // A file source through the open dialog (index: 0 GIF, 1 JPG, 2 PNG).
  void chooseFile(const std::string& file, int index) {
    dialogAnswers.push_back({true, {file}, 0});
    w().mnuSrcIsFileTo(index).Click();
  }
  // A picture folder through the folder dialog (index: 0 BMP, 1 JPG, 2 GIF, 3 PNG).
  void chooseFolder(const std::string& folder, int index) {
    dialogAnswers.push_back({true, {folder}, 0});
    w().mnuSrcISFolderTo(index).Click();
  }
  void encode() { w().cmdEncode(0).Click(); }
  // A file dragged from a file manager onto the source button; the address carries the
  // name's bytes as a file manager writes them (percent-encoded).
  void drop(const std::string& file) {
    QMimeData data;
    data.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(file).toPercentEncoding("/"))});
    QWidget* button = w().cmdInput.Widget();
    QWidget* face = button->childAt(10, 10);
    QWidget* target = face ? face : button;
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
  }

  // Records every new progress text while events run; presses Stop Now once the percentage
  // reaches stopAtPercent (when set).
  void watchProgress() {
    watch_ = std::make_unique<QTimer>();
    QObject::connect(watch_.get(), &QTimer::timeout, [this] {
      const std::string p = w().lblProgress.Caption();
      if (progress.empty() || progress.back() != p) progress.push_back(p);
      if (stopAtPercent > 0 && w().cmdEncode(1).Visible() && p.rfind("Progress ", 0) == 0 &&
          vb::Val(p.substr(9)) >= stopAtPercent) {
        stopAtPercent = 0;
        w().cmdEncode(1).Click();
      }
    });
    watch_->start(5);
  }

  void waitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int i = 0; i < ms / 10 && !done(); ++i) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::vector<vb::BoxCall> boxes;
  std::vector<std::string> progressAtBox;
  std::deque<vb::BoxAnswer> answers;
  std::vector<std::string> dialogs;  // the filters of each file dialog, one a line
  std::vector<std::string> titles;   // its title (a folder browser's: the text above its tree)
  std::deque<win::DialogAnswer> dialogAnswers;
  std::vector<std::string> shells;
  std::vector<int> shellStyles;
  std::vector<std::string> progress;
  int stopAtPercent = 0;

 private:
  TempDir tmp_{"main"};
  TempDir app_{"app"};
  std::string oldHome_, oldDir_;
  std::unique_ptr<QTimer> watch_;
};

}  // namespace testsupport
