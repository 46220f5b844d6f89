// Open, save and folder dialogs with their settings and results.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CommDialog {
 public:
  // Settings.
  int32_t hwndOwner = 0;    // owner window of every dialog
  std::string DialogTitle;  // title (open, save) or the text above the folder tree
  bool CancelError = false;  // a cancelled dialog never raises
  int32_t FlagsDir = 0;     // folder browser flags (BIF_...)
  int32_t FlagsOpen = 0;    // open dialog flags (OFN_...)
  int32_t FlagsSave = 0;    // save dialog flags (OFN_...)
  int32_t FlagsColor = 0;
  std::string DirName;      // folder chosen by the last ShowDir, with a trailing "/"
  std::string InitDir;      // start folder; the current folder when empty at a call
  int32_t Color = 0;
  std::string filename;     // start name before a dialog, chosen full path after it
  std::string DefaultExt;   // appended when the user types a name without extension

  // Full paths of the last multiple selection.
  std::vector<std::string> FileArray() const { return files_; }
  // The chosen file's name without folder, and its extension in lower case.
  std::string FileTitle() const { return fileTitle_; }
  std::string FileExt() const { return fileExt_; }
  // 1-based index of the preselected filter pair; a stored 0 reads as 1.
  void FilterIndex(int32_t index) { filterIndex_ = index; }
  int32_t FilterIndex();
  // Pairs of label and pattern joined by "|" ("GIF Files(*.gif)|*.gif").
  std::string Filter() const { return filter_; }
  void Filter(const std::string& filter);

  // Each returns the choice, or "" when the dialog was cancelled. then_NoUse_InitDir empties
  // InitDir after a choice, so that the next dialog starts in the current folder.
  std::string ShowDir(bool then_NoUse_InitDir = false);  // the folder with a trailing "/"
  // The full path, or with isMultiSelect the number of files chosen (see FileArray).
  std::string ShowOpen(bool then_NoUse_InitDir = false, bool isMultiSelect = false);
  std::string ShowSave(bool then_NoUse_InitDir = false);
  // Whether the last dialog gave "" because the choice was longer than any path the system
  // takes, not because it was cancelled.
  static bool ChoiceTooLong();

 private:
  std::string fileDialog(bool save, bool then_NoUse_InitDir, bool isMultiSelect);
  static std::string TrimNull(const std::string& text);
  static void SplitMultiSelect(const std::string& buffer, std::vector<std::string>& list);

  std::string filter_, filterSystem_;
  int32_t filterIndex_ = 0;
  std::string fileTitle_, fileExt_;
  std::vector<std::string> files_;
};

// The program's shared dialog object, created on first use.
CommDialog& objDialog();
