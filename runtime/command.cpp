#include "runtime/command.h"

#include <QCoreApplication>
#include <QStringList>

namespace vb {

std::string Command() {
  QStringList args = QCoreApplication::arguments();
  if (!args.isEmpty()) args.removeFirst();
  for (QString& a : args)
    if (a.contains(' ')) a = '"' + a + '"';
  return args.join(' ').toStdString();
}

}  // namespace vb
