// Times the start of the main window (its load step) with a settings file holding N lines
// "Language=..." (the languages in turn), for N = 0, 1000 and 10000, or the counts given.
//
//   bench_settings [N...]     (runs on the offscreen platform unless one is chosen)
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "runtime/app.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {0, 1000, 10000};

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "fenwo-bench-settings";
  fs::create_directories(dir / "app" / "plugins");
  fs::create_directories(dir / "run");
  fs::permissions(dir / "run", fs::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
  setenv("LC_ALL", "C", 1);
  vb::App::SetPathForTests((dir / "app").string());

  const char* codes[] = {"en", "gb", "tw"};
  for (const int n : counts) {
    {
      std::ofstream ini(dir / "app" / "Fenwo.Zantiro.ini", std::ios::binary | std::ios::trunc);
      ini << "MainLeft=1500\r\nMainTop=900\r\n";
      for (int i = 0; i < n; ++i) ini << "Language=" << codes[i % 3] << "\r\n";
    }
    const auto t0 = std::chrono::steady_clock::now();
    zantiro::frmMain::Default().Show();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%6d language lines: window loaded in %8.1f ms (language %s)\n", n, ms,
                zantiro::frmMain::Default().mnuLanguage.Tag().c_str());
    zantiro::frmOptions::Release();
    zantiro::frmSplash::Release();
    zantiro::frmMain::Release();
  }
  fs::remove_all(dir);
  return 0;
}
