#include "foundation/CommDialog.h"

#include <algorithm>

#include "foundation/FileObject.h"
#include "foundation/mdlFileDialog.h"
#include "platform/comdlg.h"
#include "platform/fs.h"
#include "runtime/strings.h"

int32_t CommDialog::FilterIndex() {
  if (filterIndex_ == 0) filterIndex_ = 1;
  return filterIndex_;
}

void CommDialog::Filter(const std::string& filter) {
  filter_ = filter;
  filterSystem_ = filter;
  std::replace(filterSystem_.begin(), filterSystem_.end(), '|', '\0');
  if (!filterSystem_.empty() && filterSystem_.back() != '\0') filterSystem_ += '\0';
}

std::string CommDialog::ShowOpen(bool then_NoUse_InitDir, bool isMultiSelect) {
  return fileDialog(false, then_NoUse_InitDir, isMultiSelect);
}

std::string CommDialog::ShowSave(bool then_NoUse_InitDir) { return fileDialog(true, then_NoUse_InitDir, false); }

std::string CommDialog::fileDialog(bool save, bool then_NoUse_InitDir, bool isMultiSelect) {
  if (InitDir.empty()) InitDir = win::GetCurrentDirectoryA();
  if (filterIndex_ == 0) filterIndex_ = 1;
  win::OPENFILENAME ofn;
  ofn.hwndOwner = hwndOwner;
  ofn.lpstrFilter = filterSystem_;
  ofn.nFilterIndex = filterIndex_;
  // Room for any path the system takes, its NUL included.
  ofn.lpstrFile = filename + std::string(win::MAX_PATH + 1, '\0');
  ofn.nMaxFile = win::MAX_PATH;
  ofn.lpstrFileTitle = std::string(win::MAX_PATH + 1, '\0');
  ofn.nMaxFileTitle = win::MAX_PATH;
  ofn.lpstrInitialDir = InitDir;
  ofn.lpstrTitle = DialogTitle;
  ofn.Flags = save ? FlagsSave : (FlagsOpen | (isMultiSelect ? win::OFN_ALLOWMULTISELECT : 0));
  ofn.lpstrDefExt = DefaultExt;

  if (!(save ? win::GetSaveFileNameA(ofn) : win::GetOpenFileNameA(ofn))) {
    filename.clear();
    fileTitle_.clear();
    fileExt_.clear();
    return "";
  }
  std::string result;
  if (!save && (ofn.Flags & win::OFN_ALLOWMULTISELECT)) {
    SplitMultiSelect(ofn.lpstrFile, files_);
    fileTitle_.clear();
    fileExt_.clear();
    result = std::to_string(files_.size());
  } else {
    filename = TrimNull(ofn.lpstrFile);
    fileTitle_ = TrimNull(ofn.lpstrFileTitle);
    fileExt_ = vb::LCase(FileObject().GetExtensionName(filename));
    result = filename;
  }
  filterIndex_ = ofn.nFilterIndex;
  if (then_NoUse_InitDir) InitDir.clear();
  return result;
}

std::string CommDialog::ShowDir(bool then_NoUse_InitDir) {
  std::string path(win::MAX_PATH + 1, '\0');
  if (InitDir.empty()) InitDir = win::GetCurrentDirectoryA();
  win::BROWSEINFO bi;
  bi.hwndOwner = hwndOwner;
  bi.lpszTitle = DialogTitle;
  bi.ulFlags = FlagsDir;
  bi.lpfn = mdlFileDialog::FarProc(&mdlFileDialog::BrowseCallbackProc);
  const win::PIDL item = win::SHBrowseForFolder(bi);
  if (!win::SHGetPathFromIDList(item, path)) {
    DirName.clear();
    return "";
  }
  DirName = TrimNull(path);
  if (DirName.empty() || DirName.back() != '/') DirName += '/';
  if (then_NoUse_InitDir) InitDir.clear();
  return DirName;
}

bool CommDialog::ChoiceTooLong() { return win::CommDlgExtendedError() == win::FNERR_BUFFERTOOSMALL; }

std::string CommDialog::TrimNull(const std::string& text) { return text.substr(0, text.find('\0')); }

void CommDialog::SplitMultiSelect(const std::string& buffer, std::vector<std::string>& list) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < buffer.size();) {
    const size_t nul = std::min(buffer.find('\0', at), buffer.size());
    if (nul == at) break;
    pieces.push_back(buffer.substr(at, nul - at));
    at = nul + 1;
  }
  if (pieces.empty()) return;
  list.clear();
  if (pieces.size() == 1) {
    list.push_back(pieces[0]);
    return;
  }
  std::string folder = pieces[0];
  if (folder.back() != '/') folder += '/';
  for (size_t i = 1; i < pieces.size(); ++i) list.push_back(folder + pieces[i]);
}

CommDialog& objDialog() {
  static CommDialog shared;
  return shared;
}
