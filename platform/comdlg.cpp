#include "platform/comdlg.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <map>
#include <vector>

#include "platform/comdlg_hook.h"
#include "platform/fs.h"
#include "platform/qtext.h"

namespace win {
namespace {

DialogHook& hook() {
  static DialogHook h;
  return h;
}

std::map<int32_t, QPointer<QFileDialog>>& browsers() {
  static std::map<int32_t, QPointer<QFileDialog>> m;
  return m;
}

QString q(const std::string& s) { return QStr(s); }
std::string upToNul(const std::string& s) { return s.substr(0, s.find('\0')); }

int32_t& lastError() {
  static int32_t e = 0;
  return e;
}

// The folder part (without its last "/") and the name of a full path, byte for byte.
std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}
std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

QWidget* owner(int32_t hwnd) {
  return hwnd ? QWidget::find(static_cast<WId>(static_cast<uint32_t>(hwnd))) : nullptr;
}

// The system matches patterns without regard to case: every letter matches both cases.
QString anyCase(const QString& pattern) {
  if (pattern == "*.*") return "*";
  QString out;
  for (const QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper())
      out += QString('[') + c.toLower() + c.toUpper() + ']';
    else
      out += c;
  }
  return out;
}

// Label NUL pattern NUL ... into Qt's "label (patterns)" form.
QStringList nameFilters(const std::string& systemForm) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < systemForm.size();) {
    const size_t nul = std::min(systemForm.find('\0', at), systemForm.size());
    if (nul == at) break;
    pieces.push_back(systemForm.substr(at, nul - at));
    at = nul + 1;
  }
  QStringList filters;
  for (size_t i = 0; i + 1 < pieces.size(); i += 2) {
    QStringList patterns;
    for (const QString& p : q(pieces[i + 1]).split(';', Qt::SkipEmptyParts)) patterns << anyCase(p.trimmed());
    filters << q(pieces[i]) + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

DialogAnswer run(QFileDialog& dialog, const std::string& startName = "") {
  lastError() = 0;
  if (hook()) return hook()(dialog);
  DialogAnswer a;
  a.accepted = dialog.exec() == QDialog::Accepted;
  for (const QString& f : dialog.selectedFiles()) a.files.push_back(PathOnDisk(f, startName));
  // With the patterns hidden, the dialog names the filter by its label only.
  const QStringList filters = dialog.nameFilters();
  const QString chosen = dialog.selectedNameFilter();
  for (int i = 0; i < filters.size(); ++i)
    if (filters[i] == chosen || filters[i].startsWith(chosen + " (")) a.filter = i + 1;
  return a;
}

// Writes text over the start of buffer, keeping the buffer's length where it is longer.
void put(std::string& buffer, const std::string& text) {
  if (buffer.size() < text.size()) buffer.resize(text.size());
  buffer.replace(0, text.size(), text);
}

bool fileDialog(OPENFILENAME& ofn, bool save) {
  const bool multi = !save && (ofn.Flags & OFN_ALLOWMULTISELECT);
  QFileDialog dialog(owner(ofn.hwndOwner));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setWindowTitle(ofn.lpstrTitle.empty() ? (save ? "Save As" : "Open") : q(ofn.lpstrTitle));
  if (save || !(ofn.Flags & (OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT)))
    dialog.setFileMode(QFileDialog::AnyFile);
  else
    dialog.setFileMode(multi ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (save && !(ofn.Flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (ofn.Flags & OFN_NODEREFERENCELINKS) dialog.setOption(QFileDialog::DontResolveSymlinks);
  const QStringList filters = nameFilters(ofn.lpstrFilter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= filters.size())
      dialog.selectNameFilter(filters[ofn.nFilterIndex - 1]);
  }
  dialog.setDirectory(ofn.lpstrInitialDir.empty() ? QDir::currentPath() : q(ofn.lpstrInitialDir));
  const std::string start = upToNul(ofn.lpstrFile);
  if (!start.empty()) dialog.selectFile(q(start));
  dialog.setDefaultSuffix(q(ofn.lpstrDefExt));

  const DialogAnswer a = run(dialog, nameOf(start));
  if (!a.accepted || a.files.empty()) return false;

  std::string result;
  const std::string folder = folderOf(a.files[0]);
  if (!multi || a.files.size() == 1) {
    result = a.files[0] + '\0';
  } else {
    // Names are given relative to the folder; files from several folders relative to "/".
    bool oneFolder = true;
    for (const auto& f : a.files) oneFolder = oneFolder && folderOf(f) == folder;
    result = oneFolder ? folder : "/";
    result += '\0';
    for (const auto& f : a.files) result += (oneFolder ? nameOf(f) : f.substr(1)) + '\0';
  }
  if (multi) result += '\0';
  if (result.size() > static_cast<size_t>(std::max(ofn.nMaxFile, 0))) {
    lastError() = FNERR_BUFFERTOOSMALL;
    return false;
  }
  put(ofn.lpstrFile, result);
  std::string title = nameOf(a.files[0]) + '\0';
  if (title.size() <= static_cast<size_t>(std::max(ofn.nMaxFileTitle, 0))) put(ofn.lpstrFileTitle, title);
  if (a.filter > 0) ofn.nFilterIndex = a.filter;
  if (!(ofn.Flags & OFN_NOCHANGEDIR)) SetCurrentDirectoryA(folder);
  return true;
}

// Puts the browser's own texts into its layout: the title above everything, the status
// line below.
void addBrowseLabels(QFileDialog& dialog, const BROWSEINFO& bi) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  if (!grid) return;
  struct Item { QLayoutItem* item; int row, col, rows, cols; };
  std::vector<Item> items;
  for (int i = grid->count() - 1; i >= 0; --i) {
    Item it{};
    grid->getItemPosition(i, &it.row, &it.col, &it.rows, &it.cols);
    it.item = grid->takeAt(i);
    items.push_back(it);
  }
  const int columns = std::max(grid->columnCount(), 1);
  auto* title = new QLabel(q(bi.lpszTitle), &dialog);
  title->setObjectName(kBrowseTitleLabel);
  title->setWordWrap(true);
  grid->addWidget(title, 0, 0, 1, columns);
  int lastRow = 0;
  for (const auto& it : items) {
    grid->addItem(it.item, it.row + 1, it.col, it.rows, it.cols);
    lastRow = std::max(lastRow, it.row + it.rows);
  }
  if (bi.ulFlags & BIF_STATUSTEXT) {
    auto* status = new QLabel(&dialog);
    status->setObjectName(kBrowseStatusLabel);
    grid->addWidget(status, lastRow + 1, 0, 1, columns);
  }
}

}  // namespace

void SetDialogHook(DialogHook h) { hook() = std::move(h); }

int32_t CommDlgExtendedError() { return lastError(); }

bool GetOpenFileNameA(OPENFILENAME& ofn) { return fileDialog(ofn, false); }
bool GetSaveFileNameA(OPENFILENAME& ofn) { return fileDialog(ofn, true); }

PIDL SHBrowseForFolder(const BROWSEINFO& bi) {
  QFileDialog dialog(owner(bi.hwndOwner));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  // The old-style browser has no button for new folders.
  if (!(bi.ulFlags & BIF_NEWDIALOGSTYLE) || (bi.ulFlags & BIF_NONEWFOLDERBUTTON))
    dialog.setOption(QFileDialog::ReadOnly);
  dialog.setWindowTitle("Browse For Folder");
  dialog.setDirectory(bi.pidlRoot.empty() ? QDir::rootPath() : q(bi.pidlRoot));
  addBrowseLabels(dialog, bi);

  const auto hwnd = static_cast<int32_t>(dialog.winId());
  browsers()[hwnd] = &dialog;
  if (bi.lpfn) {
    const auto selected = [&](const QString& path) {
      if (!path.isEmpty()) bi.lpfn(hwnd, BFFM_SELCHANGED, PathOnDisk(path), bi.lParam);
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, selected);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, selected);
    bi.lpfn(hwnd, BFFM_INITIALIZED, PIDL(), bi.lParam);
  }
  const DialogAnswer a = run(dialog);
  browsers().erase(hwnd);
  return a.accepted && !a.files.empty() ? a.files[0] : PIDL();
}

bool SHGetPathFromIDList(const PIDL& item, std::string& path) {
  if (!item.empty() && item.size() + 1 > MAX_PATH) lastError() = FNERR_BUFFERTOOSMALL;
  if (item.empty() || item[0] != '/' || item.size() + 1 > MAX_PATH) return false;
  put(path, item + '\0');
  return true;
}

int32_t SendMessageA(int32_t hwnd, int32_t msg, int32_t /*wParam*/, const std::string& lParam) {
  const auto it = browsers().find(hwnd);
  if (it == browsers().end() || !it->second) return 0;
  QFileDialog& dialog = *it->second;
  if (msg == BFFM_SETSELECTIONA) {
    dialog.setDirectory(q(upToNul(lParam)));
  } else if (msg == BFFM_SETSTATUSTEXTA) {
    if (auto* status = dialog.findChild<QLabel*>(kBrowseStatusLabel)) status->setText(q(upToNul(lParam)));
  }
  return 0;
}

}  // namespace win
