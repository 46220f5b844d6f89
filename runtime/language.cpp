#include "runtime/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace vb {

void UseStandardTexts(const std::string& lng) {
  static std::unique_ptr<QTranslator> current;
  if (current) QCoreApplication::removeTranslator(current.get());
  current.reset();
  const char* name = lng == "gb" ? "qtbase_zh_CN" : lng == "tw" ? "qtbase_zh_TW" : nullptr;
  if (!name) return;
  auto t = std::make_unique<QTranslator>();
  if (!t->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
  QCoreApplication::installTranslator(t.get());
  current = std::move(t);
}

}  // namespace vb
