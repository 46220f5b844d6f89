#include "platform/qtext.h"
#include "platform/shellexec.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/fs.h"

namespace win {
namespace {

ShellExecuteHook& hook() {
  static ShellExecuteHook h;
  return h;
}

bool isAddress(const std::string& file) {
  const size_t colon = file.find(':');
  return colon != std::string::npos && colon > 1 && file.find('/') > colon;  // scheme:...
}

}  // namespace

std::intptr_t ShellExecuteA(HWND, const std::string& verb, const std::string& file, const std::string&,
                            const std::string& directory, int) {
  if (hook()) return hook()(verb, file);
  if (!verb.empty() && verb != "open") return 31;
  QUrl url;
  if (isAddress(file)) {
    url = QUrl(QString::fromStdString(file));
  } else {
    std::string path = file;
    if (!path.empty() && path[0] != '/' && !directory.empty()) path = directory + "/" + path;
    if (!IsFile(path) && !IsFolder(path)) return 2;
    url = UrlOfLocalFile(path);
  }
  return QDesktopServices::openUrl(url) ? 42 : 31;
}

void SetShellExecuteHook(ShellExecuteHook h) { hook() = std::move(h); }

}  // namespace win
