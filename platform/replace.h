// Writing a result beside the file it replaces, and telling what a run wrote.
#pragma once
#include <cstdint>
#include <string>

namespace win {

constexpr uint32_t MOVEFILE_REPLACE_EXISTING = 1;

// Creates an empty file of a new name in folder (prefix, six letters or digits, ".tmp"; no
// wildcard or syntax characters of its own) and returns its path; "" when it cannot be made.
// The file stays marked as this program's work (a lock the system drops when the program
// ends) until ReleaseTempFile.
std::string GetTempFileNameA(const std::string& folder, const std::string& prefix);

// Ends the mark of a file made by GetTempFileNameA and removes the file when it is still there
// under its own name, found through its folder wherever that folder has been moved meanwhile.
// A file renamed to its target stays.
void ReleaseTempFile(const std::string& path);

// Removes the files of folder named as GetTempFileNameA names them with this prefix that are
// this user's own and that no running program marks: work left by a program that ended without
// removing it. Nothing else is touched. The number removed.
int RemoveStaleTempFiles(const std::string& folder, const std::string& prefix);

// Renames from to to in one step (the same file system); with MOVEFILE_REPLACE_EXISTING an
// existing to is replaced at once, so it is never missing in between. Nonzero on success.
int MoveFileExA(const std::string& from, const std::string& to, uint32_t flags);

// A file that is there and may not be written (no write permission for its owner or for us),
// which Windows will neither delete nor replace.
bool IsReadOnlyFile(const std::string& path);

// The file system's clock now and a file's last write, in nanoseconds since 1970 (-1 for a file
// that cannot be read): a file written after the first call has a write time at or after it.
int64_t GetSystemTimeAsFileTime();
int64_t GetFileWriteTime(const std::string& path);

}  // namespace win
