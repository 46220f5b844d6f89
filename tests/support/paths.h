// Where tests find the sources, the test media and the program folder, and a scratch folder.
#pragma once
#include <string>

namespace testsupport {

inline std::string sourceDir() { return FENWO_SOURCE_DIR; }
inline std::string mediaDir() { return FENWO_MEDIA; }
inline std::string media(const std::string& name) { return mediaDir() + "/" + name; }
inline std::string appDir() { return FENWO_APPDIR; }
inline std::string enginePath() { return appDir() + "/plugins/FenwoRes1.exe"; }

// A fresh empty folder for one test, removed when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& tag = "t");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Write a whole file; returns its path.
std::string writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Counts that show whether a run left anything behind.
int openDescriptorCount();
int childProcessCount();

}  // namespace testsupport
