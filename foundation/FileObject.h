// File and path helpers that never throw: existence tests, the parts of a path, special
// folders, whole-file text, deleting and writing a one-line text file. Holds no state.
// Every operation that takes a path trims blanks around it and writes the trimmed path back,
// except ShortPath.
#pragma once
#include <cstdint>
#include <string>

class FileObject {
 public:
  // A file (not a folder) is named by fn, or matches it when fn is a mask the programs build
  // ("*.jpg" as its last part, without regard to case; see win::IsFileMask).
  bool FileExists(std::string& fn);
  bool FolderExists(std::string& fn);
  std::string GetBaseName(std::string& fn);       // name without folder and extension
  std::string GetExtensionName(std::string& fn);  // without the dot, case as written
  std::string GetFileName(std::string& fn);       // name with extension
  std::string GetParentFolderName(std::string& fn);  // up to and including the last "/"
  std::string GetDriveName(std::string& fn);      // the first character
  // 2: the temporary folder with a trailing "/"; 0 and 1 (the system's own folders) and any
  // other value: "".
  std::string GetSpecialFolder(int16_t folderspec);
  // The short form of fn; "" when there is none (a missing path).
  std::string ShortPath(const std::string& fn);
  std::string GetFileText(std::string& fn);
  // Deletes the one file fn names, taken literally; force has no effect.
  void DeleteFile(std::string& fn, bool force = false);
  // Creates or empties fn and writes txt and CR LF; overwrite has no effect.
  void CreateTextFile(std::string& fn, bool overwrite, const std::string& txt);

 private:
  static std::string TrimNull(const std::string& text);
  std::string GetPathPart(std::string& fn, int part);
};
