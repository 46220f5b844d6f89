#include "foundation/FileObject.h"

#include "platform/fs.h"
#include "runtime/strings.h"

namespace {

bool isSeparator(char c) { return c == '/'; }

}  // namespace

bool FileObject::FileExists(std::string& fn) {
  fn = vb::Trim(fn);
  return !fn.empty() && !win::FindFiles(fn).empty();
}

bool FileObject::FolderExists(std::string& fn) {
  fn = vb::Trim(fn);
  return !fn.empty() && win::IsFolder(fn);
}

std::string FileObject::GetBaseName(std::string& fn) { return GetPathPart(fn, 0); }
std::string FileObject::GetExtensionName(std::string& fn) { return GetPathPart(fn, 1); }
std::string FileObject::GetFileName(std::string& fn) { return GetPathPart(fn, 2); }
std::string FileObject::GetParentFolderName(std::string& fn) { return GetPathPart(fn, 3); }
std::string FileObject::GetDriveName(std::string& fn) { return GetPathPart(fn, 4); }

std::string FileObject::GetSpecialFolder(int16_t folderspec) {
  switch (folderspec) {
    case 0: return TrimNull(win::GetWindowsDirectoryA());
    case 1: return TrimNull(win::GetSystemDirectoryA());
    case 2: return TrimNull(win::GetTempPathA());
    default: return "";
  }
}

std::string FileObject::ShortPath(const std::string& fn) { return TrimNull(win::GetShortPathNameA(fn)); }

std::string FileObject::GetFileText(std::string& fn) {
  fn = vb::Trim(fn);
  return win::ReadWholeFile(fn).value_or("");
}

void FileObject::DeleteFile(std::string& fn, bool /*force*/) {
  fn = vb::Trim(fn);
  // No caller deletes by a mask: the name is taken literally, so a target "Why?.gif" is never
  // a pattern that takes other files with it.
  if (!fn.empty()) win::DeleteFileA(fn);
}

void FileObject::CreateTextFile(std::string& fn, bool /*overwrite*/, const std::string& txt) {
  fn = vb::Trim(fn);
  if (fn.empty()) return;
  win::WriteWholeFile(fn, txt + "\r\n");
}

std::string FileObject::TrimNull(const std::string& text) { return text.substr(0, text.find('\0')); }

// The paths here use "/" as their only separator; the positions are byte offsets, which cut
// UTF-8 text only between characters because "/" and "." are single bytes.
std::string FileObject::GetPathPart(std::string& fn, int part) {
  fn = vb::Trim(fn);
  if (fn.empty()) return "";
  const size_t len = fn.size();
  size_t e = len + 1;  // 1-based position of the extension dot; len + 1 when there is none
  for (size_t i = len; i >= 1; --i) {
    if (fn[i - 1] == '.') {
      e = i;
      break;
    }
    if (isSeparator(fn[i - 1])) break;
  }
  size_t s = 0;  // 1-based position of the last separator; 0 when there is none
  for (size_t i = len; i >= 1; --i) {
    if (isSeparator(fn[i - 1])) {
      s = i;
      break;
    }
  }
  if (e == 1) return "";
  switch (part) {
    case 0: return fn.substr(s, e - s - 1);
    case 1: return e < len ? fn.substr(e) : "";
    case 2: return fn.substr(s);
    case 3: return fn.substr(0, s);
    case 4: return fn.substr(0, 1);
    default: return "";
  }
}
