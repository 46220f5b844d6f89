// The limits of the file system on names.
#pragma once
#include <string>

namespace win {

// Whether the file system that holds (or would hold) path takes it: each part no longer than
// the longest name that file system allows, the whole no longer than the longest path the
// system takes.
bool NameFitsFileSystem(const std::string& path);

}  // namespace win
