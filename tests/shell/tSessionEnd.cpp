// The real program against a print server of the test's own: at start-up it
// makes its virtual printer the default, and however the session ends it
// writes its settings and puts the default printer back as it was.
#include "shell/uPrinter.h"
#include "shell/uWorkFolders.h"
#include "../support/privateCupsd.h"
#include "../support/testFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace inkora {
namespace {

constexpr int kWaitMs = 60000;

class SessionEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    cupsd_ = std::make_unique<test::TPrivateCupsd>();
    if (!cupsd_->error().isEmpty()) return;
    for (const char* queue : {"Classroom", kVirtualPrinterQueue}) {
      const test::TRun r = test::run(test::kLpadmin, {"-p", queue, "-E", "-v", "file:/dev/null"});
      if (r.exitCode != 0) error_ += r.output;
    }
  }
  static void TearDownTestSuite() { cupsd_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(cupsd_->error().isEmpty()) << cupsd_->error().toStdString();
    ASSERT_TRUE(error_.isEmpty()) << error_.toStdString();
  }

  static inline std::unique_ptr<test::TPrivateCupsd> cupsd_;
  static inline QString error_;
};

TEST_F(SessionEnd, SigtermSavesTheSettingsAndPutsTheDefaultPrinterBack) {
  struct Case {
    const char* before;   // the user's default before the board starts
    const char* running;  // while it runs
  };
  const Case cases[] = {
      {"Classroom", kVirtualPrinterQueue},
      {kVirtualPrinterQueue, kVirtualPrinterQueue},  // already the default: left alone
  };
  const QString config = cupsd_->home() + "/Documents/Inkora 4/Config.ini";
  for (const Case& c : cases) {
    ASSERT_TRUE(SetDefaultPrinter(c.before)) << c.before;
    const QByteArray lpoptions = test::ReadAll(cupsd_->lpoptions());
    QFile::remove(config);

    QTemporaryDir run;
    QProcess board;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", run.path());
    env.insert("XDG_RUNTIME_DIR", run.path());
    board.setProcessEnvironment(env);
    board.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    board.start(INKORA_PROGRAM, {});
    ASSERT_TRUE(board.waitForStarted(kWaitMs));
    // The work folder is made after the printer was switched.
    const QString work = run.path() + "/" + PrivateBaseName() + "/" + kWorkFolderName;
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(work).isDir(); }, kWaitMs)) << c.before;
    EXPECT_EQ(GetDefaultPrinterName(), c.running) << c.before;

    board.terminate();  // SIGTERM
    ASSERT_TRUE(board.waitForFinished(kWaitMs));
    EXPECT_EQ(board.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(board.exitCode(), 0);
    EXPECT_TRUE(QFileInfo(config).isFile()) << c.before;
    EXPECT_EQ(GetDefaultPrinterName(), c.before);
    EXPECT_EQ(test::ReadAll(cupsd_->lpoptions()), lpoptions) << c.before;
  }
}

}  // namespace
}  // namespace inkora
