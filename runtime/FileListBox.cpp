#include <QListWidget>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs.h"
#include "platform/qtext.h"
#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/strings.h"

namespace vb {

FileListBox::FileListBox(QWidget* parent) : Control(new QListWidget(parent)) {
  path_ = win::GetCurrentDirectoryA();
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
  // The names as the folder holds them, byte for byte: every entry that is no folder.
  std::vector<std::string> names;
  const std::string folder = path_.empty() || path_.back() == '/' ? path_ : path_ + "/";
  if (DIR* d = opendir(path_.empty() ? "." : path_.c_str())) {
    while (const dirent* e = readdir(d)) {
      struct stat st{};
      if (e->d_name[0] != '.' && stat((folder + e->d_name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        names.emplace_back(e->d_name);
    }
    closedir(d);
  }
  for (const std::string& name : names) {
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
    for (const auto& f : files_) l->addItem(win::QStr(f));
  }
}

void FileListBox::ReadDesign(const PropertyBag& bag) {
  Control::ReadDesign(bag);
  pattern_ = bag.ReadProperty("Pattern", pattern_);
  Refresh();
}

}  // namespace vb
