#include "shell/uSysHelpers.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#ifndef INKORA_VERSION_STRING
#define INKORA_VERSION_STRING ""
#endif

namespace inkora {

namespace {

// True when a server accepts (or queues) a connection on the unix socket `path`.
bool unixSocketAnswers(const QString& path) {
  const QByteArray p = QFile::encodeName(path);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (p.isEmpty() || size_t(p.size()) >= sizeof(addr.sun_path)) return false;
  std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr));
  const bool answered = rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
  ::close(fd);
  return answered;
}

}  // namespace

QString GetFileVersion() {
  const QString v = QStringLiteral(INKORA_VERSION_STRING);
  return v.isEmpty() ? QStringLiteral("0.0.0.0") : v;
}

bool EndpointVolumesAvailable() {
  const QString servers = qEnvironmentVariable("PULSE_SERVER").trimmed();
  if (!servers.isEmpty()) {
    // A list of servers, each optionally prefixed "{machine}": "unix:/path",
    // "/path", or a network address ("tcp:host:port", "host").
    for (QString s : servers.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      if (s.startsWith(QLatin1Char('{'))) {
        const qsizetype close = s.indexOf(QLatin1Char('}'));
        if (close < 0) continue;
        s = s.mid(close + 1);
      }
      if (s.startsWith(QLatin1String("unix:"))) s = s.mid(5);
      if (s.startsWith(QLatin1Char('/'))) {
        if (unixSocketAnswers(s)) return true;
      } else if (!s.isEmpty()) {
        return true;
      }
    }
    return false;
  }
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && unixSocketAnswers(runtime + QLatin1String("/pulse/native")))
    return true;
  return unixSocketAnswers(QStringLiteral("/run/pulse/native"));
}

bool AutoColorOffered() { return AutoColorOffered(QGuiApplication::platformName()); }

bool AutoColorOffered(const QString& platformName) { return platformName == QLatin1String("xcb"); }

TTaskbarPos GetTaskbarPos() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return TaskbarPosFrom(screen->geometry(), screen->availableGeometry());
}

TTaskbarPos TaskbarPosFrom(const QRect& s, const QRect& a) {
  if (!s.isValid() || !a.isValid() || !s.contains(a)) return {};
  struct Strip {
    TTaskbarEdge edge;
    int size;
    QRect rect;
  };
  const Strip strips[] = {
      {teBottom, s.bottom() - a.bottom(),
       QRect(s.left(), a.bottom() + 1, s.width(), s.bottom() - a.bottom())},
      {teTop, a.top() - s.top(), QRect(s.left(), s.top(), s.width(), a.top() - s.top())},
      {teLeft, a.left() - s.left(), QRect(s.left(), s.top(), a.left() - s.left(), s.height())},
      {teRight, s.right() - a.right(),
       QRect(a.right() + 1, s.top(), s.right() - a.right(), s.height())},
  };
  const Strip* best = nullptr;
  for (const Strip& st : strips)
    if (st.size > 0 && (!best || st.size > best->size)) best = &st;
  if (!best) return {};
  return {best->edge, best->rect};
}

QRect BoardRect(const QRect& primaryScreen, const QRect& virtualDesktop, int screenCount, bool useDual) {
  const int width = screenCount > 1 && useDual ? virtualDesktop.width() : primaryScreen.width();
  return QRect(0, 0, width, primaryScreen.height());
}

}  // namespace inkora
