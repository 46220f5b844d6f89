// The open, save and folder dialogs of the system, over Qt's file dialog.
#pragma once
#include <cstdint>
#include <string>

namespace win {

enum : int32_t {
  OFN_READONLY = 0x1,
  OFN_OVERWRITEPROMPT = 0x2,
  OFN_HIDEREADONLY = 0x4,
  OFN_NOCHANGEDIR = 0x8,
  OFN_ALLOWMULTISELECT = 0x200,
  OFN_PATHMUSTEXIST = 0x800,
  OFN_FILEMUSTEXIST = 0x1000,
  OFN_EXPLORER = 0x80000,
  OFN_NODEREFERENCELINKS = 0x100000,
};

// Open and save dialogs. Texts are NUL-terminated inside their strings, as the system
// reads and writes them.
struct OPENFILENAME {
  int32_t lStructSize = 76;
  int32_t hwndOwner = 0;          // owner window's handle, 0 for none
  int32_t hInstance = 0;
  std::string lpstrFilter;        // label NUL pattern NUL ... ended by an empty piece
  int32_t nFilterIndex = 0;       // 1-based; the dialog writes back the one left selected
  std::string lpstrFile;          // start name in, chosen path(s) out
  int32_t nMaxFile = 0;           // room in lpstrFile, terminating NULs included
  std::string lpstrFileTitle;     // chosen file's name out
  int32_t nMaxFileTitle = 0;
  std::string lpstrInitialDir;    // start folder; "" for the current folder
  std::string lpstrTitle;         // "" for the system's own title
  int32_t Flags = 0;
  std::string lpstrDefExt;        // appended (after a dot) to a name typed without extension
};

// True when the user chose a file. On success lpstrFile holds the full path and a NUL, or
// with OFN_ALLOWMULTISELECT and several files the folder, a NUL, each name and a NUL, and
// one more NUL. A choice that does not fit nMaxFile fails like a cancel. Without
// OFN_NOCHANGEDIR the current folder becomes the chosen file's folder.
bool GetOpenFileNameA(OPENFILENAME& ofn);
bool GetSaveFileNameA(OPENFILENAME& ofn);

// Why the last dialog gave nothing: 0 for a cancel, FNERR_BUFFERTOOSMALL for a choice longer
// than the room given (nMaxFile, or MAX_PATH for the folder browser).
constexpr int32_t FNERR_BUFFERTOOSMALL = 0x3003;
int32_t CommDlgExtendedError();

// Folder browser.
enum : int32_t {
  BIF_RETURNONLYFSDIRS = 0x1,
  BIF_STATUSTEXT = 0x4,
  BIF_EDITBOX = 0x10,
  BIF_VALIDATE = 0x20,
  BIF_NEWDIALOGSTYLE = 0x40,
  BIF_NONEWFOLDERBUTTON = 0x200,
  BFFM_INITIALIZED = 1,
  BFFM_SELCHANGED = 2,
  BFFM_SETSTATUSTEXTA = 0x464,
  BFFM_SETSELECTIONA = 0x466,
  MAX_PATH = 4096,  // the longest path this system takes
};

// A shell item: its path, "" for none.
using PIDL = std::string;

// Called by the browser with its own window, the message, the item (BFFM_SELCHANGED) and
// the caller's data.
using BFFCALLBACK = int32_t (*)(int32_t hwnd, int32_t uMsg, const PIDL& lParam, int32_t lpData);

struct BROWSEINFO {
  int32_t hwndOwner = 0;
  PIDL pidlRoot;             // "" for the whole tree
  std::string lpszTitle;     // text above the tree
  int32_t ulFlags = 0;
  BFFCALLBACK lpfn = nullptr;
  int32_t lParam = 0;
};

// The chosen folder, "" when cancelled.
PIDL SHBrowseForFolder(const BROWSEINFO& bi);
// Writes the item's path and a NUL over the start of path; False for an item that is no
// file-system path or does not fit MAX_PATH.
bool SHGetPathFromIDList(const PIDL& item, std::string& path);
// Messages to an open folder browser: BFFM_SETSELECTIONA (lParam: the folder to show),
// BFFM_SETSTATUSTEXTA (lParam: the status line, shown with BIF_STATUSTEXT).
int32_t SendMessageA(int32_t hwnd, int32_t msg, int32_t wParam, const std::string& lParam);

}  // namespace win
