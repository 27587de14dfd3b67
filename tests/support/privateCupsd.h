// A print server of the test's own: a cupsd listening on a unix socket in a
// temporary folder, with its whole state there. HOME points into the same
// folder, so the lpoptions file the tests read and write is theirs alone.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/prctl.h>
#include <csignal>

namespace inkora::test {

inline constexpr int kCommandTimeoutMs = 30000;
inline constexpr int kStartTimeoutMs = 30000;
inline const QString kLpadmin = QStringLiteral("/usr/sbin/lpadmin");

struct TRun {
  int exitCode = -1;
  QString output;
};

// Runs a CUPS command line tool and returns its exit code and output.
inline TRun run(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  TRun r;
  if (!p.waitForFinished(kCommandTimeoutMs)) {
    p.kill();
    p.waitForFinished(kCommandTimeoutMs);
    r.output = program + QStringLiteral(" did not finish");
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.output = QString::fromLocal8Bit(p.readAll());
  return r;
}

inline std::optional<QByteArray> readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readAll();
}

// A cupsd of our own with its whole state in a temporary folder. It is
// stopped by its pid when this object goes, and dies with the test process
// should that end first.
class TPrivateCupsd {
 public:
  TPrivateCupsd() {
    if (!dir_.isValid()) {
      error_ = QStringLiteral("no temporary folder");
      return;
    }
    const QString d = dir_.path();
    for (const char* sub : {"spool", "tmp", "state", "cache", "log", "home"})
      QDir(d).mkpath(QLatin1String(sub));
    writeText(d + "/cupsd.conf", QStringLiteral("Listen %1/cups.sock\n"
                                                "LogLevel warn\n"
                                                "Browsing No\n"
                                                "DefaultShared No\n"
                                                "WebInterface No\n"
                                                "<Location />\n"
                                                "  Order allow,deny\n"
                                                "  Allow localhost\n"
                                                "</Location>\n"
                                                "<Location /admin>\n"
                                                "  Order allow,deny\n"
                                                "  Allow localhost\n"
                                                "</Location>\n")
                                     .arg(d));
    // cupsd refuses to run its helpers as root; they run as its default user.
    // file: device URIs need FileDevice.
    writeText(d + "/cups-files.conf", QStringLiteral("ServerRoot %1\n"
                                                     "RequestRoot %1/spool\n"
                                                     "TempDir %1/tmp\n"
                                                     "StateDir %1/state\n"
                                                     "CacheDir %1/cache\n"
                                                     "ErrorLog %1/log/error_log\n"
                                                     "AccessLog %1/log/access_log\n"
                                                     "PageLog %1/log/page_log\n"
                                                     "SystemGroup root\n"
                                                     "FileDevice Yes\n"
                                                     "Sandboxing Relaxed\n")
                                          .arg(d));

    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.start(QStringLiteral("/usr/sbin/cupsd"),
                 {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
    if (!cupsd_.waitForStarted(kCommandTimeoutMs)) {
      error_ = QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
      return;
    }
    // The client tools and libcups in this process talk to this server only.
    qputenv("CUPS_SERVER", QFile::encodeName(socket()));
    qputenv("CUPS_SERVERROOT", QFile::encodeName(d));
    qputenv("HOME", QFile::encodeName(home()));
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");

    // lpstat exits 0 either way; its words tell whether the scheduler runs.
    const bool up = QTest::qWaitFor(
        [this] {
          return cupsd_.state() == QProcess::Running &&
                 run("lpstat", {"-r"}).output.contains(QLatin1String("scheduler is running"));
        },
        kStartTimeoutMs);
    if (!up) error_ = QStringLiteral("cupsd did not come up:\n") + log();
  }

  ~TPrivateCupsd() {
    if (cupsd_.state() == QProcess::NotRunning) return;
    cupsd_.terminate();  // SIGTERM to its pid
    if (!cupsd_.waitForFinished(kCommandTimeoutMs)) {
      cupsd_.kill();
      cupsd_.waitForFinished(kCommandTimeoutMs);
    }
  }

  const QString& error() const { return error_; }
  QString socket() const { return dir_.path() + "/cups.sock"; }
  QString home() const { return dir_.path() + "/home"; }
  QString lpoptions() const { return home() + "/.cups/lpoptions"; }
  QString log() {
    return QString::fromLocal8Bit(readFile(dir_.path() + "/log/error_log").value_or("")) +
           QString::fromLocal8Bit(cupsd_.readAll());
  }

 private:
  static void writeText(const QString& path, const QString& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(text.toUtf8());
  }

  QTemporaryDir dir_;
  QProcess cupsd_;
  QString error_;
};

}  // namespace inkora::test
