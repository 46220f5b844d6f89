// File names to and from Qt's texts without losing a byte. A name here may hold bytes that are
// not UTF-8; Qt's own conversions turn each into U+FFFD, and the name is gone. These carry
// such a byte b (0x80 to 0xFF) as the lone surrogate U+DC00 + b, which no valid text holds,
// and give it back.
#pragma once
#include <QString>
#include <QUrl>
#include <string>

namespace win {

QString QStr(const std::string& bytes);
std::string StdStr(const QString& text);

// The text in upper or lower case; bytes that are not UTF-8 stay as they are.
std::string ChangeCase(const std::string& text, bool upper);

// The path of a local file address as its bytes ("" for another address).
std::string LocalFileOf(const QUrl& url);
// The address of a local file, every byte of its path kept.
QUrl UrlOfLocalFile(const std::string& path);

// A path a Qt dialog gave back, as the file system names it: Qt shows a name that is not
// UTF-8 with U+FFFD in it, and such a path names nothing. Each part that does not exist is
// matched against the names its folder holds, seen as Qt sees them (and against known, the
// names the dialog was given); a part that matches exactly one is taken with its bytes.
std::string PathOnDisk(const QString& chosen, const std::string& known = "");

}  // namespace win
