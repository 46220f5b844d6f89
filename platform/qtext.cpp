#include "platform/qtext.h"

#include <QByteArray>
#include <QFile>
#include <dirent.h>
#include <sys/stat.h>

#include <vector>

namespace win {
namespace {

// Length of the valid UTF-8 sequence at s[i], 0 when the byte starts none.
size_t validAt(const std::string& s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((b(k) & 0xC0) != 0x80) return 0;
  // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
  if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) > 0x9F) || (c == 0xF0 && b(1) < 0x90) ||
      (c == 0xF4 && b(1) > 0x8F))
    return 0;
  return n;
}

bool exists(const std::string& path) {
  struct stat st{};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

QString QStr(const std::string& bytes) {
  QString out;
  size_t run = 0, i = 0;
  const auto flush = [&](size_t end) {
    if (end > run) out += QString::fromUtf8(bytes.data() + run, static_cast<qsizetype>(end - run));
  };
  while (i < bytes.size()) {
    const size_t n = validAt(bytes, i);
    if (n) {
      i += n;
      continue;
    }
    flush(i);
    out += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
    run = ++i;
  }
  flush(i);
  return out;
}

std::string StdStr(const QString& text) {
  std::string out;
  qsizetype run = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    if (pair) {
      ++i;
      continue;
    }
    if (c >= 0xDC80 && c <= 0xDCFF) {
      out += text.mid(run, i - run).toStdString();
      out += static_cast<char>(c - 0xDC00);
      run = i + 1;
    }
  }
  out += text.mid(run).toStdString();
  return out;
}

// The lone surrogates that carry bytes are kept out of Qt's case change, which drops them.
std::string ChangeCase(const std::string& s, bool upper) {
  const QString q = QStr(s);
  QString out;
  qsizetype run = 0;
  const auto flush = [&](qsizetype end) {
    const QString part = q.mid(run, end - run);
    out += upper ? part.toUpper() : part.toLower();
  };
  for (qsizetype i = 0; i < q.size(); ++i)
    if (q[i].unicode() >= 0xDC80 && q[i].unicode() <= 0xDCFF) {
      flush(i);
      out += q[i];
      run = i + 1;
    }
  flush(q.size());
  return StdStr(out);
}

std::string LocalFileOf(const QUrl& url) {
  if (!url.isLocalFile()) return "";
  // The encoded path keeps every byte as the sender wrote it.
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

QUrl UrlOfLocalFile(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

std::string PathOnDisk(const QString& chosen, const std::string& known) {
  std::string path = StdStr(chosen);
  if (path.empty() || path[0] != '/' || exists(path)) return path;
  std::string done;
  size_t at = 1;
  while (at <= path.size()) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(at, end - at);
    const std::string folder = done.empty() ? "/" : done;
    if (!part.empty() && !exists(done + "/" + part)) {
      const QString seen = QFile::decodeName(QByteArray::fromStdString(part));
      std::vector<std::string> matches;
      if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
          if (QFile::decodeName(e->d_name) == seen) matches.push_back(e->d_name);
        closedir(d);
      }
      if (matches.empty() && !known.empty() && QFile::decodeName(QByteArray::fromStdString(known)) == seen)
        matches.push_back(known);
      if (matches.size() == 1) part = matches[0];
    }
    done += "/" + part;
    at = end + 1;
  }
  return done;
}

}  // namespace win
