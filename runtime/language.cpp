#include "runtime/language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace vb {

void UseStandardTexts(const std::string& lng) {
  // Chinese characters need 12 pixels to be read; the desktop's default face may be smaller.
  QFont font = QApplication::font();
  if (QFontInfo(font).pixelSize() < 12) {
    font.setPixelSize(12);
    QApplication::setFont(font);
  }
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
