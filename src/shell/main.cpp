// Inkora 4: the classroom board.
#include "drawing/uCanvas.h"
#include "shell/uAppState.h"
#include "shell/uCommandLine.h"
#include "shell/uSignals.h"

#include <QApplication>
#include <QCommandLineParser>

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

  inkora::TAppState state;
  inkora::TfrmCanvas board(state);
  board.StartupArguments = parser.positionalArguments();
  inkora::TTerminationSignals signals([&board] { board.CloseForSessionEnd(); });
  board.showFullScreen();
  return app.exec();
}
