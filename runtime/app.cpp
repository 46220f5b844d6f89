#include "runtime/app.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

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

bool PrevInstance() {
  // The first instance holds an exclusive lock on a file of the user's for as long as it runs.
  // The kernel decides between starts at the same moment and drops the lock with the process,
  // so a lock is never stale. The descriptor is not inherited: an engine outliving the program
  // must not keep it.
  static const bool previous = [] {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    const QString name = QString("%1/%2-%3.instance").arg(dir, QString::fromStdString(EXEName())).arg(getuid());
    const QByteArray path = QFile::encodeName(name);
    // Whatever stands under that name is locked as it is (a folder or a read-only file in the
    // file's place too); with nothing to lock there, a lock file in the temporary folder.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fd = ::open(QFile::encodeName(QDir::tempPath() + name.mid(name.lastIndexOf('/')) + ".lock").constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  }();
  return previous;
}

void SetPathForTests(const std::string& folder) { pathOverride() = folder; }

}  // namespace vb::App

namespace vb {

struct Program::Impl {
  QApplication app;
  Impl(int& argc, char** argv) : app(argc, argv) {}
};

Program::Program(int& argc, char** argv, const std::string& title) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "xcb");
  impl_ = std::make_unique<Impl>(argc, argv);
  App::SetTitle(title);
}

Program::~Program() = default;

}  // namespace vb
