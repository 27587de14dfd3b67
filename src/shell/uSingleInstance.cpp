#include "shell/uSingleInstance.h"

#include "shell/uWorkFolders.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <sys/socket.h>
#include <unistd.h>

namespace inkora {

namespace {

constexpr QLatin1StringView kCodeKey("code");
constexpr QLatin1StringView kPathKey("path");
constexpr QLatin1StringView kRestoreKey("restore");
constexpr QByteArrayView kOkLine("ok\n");

// A connection is dropped after this long, whatever it sent.
constexpr int kIdleMs = 10000;
// Connections served at once; more are dropped until some end.
constexpr int kMaxConnections = 16;

// The user on the other end of a connected local socket is this process's.
bool peerIsSameUser(qintptr descriptor) {
  if (descriptor < 0) return false;
  ucred cred{};
  socklen_t length = sizeof cred;
  if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 ||
      length != sizeof cred)
    return false;
  return cred.uid == ::geteuid();
}

// "" (when allowed) or an absolute path without NUL that fits a path.
bool pathAcceptable(const QString& path, bool emptyAllowed) {
  if (path.isEmpty()) return emptyAllowed;
  if (path.contains(QChar(0)) || !path.startsWith(QLatin1Char('/'))) return false;
  return path.toUtf8().size() <= kInstanceMaxPath;
}

bool messageAcceptable(const TInstanceMessage& m) {
  if (m.Restore) return m.Code == 0 && m.Path.isEmpty();
  if (m.Code == kInstanceOpenFile) return pathAcceptable(m.Path, true);
  if (m.Code == kInstancePrintedDocument) return pathAcceptable(m.Path, true);
  return false;
}

}  // namespace

QByteArray EncodeInstanceMessage(const TInstanceMessage& message) {
  if (!messageAcceptable(message)) return {};
  QJsonObject o;
  if (message.Restore) {
    o.insert(kRestoreKey, true);
  } else {
    o.insert(kCodeKey, message.Code);
    if (message.Code == kInstanceOpenFile || !message.Path.isEmpty())
      o.insert(kPathKey, message.Path);
  }
  QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact);
  if (line.size() > kInstanceMaxLine) return {};
  return line;
}

std::optional<TInstanceMessage> DecodeInstanceMessage(QByteArrayView line) {
  if (line.endsWith('\n')) line.chop(1);
  if (line.isEmpty() || line.size() > kInstanceMaxLine) return std::nullopt;
  const QByteArray bytes = line.toByteArray();
  if (bytes.contains('\0')) return std::nullopt;
  // Invalid UTF-8 does not survive the round trip (it becomes U+FFFD).
  if (QString::fromUtf8(bytes).toUtf8() != bytes) return std::nullopt;
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  const QJsonObject o = doc.object();

  TInstanceMessage m;
  if (o.contains(kRestoreKey)) {
    if (o.size() != 1 || o.value(kRestoreKey) != QJsonValue(true)) return std::nullopt;
    m.Restore = true;
    return m;
  }
  const QJsonValue code = o.value(kCodeKey);
  if (!code.isDouble()) return std::nullopt;
  const double c = code.toDouble();
  if (c == kInstanceOpenFile) {
    m.Code = kInstanceOpenFile;
  } else if (c == kInstancePrintedDocument) {
    m.Code = kInstancePrintedDocument;
  } else {
    return std::nullopt;
  }
  const QJsonValue path = o.value(kPathKey);
  if (path.isUndefined()) {
    if (m.Code == kInstanceOpenFile || o.size() != 1) return std::nullopt;
  } else {
    if (!path.isString() || o.size() != 2) return std::nullopt;
    m.Path = path.toString();
  }
  // Whatever is accepted can be passed on: it encodes again within the limits.
  if (EncodeInstanceMessage(m).isEmpty()) return std::nullopt;
  return m;
}

QString DefaultInstanceFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (!runtime.isEmpty()) return runtime + QLatin1String("/inkora");
  const QString base = DefaultTempFolder();
  EnsurePrivateFolder(base);  // its failure shows when the folder itself is checked
  return base + QLatin1String("/inkora");
}

TSingleInstance::TSingleInstance(const QString& folder, QObject* parent)
    : QObject(parent),
      FFolder(QDir::cleanPath(folder)),
      FLock(FFolder + QLatin1String("/inkora4.lock")) {
  const TFolderCheck check = EnsurePrivateFolder(FFolder);
  FFolderOk = check.Ok();
  FError = check.Error;
  // Only a dead owner makes the lock stale, never its age: a board runs for
  // days.
  FLock.setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() {
  // The socket goes while the lock is still held, so it can never remove the
  // socket of a board that started after this one.
  delete FServer;
  FServer = nullptr;
  FLock.unlock();
}

QString TSingleInstance::LockPath() const { return FFolder + QLatin1String("/inkora4.lock"); }
QString TSingleInstance::SocketPath() const { return FFolder + QLatin1String("/inkora4.sock"); }

bool TSingleInstance::TryBecomePrimary() {
  if (!FFolderOk) return false;
  if (FServer) return true;
  if (!FLock.tryLock(0)) {
    // LockFailedError: a live board of the user holds it.
    if (FLock.error() == QLockFile::PermissionError)
      FError = QStringLiteral("The lock %1 cannot be made: permission denied.").arg(LockPath());
    else if (FLock.error() != QLockFile::LockFailedError)
      FError = QStringLiteral("The lock %1 cannot be made.").arg(LockPath());
    return false;
  }
  // Holding the lock, any socket left here belongs to a board that is gone.
  QLocalServer::removeServer(SocketPath());
  FServer = new QLocalServer(this);
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  FServer->setMaxPendingConnections(kMaxConnections);
  if (!FServer->listen(SocketPath())) {
    FError = QStringLiteral("The socket %1 cannot be made: %2")
                 .arg(SocketPath(), FServer->errorString());
    return true;
  }
  connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::AcceptConnections);
  return true;
}

void TSingleInstance::AcceptConnections() {
  while (QLocalSocket* socket = FServer->nextPendingConnection()) {
    if (FConnections >= kMaxConnections || !peerIsSameUser(socket->socketDescriptor())) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    ++FConnections;
    // A line and its "\n" fit the buffer; a fuller buffer without one is
    // an over-long line.
    socket->setReadBufferSize(kInstanceMaxLine + 1);
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
    idle->start(kIdleMs);
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      --FConnections;
      socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadLines(socket); });
    ReadLines(socket);
  }
}

void TSingleInstance::ReadLines(QLocalSocket* socket) {
  while (socket->state() == QLocalSocket::ConnectedState) {
    if (!socket->canReadLine()) {
      if (socket->bytesAvailable() > kInstanceMaxLine) socket->abort();
      return;
    }
    const std::optional<TInstanceMessage> message = DecodeInstanceMessage(socket->readLine());
    if (!message) {
      socket->abort();
      return;
    }
    socket->write(kOkLine.data(), kOkLine.size());
    socket->flush();
    // Delivered from the event loop: a receiver that opens a dialog must not
    // run its nested loop inside this socket's handler.
    QMetaObject::invokeMethod(
        this, [this, m = *message] { Q_EMIT MessageReceived(m); }, Qt::QueuedConnection);
  }
}

bool TSingleInstance::SendToPrimary(const TInstanceMessage& message, int timeoutMs) {
  if (!FFolderOk) return false;
  QByteArray line = EncodeInstanceMessage(message);
  if (line.isEmpty()) return false;
  line.append('\n');

  const QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  // A board that has just taken the lock may not listen yet: try again until
  // the time is up.
  for (;;) {
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(int(deadline.remainingTime()))) break;
    socket.abort();
    if (deadline.hasExpired()) return false;
    QThread::msleep(std::min<qint64>(50, deadline.remainingTime()));
    if (deadline.hasExpired()) return false;
  }
  if (!peerIsSameUser(socket.socketDescriptor())) return false;

  socket.write(line);
  while (socket.bytesToWrite() > 0) {
    if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
      return false;
  }
  while (!socket.canReadLine()) {
    if (socket.bytesAvailable() >= kOkLine.size() || deadline.hasExpired() ||
        !socket.waitForReadyRead(int(deadline.remainingTime())))
      return false;
  }
  return socket.readLine(kOkLine.size() + 1) == kOkLine;
}

}  // namespace inkora
