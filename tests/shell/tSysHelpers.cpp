#include "shell/uSysHelpers.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <optional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace inkora {
namespace {

TEST(FileVersion, IsTheBuildsProjectVersion) {
  const QString v = GetFileVersion();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+(\\.\\d+){1,3}$")).match(v).hasMatch())
      << v.toStdString();
  EXPECT_NE(v, QStringLiteral("0.0.0.0"));
}

// Sets an environment variable (or unsets it for nullopt) for one scope.
class TEnvVar {
 public:
  TEnvVar(const char* name, std::optional<QByteArray> value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    if (value)
      qputenv(name, *value);
    else
      qunsetenv(name);
  }
  ~TEnvVar() {
    if (old_)
      qputenv(name_, *old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<QByteArray> old_;
};

// A unix socket at `path`: listening while `listening`, else left behind
// without a server, as a crashed sound server leaves it.
class TUnixSocket {
 public:
  TUnixSocket(const QString& path, bool listening) {
    const QByteArray p = QFile::encodeName(path);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
          (!listening || ::listen(fd_, 4) == 0);
    if (!listening && fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~TUnixSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return ok_; }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

TEST(EndpointVolumes, AvailableWhenASoundServerAnswersOnItsSocket) {
  // The system-wide server's socket is always a candidate; the cases assume
  // none runs on this machine.
  struct stat st {};
  if (::stat("/run/pulse/native", &st) == 0) GTEST_SKIP() << "a system-wide sound server runs here";

  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString live = tmp.path() + "/live", stale = tmp.path() + "/stale";
  ASSERT_TRUE(QDir().mkpath(live + "/pulse"));
  ASSERT_TRUE(QDir().mkpath(stale + "/pulse"));
  const QString liveSock = live + "/pulse/native", staleSock = stale + "/pulse/native";
  TUnixSocket server(liveSock, true), leftOver(staleSock, false);
  ASSERT_TRUE(server.ok());
  ASSERT_TRUE(leftOver.ok());

  struct Case {
    const char* name;
    std::optional<QByteArray> runtimeDir, pulseServer;
    bool expected;
  };
  const QByteArray l = QFile::encodeName(live), s = QFile::encodeName(stale);
  const QByteArray ls = QFile::encodeName(liveSock), ss = QFile::encodeName(staleSock);
  const Case cases[] = {
      {"server in the runtime folder", l, std::nullopt, true},
      {"socket left by a server that is gone", s, std::nullopt, false},
      {"no socket in the runtime folder", QFile::encodeName(tmp.path()), std::nullopt, false},
      {"no runtime folder", std::nullopt, std::nullopt, false},
      {"named unix server", std::nullopt, "unix:" + ls, true},
      {"named server as a plain path", std::nullopt, ls, true},
      {"named server for this machine", std::nullopt, "{0123abcd}unix:" + ls, true},
      {"named server is gone, the runtime folder's is not asked", l, "unix:" + ss, false},
      {"second of two named servers answers", std::nullopt, "unix:" + ss + " unix:" + ls, true},
      {"network server, not probed", std::nullopt, "tcp:localhost:4713", true},
      {"empty name counts as unset", l, "  ", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TEnvVar runtime("XDG_RUNTIME_DIR", c.runtimeDir), pulse("PULSE_SERVER", c.pulseServer);
    EXPECT_EQ(EndpointVolumesAvailable(), c.expected);
  }
}

TEST(TaskbarPos, TheWidestReservedStripOfTheScreen) {
  const QRect screen(0, 0, 1920, 1080);
  struct Case {
    const char* name;
    QRect screen, available;
    TTaskbarPos expected;
  };
  const Case cases[] = {
      {"nothing reserved", screen, screen, {}},
      {"bottom panel", screen, QRect(0, 0, 1920, 1040), {teBottom, QRect(0, 1040, 1920, 40)}},
      {"top panel", screen, QRect(0, 28, 1920, 1052), {teTop, QRect(0, 0, 1920, 28)}},
      {"left dock", screen, QRect(64, 0, 1856, 1080), {teLeft, QRect(0, 0, 64, 1080)}},
      {"right dock", screen, QRect(0, 0, 1870, 1080), {teRight, QRect(1870, 0, 50, 1080)}},
      {"top bar and wider bottom dock",
       screen,
       QRect(0, 28, 1920, 1000),
       {teBottom, QRect(0, 1028, 1920, 52)}},
      {"second screen to the right",
       QRect(1920, 0, 1280, 1024),
       QRect(1920, 0, 1280, 994),
       {teBottom, QRect(1920, 994, 1280, 30)}},
      {"available area outside the screen", screen, QRect(0, 0, 2000, 1000), {}},
      {"no screen", QRect(), QRect(), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TTaskbarPos p = TaskbarPosFrom(c.screen, c.available);
    EXPECT_EQ(p.Edge, c.expected.Edge);
    EXPECT_EQ(p.Rect, c.expected.Rect);
  }
}

TEST(BoardRect, SpansTheDesktopOnlyWithSeveralMonitorsAndUseDual) {
  const QRect screen(0, 0, 1920, 1080), desktop(0, 0, 3200, 1200);
  struct Case {
    int screens;
    bool useDual;
    QRect expected;
  };
  const Case cases[] = {
      {1, false, QRect(0, 0, 1920, 1080)},
      {1, true, QRect(0, 0, 1920, 1080)},
      {2, false, QRect(0, 0, 1920, 1080)},
      {2, true, QRect(0, 0, 3200, 1080)},
  };
  for (const Case& c : cases) EXPECT_EQ(BoardRect(screen, desktop, c.screens, c.useDual), c.expected) << c.screens << c.useDual;
}

}  // namespace
}  // namespace inkora
