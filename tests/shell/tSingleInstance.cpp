// One board per user: the message format, the socket between two instances,
// and the real program started twice.
#include "shell/uSingleInstance.h"

#include "../drawing/fakes.h"
#include "drawing/uBoard.h"
#include "notes/uProject.h"
#include "shell/uWorkFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace inkora {

void PrintTo(const TInstanceMessage& m, std::ostream* os) {
  *os << "{Code " << m.Code << ", Path \"" << m.Path.left(80).toStdString() << "\" ("
      << m.Path.size() << " chars), Restore " << m.Restore << "}";
}

namespace {

TInstanceMessage OpenFile(const QString& path) { return {kInstanceOpenFile, path, false}; }
TInstanceMessage Printed(const QString& path = {}) {
  return {kInstancePrintedDocument, path, false};
}
TInstanceMessage Restore() { return {0, {}, true}; }

QByteArray Json(const char* text) { return QByteArray(text); }

// A valid line padded with spaces to `size` bytes.
QByteArray Padded(QByteArray line, qsizetype size) {
  line.append(QByteArray(size - line.size(), ' '));
  return line;
}

mode_t ModeOf(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

TEST(InstanceMessage, DecodesTheThreeFormsAndRefusesEverythingElse) {
  const QString longest = "/" + QString(kInstanceMaxPath - 1, 'a');
  struct Case {
    QByteArray line;
    std::optional<TInstanceMessage> want;
  };
  const Case cases[] = {
      {Json(R"({"code":1,"path":"/home/t/lesson.ikp"})"), OpenFile("/home/t/lesson.ikp")},
      {Json(R"({"code":1,"path":""})"), OpenFile("")},
      {Json("{\"path\":\"/a b/\xc3\xbc\\\"q\\\\\\n.ikt\",\"code\":1}\n"),
       OpenFile(QString::fromUtf8("/a b/\xc3\xbc\"q\\\n.ikt"))},
      {"{\"code\":1,\"path\":\"" + longest.toUtf8() + "\"}", OpenFile(longest)},
      {Json(R"({"code":3})"), Printed()},
      {Json(R"({"code":3,"path":"/tmp/job.tif"})"), Printed("/tmp/job.tif")},
      {Json(R"({"restore":true})"), Restore()},
      {Json(R"( { "restore" : true } )"), Restore()},
      {Padded(R"({"code":3})", kInstanceMaxLine), Printed()},
      // Malformed.
      {"", std::nullopt},
      {"\n", std::nullopt},
      {"open /home/t/lesson.ikp", std::nullopt},
      {Json(R"([{"code":3}])"), std::nullopt},
      {Json(R"("restore")"), std::nullopt},
      {Json("{}"), std::nullopt},
      {Json(R"({"code":1,"path":"/a")"), std::nullopt},
      {Json(R"({"restore":true}{"restore":true})"), std::nullopt},
      {Json(R"({"code":2})"), std::nullopt},
      {Json(R"({"code":0,"path":""})"), std::nullopt},
      {Json(R"({"code":1.5,"path":""})"), std::nullopt},
      {Json(R"({"code":"1","path":""})"), std::nullopt},
      {Json(R"({"code":1})"), std::nullopt},
      {Json(R"({"code":1,"path":null})"), std::nullopt},
      {Json(R"({"code":1,"path":["/a"]})"), std::nullopt},
      {Json(R"({"code":3,"path":7})"), std::nullopt},
      {Json(R"({"code":1,"path":"lesson.ikp"})"), std::nullopt},
      {Json(R"({"code":1,"path":"/a","size":257})"), std::nullopt},
      {Json(R"({"restore":false})"), std::nullopt},
      {Json(R"({"restore":1})"), std::nullopt},
      {Json(R"({"restore":true,"code":1,"path":""})"), std::nullopt},
      {Json(R"({"code":1,"path":"/a\u0000b"})"), std::nullopt},
      {QByteArray("{\"code\":1,\"path\":\"/a\0b\"}", 24), std::nullopt},
      {QByteArray("{\"restore\":true}\0", 17), std::nullopt},
      {Json("{\"code\":1,\"path\":\"/\xff.ikp\"}"), std::nullopt},
      {Json("{\"code\":1,\"path\":\"/\xc0\xaf.ikp\"}"), std::nullopt},
      {"{\"code\":1,\"path\":\"" + (longest + "b").toUtf8() + "\"}", std::nullopt},
      {Padded(R"({"code":3})", kInstanceMaxLine + 1), std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<TInstanceMessage> got = DecodeInstanceMessage(c.line);
    EXPECT_EQ(got, c.want) << c.line.left(120).toStdString();
    // What is accepted can be passed on unchanged.
    if (got) {
      EXPECT_EQ(DecodeInstanceMessage(EncodeInstanceMessage(*got)), got);
    }
  }
}

TEST(InstanceMessage, EncodesOnlyWhatCanBeDecoded) {
  struct Case {
    TInstanceMessage message;
    bool encodes;
  };
  const Case cases[] = {
      {OpenFile("/srv/" + QString(1000, QChar(0x6F22)) + " \"'\\\t\n.ikp"), true},
      {OpenFile(""), true},
      {Printed(), true},
      {Restore(), true},
      {{0, {}, false}, false},
      {{2, "/a", false}, false},
      {{kInstanceOpenFile, "/a", true}, false},
      {OpenFile("lesson.ikp"), false},
      {OpenFile(QString("/a") + QChar(0) + "b"), false},
      {OpenFile("/" + QString(kInstanceMaxPath, 'a')), false},
      // Within the path limit, but escaped it no longer fits a line.
      {OpenFile("/" + QString(2000, QChar(1))), false},
  };
  for (const Case& c : cases) {
    const QByteArray line = EncodeInstanceMessage(c.message);
    EXPECT_EQ(!line.isEmpty(), c.encodes) << ::testing::PrintToString(c.message);
    if (!c.encodes) continue;
    EXPECT_LE(line.size(), kInstanceMaxLine);
    EXPECT_FALSE(line.contains('\n'));
    EXPECT_EQ(DecodeInstanceMessage(line), c.message);
  }
}

// An instance in a folder of the test, with the messages it received.
class InstanceSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.filePath("inkora");
  }
  void Listen(TSingleInstance& instance) {
    ASSERT_TRUE(instance.TryBecomePrimary()) << instance.Error().toStdString();
    ASSERT_TRUE(instance.Error().isEmpty()) << instance.Error().toStdString();
    QObject::connect(&instance, &TSingleInstance::MessageReceived,
                     [this](const TInstanceMessage& m) { received.push_back(m); });
  }
  // SendToPrimary blocks, so it runs beside the event loop that serves it.
  bool SendBeside(TSingleInstance& sender, const TInstanceMessage& m, int timeoutMs) {
    std::future<bool> sent =
        std::async(std::launch::async, [&] { return sender.SendToPrimary(m, timeoutMs); });
    const bool done = QTest::qWaitFor(
        [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        timeoutMs + 5000);
    return done && sent.get();
  }

  QTemporaryDir dir;
  QString folder;
  std::vector<TInstanceMessage> received;
};

TEST_F(InstanceSocketTest, MessagesReachTheInstanceThatHoldsTheLockWhole) {
  const std::vector<TInstanceMessage> messages = {
      OpenFile("/home/t/" + QString(600, QChar(0x00FC)) + "/a \"b\"\\\n.ikp"),
      OpenFile(""),
      Printed("/run/job 7.tif"),
      Restore(),
  };
  {
    TSingleInstance primary(folder);
    Listen(primary);
    // The folder and the socket are the user's alone.
    EXPECT_EQ(ModeOf(folder) & 0777, 0700u);
    EXPECT_TRUE(S_ISSOCK(ModeOf(primary.SocketPath())));
    EXPECT_EQ(ModeOf(primary.SocketPath()) & 077, 0u);

    TSingleInstance second(folder);
    EXPECT_FALSE(second.TryBecomePrimary());
    EXPECT_TRUE(second.Error().isEmpty()) << second.Error().toStdString();
    for (const TInstanceMessage& m : messages)
      EXPECT_TRUE(SendBeside(second, m, 10000)) << ::testing::PrintToString(m);
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() >= messages.size(); }, 5000));
    EXPECT_EQ(received, messages);
  }
  // The instance ended: its socket and lock are gone, nobody answers, and the
  // next one takes over.
  EXPECT_FALSE(QFileInfo::exists(folder + "/inkora4.sock"));
  EXPECT_FALSE(QFileInfo::exists(folder + "/inkora4.lock"));
  TSingleInstance late(folder);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(late.SendToPrimary(Restore(), 300));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(late.TryBecomePrimary());
}

TEST_F(InstanceSocketTest, RefusesAFolderThatIsNotPrivate) {
  ASSERT_TRUE(QDir().mkpath(dir.filePath("elsewhere")));
  ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), folder));
  TSingleInstance instance(folder);
  EXPECT_FALSE(instance.TryBecomePrimary());
  EXPECT_FALSE(instance.Error().isEmpty());
  EXPECT_FALSE(instance.SendToPrimary(Restore(), 300));
  EXPECT_TRUE(QDir(dir.filePath("elsewhere")).isEmpty());
}

TEST_F(InstanceSocketTest, MalformedInputClosesTheConnectionWithoutAnswerOrSignal) {
  TSingleInstance primary(folder);
  Listen(primary);
  struct Case {
    const char* what;
    QByteArray bytes;
  };
  const Case cases[] = {
      {"not JSON", "open /tmp/a.ikp\n"},
      {"unknown code", "{\"code\":2}\n"},
      {"NUL in the line", QByteArray("{\"code\":1,\"path\":\"/a\0b\"}\n", 25)},
      {"line one byte too long", Padded(R"({"code":3})", kInstanceMaxLine + 1) + "\n"},
      {"endless line", QByteArray(4 * kInstanceMaxLine, 'x')},
      {"valid, then malformed", "{\"restore\":true}\n{\"restore\":\"yes\"}\n"},
  };
  for (const Case& c : cases) {
    QLocalSocket s;
    s.connectToServer(primary.SocketPath());
    ASSERT_TRUE(s.waitForConnected(5000)) << c.what;
    s.write(c.bytes);
    // Well within the time after which any connection is dropped.
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.state() == QLocalSocket::UnconnectedState; }, 5000))
        << c.what;
    const QByteArray reply = s.readAll();
    EXPECT_EQ(reply, c.bytes.startsWith("{\"restore\":true}\n") ? "ok\n" : "") << c.what;
  }
  // A line of the longest size is served on a fresh connection.
  QLocalSocket s;
  s.connectToServer(primary.SocketPath());
  ASSERT_TRUE(s.waitForConnected(5000));
  s.write(Padded(R"({"code":3})", kInstanceMaxLine) + "\n");
  EXPECT_TRUE(QTest::qWaitFor([&] { return s.canReadLine(); }, 5000));
  EXPECT_EQ(s.readLine(), "ok\n");
  EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() >= 2; }, 5000));
  EXPECT_EQ(received, (std::vector<TInstanceMessage>{Restore(), Printed()}));
}

// Connects to the socket at `path`, sends `line` and reads the answer, with
// system calls only (safe after fork). The exit code of a child: 0 when the
// connection was closed without "ok", 10 with "ok", more on failures.
int RawExchange(const char* path, const char* line, size_t length) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (fd < 0 || ::strlen(path) >= sizeof addr.sun_path) return 30;
  ::strcpy(addr.sun_path, path);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return 31;
  if (::write(fd, line, length) != ssize_t(length)) return 32;
  char reply[8];
  size_t got = 0;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) != 1) return 40;
    const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
    if (n < 0) return 0;  // reset by the server
    if (n == 0) break;
    got += size_t(n);
    if (got >= 3) break;
  }
  return got >= 3 && ::memcmp(reply, "ok\n", 3) == 0 ? 10 : 0;
}

// Forks a child that becomes `uid` (unless it is ours) and exchanges `line`;
// returns the child's exit code, or -1.
int ExchangeAs(uid_t uid, const QString& socketPath, const QByteArray& line) {
  const QByteArray path = QFile::encodeName(socketPath);
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (uid != ::geteuid() &&
        (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0))
      ::_exit(20);
    ::_exit(RawExchange(path.constData(), line.constData(), size_t(line.size())));
  }
  int status = 0;
  const bool ended =
      QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 20000);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(InstanceSocketTest, APeerOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  constexpr uid_t kNobody = 65534;
  // A folder that the other user can reach, for this test only.
  QTemporaryDir shared("/tmp/inkora-peer-XXXXXX");
  ASSERT_TRUE(shared.isValid());
  const QString sharedFolder = shared.filePath("inkora");
  TSingleInstance primary(sharedFolder);
  Listen(primary);
  for (const QString& path : {shared.path(), sharedFolder})
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0711), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(primary.SocketPath()).constData(), 0777), 0);

  // Reached, but closed without an answer.
  EXPECT_EQ(ExchangeAs(kNobody, primary.SocketPath(), "{\"code\":1,\"path\":\"/tmp/x.ikt\"}\n"), 0);
  // The same exchange as the user is served.
  EXPECT_EQ(ExchangeAs(::geteuid(), primary.SocketPath(), "{\"code\":3}\n"), 10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 5000));
  EXPECT_EQ(received, (std::vector<TInstanceMessage>{Printed()}));
}

// The real program, started as a user would with a home, a temp folder and a
// runtime folder of its own, and no display.
class ProgramInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    for (const char* sub : {"home", "tmp", "run", "base"})
      ASSERT_TRUE(QDir().mkpath(dir.filePath(sub)));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("run"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", dir.filePath("home"));
    env.insert("TMPDIR", dir.filePath("tmp"));
    env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));

    // A project whose first note's key no fresh presentation has.
    TAppState state;
    test::TRecordingHost host;
    TBoard board(state, host);
    board.SetBoardSize({320, 240});
    board.FormSize = {320, 240};
    board.Project.Folders = TWorkFolders(dir.filePath("base") + "/");
    ASSERT_TRUE(board.Project.ResetProject());
    board.pbMouseDown(TMouseButton::Left, ssLeft, 40, 20);
    board.pbMouseMove(ssLeft, 100, 20);
    board.pbMouseUp(TMouseButton::Left, 0, 160, 20);
    // Deep enough that a path cut at 256 characters names no file.
    projectDir =
        dir.filePath(QString(100, 'a') + "/" + QString(100, 'b') + "/" + QString(100, 'c'));
    ASSERT_TRUE(QDir().mkpath(projectDir));
    project = projectDir + "/lesson.ikp";
    ASSERT_TRUE(WriteProject(board, project).Ok);
    noteFile = dir.filePath("tmp/") + PrivateBaseName() + "/" + kWorkFolderName + "/" +
               board.Notes.NoteIndex[0];
  }
  void TearDown() override {
    for (auto& p : started) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished(10000);
    }
  }

  QProcess& Start(const QStringList& args, const QString& workingDir = {}) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setStandardOutputFile(QProcess::nullDevice());
    if (!workingDir.isEmpty()) p->setWorkingDirectory(workingDir);
    p->start(INKORA_PROGRAM, args);
    p->waitForStarted(10000);
    started.push_back(std::move(p));
    return *started.back();
  }
  // A board of this user answers on the socket.
  bool BoardAnswers() {
    TSingleInstance client(dir.filePath("run/inkora"));
    return QTest::qWaitFor([&] { return client.SendToPrimary(Restore(), 1000); }, 60000);
  }
  static ::testing::AssertionResult EndsWithZero(QProcess& p) {
    if (!p.waitForFinished(60000)) return ::testing::AssertionFailure() << "still running";
    if (p.exitStatus() != QProcess::NormalExit) return ::testing::AssertionFailure() << "crashed";
    if (p.exitCode() != 0) return ::testing::AssertionFailure() << "exit code " << p.exitCode();
    return ::testing::AssertionSuccess();
  }
  static ::testing::AssertionResult EndsOnSigterm(QProcess& p) {
    ::kill(pid_t(p.processId()), SIGTERM);
    return EndsWithZero(p);
  }
  bool Opened() {
    return QTest::qWaitFor([&] { return QFileInfo::exists(noteFile); }, 30000);
  }

  QTemporaryDir dir;
  QProcessEnvironment env;
  QString projectDir, project, noteFile;
  std::vector<std::unique_ptr<QProcess>> started;
};

TEST_F(ProgramInstanceTest, ASecondStartHandsItsFileToTheRunningBoardAndEnds) {
  QProcess& first = Start({});
  ASSERT_TRUE(BoardAnswers());
  EXPECT_FALSE(QFileInfo::exists(noteFile));

  // Named relative to the second start's own folder.
  QProcess& second = Start({"lesson.ikp"}, projectDir);
  EXPECT_TRUE(EndsWithZero(second));
  EXPECT_TRUE(Opened()) << noteFile.toStdString();
  EXPECT_EQ(first.state(), QProcess::Running);

  EXPECT_TRUE(EndsOnSigterm(first));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("run/inkora/inkora4.sock")));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("run/inkora/inkora4.lock")));
}

TEST_F(ProgramInstanceTest, AfterTheBoardWasKilledTheNextStartBecomesTheBoard) {
  QProcess& first = Start({});
  ASSERT_TRUE(BoardAnswers());
  first.kill();
  ASSERT_TRUE(first.waitForFinished(10000));
  // The killed board left its lock and socket behind.
  ASSERT_TRUE(QFileInfo::exists(dir.filePath("run/inkora/inkora4.lock")));
  ASSERT_TRUE(QFileInfo::exists(dir.filePath("run/inkora/inkora4.sock")));

  QProcess& next = Start({});
  ASSERT_TRUE(BoardAnswers());
  EXPECT_EQ(next.state(), QProcess::Running);

  QProcess& further = Start({project});
  EXPECT_TRUE(EndsWithZero(further));
  EXPECT_TRUE(Opened()) << noteFile.toStdString();
  EXPECT_EQ(next.state(), QProcess::Running);
  EXPECT_TRUE(EndsOnSigterm(next));
}

}  // namespace
}  // namespace inkora
