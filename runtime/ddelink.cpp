#include "runtime/ddelink.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <unistd.h>

namespace vb {
namespace {

// One socket per user and link name, in the user's runtime folder (the temporary folder when
// there is none). The lock beside it says who is the source while the socket is being made.
QString SocketPath(const std::string& linkTopic) {
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QDir::tempPath();
  QString name = QString::fromStdString(linkTopic);
  for (QChar& c : name)
    if (c == '/' || c.isSpace()) c = '_';
  return dir + QStringLiteral("/fenwo-dde-%1-").arg(getuid()) + name;
}

// A command goes out as its length (4 bytes, big-endian) and its bytes; the answer is one
// byte, '1' accepted or '0' refused.
QByteArray Frame(const std::string& command) {
  QByteArray out;
  const auto n = static_cast<quint32>(command.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>((n >> shift) & 0xFF));
  out.append(command.data(), static_cast<qsizetype>(command.size()));
  return out;
}

}  // namespace

struct DdeSource::Impl {
  std::unique_ptr<QLockFile> lock;
  std::unique_ptr<QLocalServer> server;
};

DdeSource::DdeSource() : impl_(std::make_unique<Impl>()) {}
DdeSource::~DdeSource() { Close(); }

bool DdeSource::IsOpen() const { return impl_->server != nullptr; }

bool DdeSource::Open(const std::string& application, const std::string& topic) {
  Close();
  const QString path = SocketPath(application + "|" + topic);
  auto lock = std::make_unique<QLockFile>(path + ".lock");
  lock->setStaleLockTime(0);  // only a lock of a process that has gone is stale
  if (!lock->tryLock(0)) return false;
  auto server = std::make_unique<QLocalServer>();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(path);  // left by a source that crashed
  if (!server->listen(path)) return false;

  QLocalServer* srv = server.get();
  QObject::connect(srv, &QLocalServer::newConnection, srv, [this, srv] {
    while (QLocalSocket* sock = srv->nextPendingConnection()) {
      QObject::connect(sock, &QLocalSocket::disconnected, sock, &QObject::deleteLater);
      QObject::connect(sock, &QLocalSocket::readyRead, sock, [this, sock] {
        if (sock->property("done").toBool()) return;
        const QByteArray head = sock->peek(4);
        if (head.size() < 4) return;
        quint32 n = 0;
        for (char c : head) n = (n << 8) | static_cast<unsigned char>(c);
        if (sock->bytesAvailable() < 4 + static_cast<qint64>(n)) return;
        sock->read(4);
        const QByteArray body = sock->read(n);
        sock->setProperty("done", true);
        bool cancel = true;
        if (LinkExecute) LinkExecute(body.toStdString(), cancel);
        sock->write(cancel ? "0" : "1");
        sock->flush();
      });
    }
  });
  impl_->lock = std::move(lock);
  impl_->server = std::move(server);
  return true;
}

void DdeSource::Close() {
  if (impl_->server) impl_->server->close();
  impl_->server.reset();
  impl_->lock.reset();  // unlocks
}

bool DdeExecute(const std::string& linkTopic, const std::string& command, int timeoutMs) {
  const QString path = SocketPath(linkTopic);
  QDeadlineTimer deadline(timeoutMs);
  QLocalSocket sock;
  // The source may hold its name but not listen yet: keep trying until the time is up.
  for (;;) {
    sock.connectToServer(path);
    if (sock.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
    if (deadline.hasExpired()) return false;
    QThread::msleep(50);
  }
  sock.write(Frame(command));
  if (!sock.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
  while (sock.bytesAvailable() < 1)
    if (deadline.hasExpired() ||
        !sock.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
      return false;
  char answer = '0';
  sock.getChar(&answer);
  sock.disconnectFromServer();
  return answer == '1';
}

}  // namespace vb
