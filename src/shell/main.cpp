// Inkora 4: the classroom board.
#include "drawing/uCanvas.h"
#include "shell/uAppState.h"
#include "shell/uCommandLine.h"
#include "shell/uSignals.h"
#include "shell/uSingleInstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <deque>

int main(int argc, char* argv[]) {
  // Exporting notes, summarising a project and the help need no display.
  if (inkora::IsCommandLineTask(argc, argv)) return inkora::RunCommandLineTask(argc, argv);

  // Window mode, screen sampling and capture need X11; inside a Wayland
  // session that is XWayland. An explicit choice of the user is kept.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");

  QApplication app(argc, argv);
  QApplication::setApplicationName("Inkora 4");
  QApplication::setApplicationVersion(INKORA_VERSION);
  QApplication::setOrganizationName("Inkora");

  QCommandLineParser parser;
  parser.addPositionalArgument("file", "A presentation to open (*.ikp).", "[file]");
  parser.process(app);
  const QStringList files = parser.positionalArguments();

  // One board per user: a later start hands its file to the running board
  // and ends, also when that board does not answer. Only when the board
  // ended meanwhile does this start become the board.
  inkora::TSingleInstance instance;
  if (!instance.TryBecomePrimary()) {
    if (!instance.Error().isEmpty()) {
      std::fprintf(stderr, "inkora: %s\n", qUtf8Printable(instance.Error()));
      return 1;
    }
    inkora::TInstanceMessage message;
    message.Code = inkora::kInstanceOpenFile;
    if (!files.isEmpty()) message.Path = QFileInfo(files.first()).absoluteFilePath();
    if (instance.SendToPrimary(message, 10000) || !instance.TryBecomePrimary()) return 0;
  }
  if (!instance.Error().isEmpty())
    std::fprintf(stderr, "inkora: %s\n", qUtf8Printable(instance.Error()));

  // Messages wait until the first show is over (it lets events run while it
  // prepares the presentation), and each waits for the one before, which may
  // ask a question.
  std::deque<inkora::TInstanceMessage> pending;
  bool ready = false, delivering = false;

  inkora::TAppState state;
  inkora::TfrmCanvas board(state);
  board.StartupArguments = files;

  const auto deliver = [&] {
    if (!ready || delivering) return;
    delivering = true;
    while (!pending.empty()) {
      const inkora::TInstanceMessage m = pending.front();
      pending.pop_front();
      if (m.Restore)
        board.RestoreMessage();
      else if (m.Code == inkora::kInstanceOpenFile)
        board.OnSecondStart(m.Path);
      // A printed document (code 3) is not handled yet.
    }
    delivering = false;
  };
  QObject::connect(&instance, &inkora::TSingleInstance::MessageReceived, &board,
                   [&](const inkora::TInstanceMessage& m) {
                     pending.push_back(m);
                     deliver();
                   });

  inkora::TTerminationSignals signals([&board] { board.CloseForSessionEnd(); });
  board.showFullScreen();
  // After the file named on the command line, which the first show queued.
  QTimer::singleShot(0, &board, [&] {
    ready = true;
    deliver();
  });
  return app.exec();
}
