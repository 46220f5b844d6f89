#include "runtime/command.h"

#include <QCoreApplication>
#include <QStringList>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/qtext.h"

namespace vb {
namespace {

// The arguments as the program was given them, byte for byte (Qt's own list turns bytes that
// are not UTF-8 into U+FFFD); Qt's list when the two do not line up.
std::vector<std::string> arguments() {
  const QStringList qt = QCoreApplication::arguments();
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> raw;
  for (size_t at = 0; at < all.size();) {
    const size_t nul = std::min(all.find('\0', at), all.size());
    raw.push_back(all.substr(at, nul - at));
    at = nul + 1;
  }
  if (raw.size() == static_cast<size_t>(qt.size())) return raw;
  std::vector<std::string> out;
  for (const QString& a : qt) out.push_back(win::StdStr(a));
  return out;
}

}  // namespace

std::string Command() {
  std::vector<std::string> args = arguments();
  std::string line;
  for (size_t i = 1; i < args.size(); ++i) {
    if (i > 1) line += ' ';
    line += args[i].find(' ') != std::string::npos ? '"' + args[i] + '"' : args[i];
  }
  return line;
}

}  // namespace vb
