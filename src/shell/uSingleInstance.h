// One board per user. The first start of the program holds a lock in a
// private runtime folder of the user and listens on a local socket beside it;
// a later start hands its file to that board over the socket and ends.
//
// The socket speaks one JSON object per line (UTF-8, at most kInstanceMaxLine
// bytes before the "\n"), answered by the line "ok":
//   {"code":1,"path":"/abs/file.ikp"}   a file handed over by a second start
//                                        ("" when it named none)
//   {"code":3}  or  {"code":3,"path":"/abs/file"}
//                                        a printed document is ready
//   {"restore":true}                     bring back a board parked off screen
// Only peers of the same user are served, on both ends of the socket.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;
class QLocalSocket;

namespace inkora {

// Message codes.
inline constexpr int kInstanceOpenFile = 1;
inline constexpr int kInstancePrintedDocument = 3;
// Longest line, in bytes, without its "\n".
inline constexpr qsizetype kInstanceMaxLine = 8192;
// Longest path, in UTF-8 bytes (PATH_MAX less its terminating NUL).
inline constexpr qsizetype kInstanceMaxPath = 4095;

// One message: a Code with its Path, or Restore.
struct TInstanceMessage {
  int Code = 0;
  QString Path;
  bool Restore = false;
  bool operator==(const TInstanceMessage&) const = default;
};

// The message as one line without its "\n"; empty when it cannot be sent: not
// one of the forms above, a path that is relative (other than "" for code 1),
// holds a NUL or is too long, or a line over kInstanceMaxLine.
QByteArray EncodeInstanceMessage(const TInstanceMessage& message);
// Reads one line (a trailing "\n" is allowed). Refuses anything but the forms
// above: invalid UTF-8 or JSON, not an object, unknown keys or codes, wrong
// types, a NUL anywhere, an over-long line or path, a relative path.
std::optional<TInstanceMessage> DecodeInstanceMessage(QByteArrayView line);

// QStandardPaths' runtime folder + "/inkora"; when the system has no runtime
// folder, "inkora" inside the private temp base (DefaultTempFolder()).
QString DefaultInstanceFolder();

class TSingleInstance final : public QObject {
  Q_OBJECT
 public:
  // `folder` holds the lock and the socket. It is made private (mode 0700);
  // a symbolic link or a folder of another user is refused, and then neither
  // side works (Error() says why).
  explicit TSingleInstance(const QString& folder = DefaultInstanceFolder(),
                           QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Takes the lock and, holding it, listens on the socket. False when another
  // live process of the user holds the lock, and when the lock cannot be
  // taken at all (Error() is then set). A lock left by a process that died
  // does not count. True with Error() set: the lock is held but the socket
  // could not be made, so later starts find the board but cannot reach it.
  bool TryBecomePrimary();
  // Sends the message to the board holding the lock and waits for its "ok",
  // all within timeoutMs. False when no board of the user answers in time,
  // or the message cannot be encoded. Blocks; for a process without a board.
  bool SendToPrimary(const TInstanceMessage& message, int timeoutMs);

  // Why the instance service is not (fully) available; empty when it is.
  const QString& Error() const { return FError; }
  const QString& Folder() const { return FFolder; }
  QString LockPath() const;
  QString SocketPath() const;

 Q_SIGNALS:
  // A valid message from a peer of the user; emitted from the event loop,
  // after the peer was answered.
  void MessageReceived(const inkora::TInstanceMessage& message);

 private:
  void AcceptConnections();
  void ReadLines(QLocalSocket* socket);

  QString FFolder;
  QString FError;
  bool FFolderOk = false;
  QLockFile FLock;
  QLocalServer* FServer = nullptr;
  int FConnections = 0;
};

}  // namespace inkora
