#include "runtime/app.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vb::App {
namespace {
std::string& pathOverride() {
  static std::string p;
  return p;
}
std::string& title() {
  static std::string t;
  return t;
}
}  // namespace

std::string Path() {
  if (!pathOverride().empty()) return pathOverride();
  return QCoreApplication::applicationDirPath().toStdString();
}

std::string Title() {
  if (title().empty()) return EXEName();
  return title();
}

void SetTitle(const std::string& t) { title() = t; }

std::string EXEName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
}

void SetPathForTests(const std::string& folder) { pathOverride() = folder; }

}  // namespace vb::App
