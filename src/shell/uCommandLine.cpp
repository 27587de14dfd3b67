#include "shell/uCommandLine.h"

#include "drawing/uBoard.h"
#include "exchange/uNoteImages.h"
#include "notes/uProject.h"
#include "notes/uProjectSummary.h"
#include "notes/uRecordStorage.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstring>

namespace inkora {

namespace {

constexpr const char* kTaskOptions[] = {"--export-notes", "--info", "--help", "-h", "--help-all", "--version", "-v"};

// The board without a window: errors are collected for the message.
class TSilentHost final : public IBoardHost {
 public:
  void ShowRect(const QRect&) override {}
  void UpdateNow() override {}
  void ShowPopupMenu() override {}
  void SetPaintCursor(TBoardCursor) override {}
  void ShowError(const QString& message) override { Errors << message; }
  QStringList Errors;
};

// A board that reads one project into work folders of its own, apart from
// any board that is running.
class THeadlessProject {
 public:
  THeadlessProject() : Base(QDir::tempPath() + "/inkora-cli-XXXXXX"), Board(State, Host) {}

  bool Open(const QString& path, QString* error) {
    if (!Base.isValid()) {
      *error = QStringLiteral("Cannot create a work area in %1.").arg(QDir::tempPath());
      return false;
    }
    Board.FormSize = QSize(1920, 1080);
    Board.SetBoardSize(Board.FormSize);
    Board.Project.Folders = TWorkFolders(Base.path() + "/");
    if (!Board.Project.ResetProject()) {
      *error = Host.Errors.join('\n');
      return false;
    }
    if (!QFileInfo(path).isFile()) {
      *error = QStringLiteral("%1: no such file.").arg(path);
      return false;
    }
    const TArchiveResult r = ReadProject(Board, path, false);
    if (!r.Ok) *error = r.Message;
    return r.Ok;
  }

  // The logo the project carries is drawn on its pictures.
  void UseProjectLogo() {
    const QString logo = Board.ProjectInfo.LogoFile();
    if (logo.isEmpty() || !IsBareFileName(logo) || !QFileInfo(Board.WorkFolder + logo).isFile()) return;
    State.LogoFile = Board.WorkFolder + logo;
    State.LogoPos = Board.ProjectInfo.LogoPos();
    State.LogoTrans = Board.ProjectInfo.LogoTrans();
  }

  QTemporaryDir Base;
  TAppState State;
  TSilentHost Host;
  TBoard Board;
};

}  // namespace

bool IsCommandLineTask(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i)
    for (const char* option : kTaskOptions)
      if (std::strcmp(argv[i], option) == 0 || (std::strncmp(argv[i], option, std::strlen(option)) == 0 &&
                                                argv[i][std::strlen(option)] == '='))
        return true;
  return false;
}

int RunCommandLineTask(int argc, char* argv[]) {
  // Nothing here is shown: no display is needed, whatever the session has.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName("inkora");
  QGuiApplication::setApplicationVersion(INKORA_VERSION);
  QTextStream out(stdout);
  QTextStream err(stderr);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Inkora 4: a classroom whiteboard and screen-annotation program.\n"
      "Without options the board starts full screen; a project file (*.ikp)\n"
      "given as the first argument is opened in it.");
  const QCommandLineOption help({"h", "help"}, "Show these options.");
  const QCommandLineOption version({"v", "version"}, "Show the program's version.");
  const QCommandLineOption exportNotes("export-notes", "Write every note of the project FILE as a picture.", "FILE");
  const QCommandLineOption format("format", "Picture format of --export-notes: png, jpg or bmp (default png).",
                                  "FORMAT", "png");
  const QCommandLineOption outDir("out", "Folder for the pictures of --export-notes (made when missing).", "DIR");
  const QCommandLineOption base("base", "Base name of the pictures: NAME001.png, NAME002.png, ... (default noname).",
                                "NAME", "noname");
  const QCommandLineOption info("info", "Print a summary of the project FILE as JSON.", "FILE");
  parser.addOptions({help, version, exportNotes, format, outDir, base, info});
  parser.addPositionalArgument("file", "A project to open on the board (*.ikp).", "[file]");

  auto usage = [&](const QString& message) {
    err << "inkora: " << message << "\n" << "Try 'inkora --help'.\n";
    return 2;
  };
  if (!parser.parse(QGuiApplication::arguments())) return usage(parser.errorText());
  if (parser.isSet(help)) {
    out << parser.helpText();
    return 0;
  }
  if (parser.isSet(version)) {
    out << "inkora " << INKORA_VERSION << "\n";
    return 0;
  }
  if (parser.isSet(exportNotes) == parser.isSet(info))
    return usage(QStringLiteral("give either --export-notes or --info."));

  THeadlessProject project;
  QString error;
  if (parser.isSet(info)) {
    if (!project.Open(parser.value(info), &error)) {
      err << "inkora: " << error << "\n";
      return 1;
    }
    out << QJsonDocument(ProjectSummary(project.Board, QFileInfo(parser.value(info)).absoluteFilePath()))
               .toJson(QJsonDocument::Indented);
    return 0;
  }

  const QString fmt = parser.value(format).toLower();
  if (fmt != "png" && fmt != "jpg" && fmt != "bmp")
    return usage(QStringLiteral("the format must be png, jpg or bmp, not \"%1\".").arg(parser.value(format)));
  if (!parser.isSet(outDir)) return usage(QStringLiteral("--export-notes needs --out DIR."));
  const QString name = parser.value(base);
  if (name.isEmpty() || !IsBareFileName(name + "001." + fmt))
    return usage(QStringLiteral("the base name must be a file name without folders."));
  if (!project.Open(parser.value(exportNotes), &error)) {
    err << "inkora: " << error << "\n";
    return 1;
  }
  project.UseProjectLogo();
  const TNoteExport done = ExportNotePictures(project.Board, parser.value(outDir), name, "." + fmt);
  if (!done.Ok) {
    err << "inkora: " << done.Message << "\n";
    return 1;
  }
  for (const QString& file : done.Files) out << file << "\n";
  return 0;
}

}  // namespace inkora
