// The default printer switch against a private print server: a cupsd of the
// test's own, listening on a unix socket in a temporary folder, with two
// queues that print into /dev/null. HOME points into the same folder, so the
// lpoptions file the tests read and write is theirs alone.
#include "shell/uPrinter.h"
#include "../support/privateCupsd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

#include <cups/cups.h>

#include <memory>
#include <optional>
#include <thread>

#include <sys/prctl.h>
#include <csignal>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace inkora {
namespace {

using test::TPrivateCupsd;
using test::run;
using test::readFile;
using test::TRun;

using test::kLpadmin;

class DefaultPrinter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    cupsd_ = std::make_unique<TPrivateCupsd>();
    if (!cupsd_->error().isEmpty()) return;
    for (const char* queue : {"A", "B"}) {
      const TRun r = run(kLpadmin, {"-p", queue, "-E", "-v", "file:/dev/null"});
      if (r.exitCode != 0) queueError_ += r.output;
    }
  }
  static void TearDownTestSuite() { cupsd_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(cupsd_->error().isEmpty()) << cupsd_->error().toStdString();
    ASSERT_TRUE(queueError_.isEmpty()) << queueError_.toStdString();
  }

  // Puts the user's lpoptions file in the given state (nullopt: no file).
  static void setLpoptions(const std::optional<QByteArray>& content) {
    const QString path = cupsd_->lpoptions();
    QFile::remove(path);
    if (!content) return;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(*content);
  }

  static inline std::unique_ptr<TPrivateCupsd> cupsd_;
  static inline QString queueError_;
};

TEST_F(DefaultPrinter, SwitchesToAnotherPrinterAndRestoresExactlyWhatWasThere) {
  struct Case {
    const char* name;
    std::optional<QByteArray> lpoptions;  // the user's file before; nullopt: none
    const char* serverDefault;            // set on the server before this case, if any
    QString userDefault;                  // what SaveDefaultPrinter reads
    QString effective;                    // what the user's programs print to
  };
  const Case cases[] = {
      {"no lpoptions file, no default anywhere", std::nullopt, nullptr, "", ""},
      {"user default", QByteArray("Default B\n"), nullptr, "B", "B"},
      {"user default of an instance", QByteArray("Default B/draft\n"), nullptr, "B/draft",
       "B/draft"},
      {"saved options, no user default", QByteArray("Dest A copies=2\n"), nullptr, "", ""},
      // From here on the server has a default of its own, which must not turn
      // into a default of the user's.
      {"server default only", std::nullopt, "B", "", "B"},
      {"server default, empty lpoptions file", QByteArray(""), nullptr, "", "B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.serverDefault) {
      const TRun r = run(kLpadmin, {"-d", c.serverDefault});
      ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    }
    setLpoptions(c.lpoptions);
    EXPECT_EQ(GetDefaultPrinterName(), c.effective);

    const TSavedDefaultPrinter saved = SaveDefaultPrinter();
    EXPECT_TRUE(saved.Known);
    EXPECT_EQ(saved.Name, c.userDefault);

    ASSERT_TRUE(SetDefaultPrinter("A"));
    EXPECT_EQ(GetDefaultPrinterName(), "A");
    EXPECT_TRUE(QString::fromUtf8(readFile(cupsd_->lpoptions()).value_or(""))
                    .contains(QRegularExpression(QStringLiteral("(^|\n)Default A( |\n)"))));
    // Other programs see the same default.
    EXPECT_TRUE(run("lpstat", {"-d"}).output.contains(QLatin1String("destination: A")));

    EXPECT_TRUE(RestoreDefaultPrinter(saved));
    EXPECT_EQ(readFile(cupsd_->lpoptions()), c.lpoptions);
    EXPECT_EQ(GetDefaultPrinterName(), c.effective);
  }
}

TEST_F(DefaultPrinter, UnknownPrinterChangesNothing) {
  const QByteArray before("Default B\n");
  setLpoptions(before);
  for (const char* name : {"NoSuchQueue", "", "A/NoSuchInstance"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(SetDefaultPrinter(QString::fromLatin1(name)));
    EXPECT_EQ(readFile(cupsd_->lpoptions()), before);
    EXPECT_EQ(GetDefaultPrinterName(), "B");
  }
}

TEST_F(DefaultPrinter, RestoresAPrinterThatWasRemovedMeanwhile) {
  ASSERT_EQ(run(kLpadmin, {"-p", "C", "-E", "-v", "file:/dev/null"}).exitCode, 0);
  setLpoptions(QByteArray("Default C\n"));
  const TSavedDefaultPrinter saved = SaveDefaultPrinter();
  ASSERT_TRUE(SetDefaultPrinter("A"));
  ASSERT_EQ(run(kLpadmin, {"-x", "C"}).exitCode, 0);

  EXPECT_TRUE(RestoreDefaultPrinter(saved));
  EXPECT_EQ(readFile(cupsd_->lpoptions()), QByteArray("Default C\n"));
}

// Without a print server every call is a quiet no-op that touches no file.
// libcups keeps its server per thread, so a thread of its own asks a socket
// where nothing listens.
TEST(DefaultPrinterWithoutServer, EveryCallIsAQuietNoOp) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(tmp.path()));
  const QString lpoptions = tmp.path() + "/.cups/lpoptions";
  QDir().mkpath(tmp.path() + "/.cups");
  {
    QFile f(lpoptions);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Default B\n");
  }

  QString name = "unset";
  bool set = true, restored = true;
  TSavedDefaultPrinter saved;
  saved.Known = true;
  std::thread([&] {
    cupsSetServer(QFile::encodeName(tmp.path() + "/nobody-listens.sock").constData());
    name = GetDefaultPrinterName();
    set = SetDefaultPrinter("B");
    restored = RestoreDefaultPrinter({true, QString(), false});
    saved = SaveDefaultPrinter();
  }).join();
  qputenv("HOME", oldHome);

  EXPECT_TRUE(name.isEmpty());
  EXPECT_FALSE(set);
  EXPECT_FALSE(restored);
  EXPECT_FALSE(saved.Known);
  EXPECT_EQ(readFile(lpoptions), QByteArray("Default B\n"));
}

}  // namespace
}  // namespace inkora
