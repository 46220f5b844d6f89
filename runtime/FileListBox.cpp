#include <QDir>
#include <QListWidget>
#include <algorithm>

#include "platform/fs.h"
#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/strings.h"

namespace vb {

FileListBox::FileListBox(QWidget* parent) : Control(new QListWidget(parent)) {
  path_ = QDir::currentPath().toStdString();
}

void FileListBox::Path(const std::string& p) {
  path_ = p;
  Refresh();
}

void FileListBox::Pattern(const std::string& p) {
  pattern_ = p;
  Refresh();
}

std::string FileListBox::List(int index) const {
  return index >= 0 && index < ListCount() ? files_[static_cast<size_t>(index)] : "";
}

std::string FileListBox::FileName() const { return List(listIndex_); }

void FileListBox::ListIndex(int i) {
  listIndex_ = (i >= 0 && i < ListCount()) ? i : -1;
  if (auto* l = qobject_cast<QListWidget*>(Widget())) l->setCurrentRow(listIndex_);
}

// The names of the folder's files that match one of the patterns (without regard to case;
// hidden files, whose names start with ".", left out), sorted as the list box sorts them
// (without regard to case).
void FileListBox::Refresh() {
  files_.clear();
  const auto patterns = Split(pattern_, ";");
  const QDir dir(QString::fromStdString(path_));
  for (const QString& n : dir.entryList(QDir::Files | QDir::System)) {
    const std::string name = n.toStdString();
    if (name[0] == '.') continue;
    for (const auto& pat : patterns)
      if (win::MatchesWildcard(name, Trim(pat))) {
        files_.push_back(name);
        break;
      }
  }
  std::stable_sort(files_.begin(), files_.end(), [](const std::string& a, const std::string& b) {
    const std::string la = LCase(a), lb = LCase(b);
    return la != lb ? la < lb : a < b;
  });
  listIndex_ = -1;
  if (auto* l = qobject_cast<QListWidget*>(Widget())) {
    l->clear();
    for (const auto& f : files_) l->addItem(QString::fromStdString(f));
  }
}

void FileListBox::ReadDesign(const PropertyBag& bag) {
  Control::ReadDesign(bag);
  pattern_ = bag.ReadProperty("Pattern", pattern_);
  Refresh();
}

}  // namespace vb
