// New, Open, Save and Save as; the question whether to save the current
// presentation; and the two ways a project reaches a running board from
// outside: the command line at start-up and a file handed over by a second
// start of the program. Every dialog and question goes through the board's
// host.
#pragma once

#include "shell/uWorkFolders.h"

#include <QString>
#include <QStringList>

namespace inkora {

class TBoard;

// The filter of the project dialogs, "Description|*.ext".
inline constexpr const char* kProjectFilter = "Inkora Project File|*.ikp";

// Codes of the messages a second start of the program sends to the board.
enum TSecondStartCode : int { scOpenFile = 1, scPrintedDocument = 3 };

class TProjectCommands {
 public:
  explicit TProjectCommands(TBoard& board) : B(board) {}

  // The folders of this run; a test or the command line points them elsewhere.
  TWorkFolders Folders;

  // An empty presentation (no path), or the board prepared for the project
  // at path, whose lists ReadProject then fills. Without a path the work and
  // cache folders are made afresh; false (and the error shown) when that fails.
  bool ResetProject(const QString& path = {});
  // Asks whether to save the presentation. True: go on; false: the user
  // cancelled or the save did not happen.
  bool AskSaveChanges(bool force);
  // The save dialog; true when the project was written.
  bool SaveAsDialog(const QString& title);

  void New();
  void Open();
  void Save();
  void SaveAs();

  // Opens the first argument when it names a project (".ikp" in any case).
  void OpenStartupFile(const QStringList& arguments);
  // A message of a second start: code 1 hands over a file to open.
  void OnFileFromSecondStart(int code, const QString& path);

  // Reads the project at path, showing what went wrong when it cannot.
  bool OpenProjectFile(const QString& path);
  // Writes the project to path, showing what went wrong when it cannot.
  bool SaveProjectFile(const QString& path);

 private:
  TBoard& B;
};

}  // namespace inkora
