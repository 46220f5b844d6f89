// Writing a result beside the file it replaces, and telling what a run wrote.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace win {

constexpr uint32_t MOVEFILE_REPLACE_EXISTING = 1;
// The move is on the disk when the call returns (the folder is flushed after the rename).
constexpr uint32_t MOVEFILE_WRITE_THROUGH = 8;

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

// Writes a file's data through to its disk; for a folder, everything its file system holds (as
// the handle of a volume does). False when the disk reports an error: a write that the cache took
// but the disk could not hold, a stick pulled out.
bool FlushFileBuffers(const std::string& path);

// Whether a picture file is whole by its own format: a GIF from its header to its trailer, a
// JPEG from its start marker to its end marker, a PNG from its signature to its IEND chunk.
bool IsWholePicture(const std::string& path);

// Whether new files can be made in folder: it is there, we may write it, and its file system
// is mounted for writing.
bool IsWritableFolder(const std::string& folder);

// Whether the file system of folder has no room left: a small file written there does not fit.
bool IsDiskFull(const std::string& folder);

// The files of a mask (FindFiles) that a run writes: made while watched, or changed against what
// stood there when watching began (identity, size, write time), or written to and closed while
// watched, which a file system with coarse or fixed write times shows in no other way.
class WriteWatch {
 public:
  explicit WriteWatch(const std::string& mask);
  ~WriteWatch();
  WriteWatch(const WriteWatch&) = delete;
  WriteWatch& operator=(const WriteWatch&) = delete;
  // The files written so far, sorted.
  std::vector<std::string> Written();

 private:
  struct Stamp {
    uint64_t dev = 0, ino = 0;
    int64_t size = 0, mtime = 0;
    bool operator==(const Stamp&) const = default;
  };
  static bool StampOf(const std::string& path, Stamp& stamp);
  std::string mask_, folder_;
  std::map<std::string, Stamp> before_;
  int fd_ = -1;
  bool overflowed_ = false;
  std::vector<std::string> closed_;
};

}  // namespace win
