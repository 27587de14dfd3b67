#include "shell/uPrinter.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cups/cups.h>

#include <cctype>

#include <pwd.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace inkora {

namespace {

// Bounds the wait for a print server that does not answer.
constexpr int kConnectTimeoutMs = 3000;

// A connection to the print server libcups would use; null when none answers.
class TCupsServer {
 public:
  TCupsServer()
      : http_(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                           kConnectTimeoutMs, nullptr)) {}
  ~TCupsServer() {
    if (http_) httpClose(http_);
  }
  TCupsServer(const TCupsServer&) = delete;
  TCupsServer& operator=(const TCupsServer&) = delete;
  http_t* get() const { return http_; }
  explicit operator bool() const { return http_ != nullptr; }

 private:
  http_t* http_;
};

// The destinations as the user's programs see them: the server's printers
// with the saved options and instances of the lpoptions files.
struct TDests {
  explicit TDests(http_t* http) { n = cupsGetDests2(http, &d); }
  ~TDests() { cupsFreeDests(n, d); }
  TDests(const TDests&) = delete;
  TDests& operator=(const TDests&) = delete;
  int n = 0;
  cups_dest_t* d = nullptr;
};

// "queue/instance" split into its parts; the instance is empty when absent.
struct TDestName {
  explicit TDestName(const QString& full) {
    const qsizetype slash = full.indexOf(QLatin1Char('/'));
    name = (slash < 0 ? full : full.left(slash)).toUtf8();
    if (slash >= 0) instance = full.mid(slash + 1).toUtf8();
  }
  const char* instanceOrNull() const { return instance.isEmpty() ? nullptr : instance.constData(); }
  QByteArray name, instance;
};

QString fullName(const cups_dest_t& dest) {
  QString s = QString::fromUtf8(dest.name);
  if (dest.instance) s += QLatin1Char('/') + QString::fromUtf8(dest.instance);
  return s;
}

// The first "Default" line of an lpoptions file, read the way libcups reads
// it; empty when there is none or the file cannot be read.
QString lpoptionsDefault(const QString& path) {
  cups_file_t* fp = cupsFileOpen(QFile::encodeName(path).constData(), "r");
  if (!fp) return {};
  QString result;
  char line[1024];
  char* value = nullptr;
  int lineNo = 0;
  while (cupsFileGetConf(fp, line, sizeof(line), &value, &lineNo)) {
    if (strcasecmp(line, "default") != 0 || !value) continue;
    // The name ends at the first blank; options may follow it.
    const char* end = value;
    while (*end && !std::isspace(static_cast<unsigned char>(*end))) ++end;
    result = QString::fromUtf8(value, end - value);
    break;
  }
  cupsFileClose(fp);
  return result;
}

}  // namespace

QString UserLpoptionsPath() {
  QString home = qEnvironmentVariable("HOME");
  if (home.isEmpty()) {
    if (const passwd* pw = ::getpwuid(::getuid())) home = QFile::decodeName(pw->pw_dir);
  }
  return home + QLatin1String("/.cups/lpoptions");
}

QString GetDefaultPrinterName() {
  TCupsServer server;
  if (!server) return {};
  TDests dests(server.get());
  const cups_dest_t* dest = cupsGetDest(nullptr, nullptr, dests.n, dests.d);
  return dest ? fullName(*dest) : QString();
}

bool SetDefaultPrinter(const QString& name) {
  const TDestName n(name);
  if (n.name.isEmpty()) return false;
  TCupsServer server;
  if (!server) return false;
  TDests dests(server.get());
  if (!cupsGetDest(n.name.constData(), n.instanceOrNull(), dests.n, dests.d)) return false;
  cupsSetDefaultDest(n.name.constData(), n.instanceOrNull(), dests.n, dests.d);
  return cupsSetDests2(server.get(), dests.n, dests.d) == 0;
}

TSavedDefaultPrinter SaveDefaultPrinter() {
  TCupsServer server;
  if (!server) return {};
  const QString path = UserLpoptionsPath();
  TSavedDefaultPrinter saved;
  saved.Known = true;
  saved.FileExisted = QFileInfo::exists(path);
  saved.Name = lpoptionsDefault(path);
  return saved;
}

bool RestoreDefaultPrinter(const TSavedDefaultPrinter& saved) {
  if (!saved.Known) return false;
  TCupsServer server;
  if (!server) return false;
  const QString path = UserLpoptionsPath();
  TDests dests(server.get());

  if (!saved.Name.isEmpty()) {
    // The printer may have gone since: its name is put back all the same.
    const TDestName n(saved.Name);
    if (!cupsGetDest(n.name.constData(), n.instanceOrNull(), dests.n, dests.d)) {
      if (n.instanceOrNull()) dests.n = cupsAddDest(n.name.constData(), nullptr, dests.n, &dests.d);
      dests.n = cupsAddDest(n.name.constData(), n.instanceOrNull(), dests.n, &dests.d);
    }
    cupsSetDefaultDest(n.name.constData(), n.instanceOrNull(), dests.n, dests.d);
  } else {
    for (int i = 0; i < dests.n; ++i) dests.d[i].is_default = 0;
  }

  bool ok;
  if (dests.n > 0) {
    ok = cupsSetDests2(server.get(), dests.n, dests.d) == 0;
  } else {
    // No printers at all: libcups writes no empty list. Only a file that the
    // board itself created can be taken away; otherwise it must name no default.
    if (!saved.FileExisted) QFile::remove(path);
    ok = lpoptionsDefault(path).isEmpty();
  }
  if (ok && !saved.FileExisted) {
    const QFileInfo written(path);
    if (written.exists() && written.size() == 0) QFile::remove(path);
  }
  return ok;
}

void TDefaultPrinterSwitch::SwitchToVirtualPrinter() {
  FSaved = {};
  const TSavedDefaultPrinter before = SaveDefaultPrinter();
  if (!before.Known || GetDefaultPrinterName() == QLatin1String(kVirtualPrinterQueue)) return;
  if (SetDefaultPrinter(QString::fromLatin1(kVirtualPrinterQueue))) FSaved = before;
}

void TDefaultPrinterSwitch::Restore() {
  if (!FSaved.Known) return;
  RestoreDefaultPrinter(FSaved);
  FSaved = {};
}

}  // namespace inkora
