// Files and folders: special folders, short paths, the current folder, wildcard search and
// whole-file reading and writing. Paths use "/"; none of these raises.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win {

// The temporary folder ($TMPDIR, else /tmp), always with a trailing "/".
std::string GetTempPathA();
// The Windows and system folders have no counterpart here: both are "".
std::string GetWindowsDirectoryA();
std::string GetSystemDirectoryA();

// There are no 8.3 names: the path itself when it exists, else "".
std::string GetShortPathNameA(const std::string& path);

bool SetCurrentDirectoryA(const std::string& path);
std::string GetCurrentDirectoryA();  // without a trailing "/"
// The user's home folder with a trailing "/": where the programs fall back to when a folder
// will not do (the root of the system drive on Windows).
std::string GetHomeFolder();

// Whether a file name matches a pattern of "*" (any run) and "?" (one character), without
// regard to case, as the Windows search does. "*.*" matches every name.
bool MatchesWildcard(const std::string& name, const std::string& pattern);

// Whether path is one of the masks the programs build: its last part is "*." and an extension
// free of "*" and "?" (such as "*.jpg"), and no file or folder has that very name. Every other
// path, a user's "Why?.gif" or "a*b.avi" included, names one file literally.
bool IsFileMask(const std::string& path);
// The same, for the mask of one extension only: "*." & ext as the last part ("gif": *.gif).
bool IsFileMask(const std::string& path, const std::string& ext);

// For a mask (IsFileMask): the files (not folders) of its folder whose names match its last
// part, hidden files (names starting with ".") left out; the folder part is taken as written
// ("" is the current folder). Full paths as folder part & name, sorted by name. For any other
// path: that path when it is a file.
std::vector<std::string> FindFiles(const std::string& pattern);

bool IsFile(const std::string& path);    // a file, or a link to one
bool IsFolder(const std::string& path);  // a folder, or a link to one
// The size in bytes of a file (the runtime's FileLen); -1 when there is no such file.
long long FileLen(const std::string& path);

// Deletes one file. A read-only file (no write permission for its owner or for us) is left
// alone, as Windows leaves a read-only file. False when nothing was deleted.
bool DeleteFileA(const std::string& path);

// The whole file (or its first `most` bytes), or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, size_t most = SIZE_MAX);
// Creates or empties the file and writes bytes; False on any failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace win
