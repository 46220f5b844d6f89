#include "runtime/resources.h"

#include <QFile>
#include <QString>

namespace vb {

ResourceNotFound::ResourceNotFound(const std::string& name, const std::string& type)
    : std::runtime_error("Resource with identifier " + name + " of type " + type +
                         " not found") {}

std::vector<std::uint8_t> LoadResData(const std::string& name, const std::string& type) {
  const QString n = QString::fromStdString(name).toUpper();
  const QString t = QString::fromStdString(type).toUpper();
  // Empty or path-like names would reach other parts of the resource tree.
  if (n.isEmpty() || t.isEmpty() || n.contains('/') || t.contains('/'))
    throw ResourceNotFound(name, type);
  QFile f(":/res/" + t + "/" + n);
  if (!f.open(QIODevice::ReadOnly)) throw ResourceNotFound(name, type);
  const QByteArray bytes = f.readAll();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace vb
