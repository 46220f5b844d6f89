// Test entry point: one QApplication for the whole program, as the programs have.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <gtest/gtest.h>

#include "support/crashes.h"
#include "support/paths.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // What Qt keeps for the user (the file dialog's state, written when a dialog goes, and the
  // runtime files) goes into a folder of this run that outlives the application: Qt settles
  // on the folder at its first use, and a test's home may be gone by the time it writes. A
  // test program started by a test keeps the folders it was given.
  std::unique_ptr<testsupport::TempDir> own;
  if (!std::getenv("FENWO_TEST_FOLDER")) {
    own = std::make_unique<testsupport::TempDir>("process");
    const std::string config = own->file("config"), run = own->file("run");
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    setenv("FENWO_TEST_FOLDER", own->path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
  }
  testsupport::WatchCrashes(std::string(std::getenv("FENWO_TEST_FOLDER")) + "/crashes");
  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
