#include "notes/uProjectCommands.h"

#include "drawing/uBoard.h"
#include "notes/uNoteCollection.h"
#include "notes/uProject.h"
#include "shell/uLang.h"

#include <QDir>
#include <QFileInfo>

namespace inkora {

namespace {

QString askSaveText() { return Str("Messages", 103); }

bool hasSuffix(const QString& path, const char* suffix) {
  return path.endsWith(QLatin1StringView(suffix), Qt::CaseInsensitive);
}

}  // namespace

bool TProjectCommands::ResetProject(const QString& path) {
  if (B.Drawing) B.pbMouseUp(TMouseButton::Left, ssLeft, B.CurPt.x(), B.CurPt.y());
  B.Selection.ClearSelection();
  B.Model.Clear();
  B.Notes.NoteIndex.clear();
  B.Notes.CacheIndex.clear();

  // A fresh presentation starts in new folders. A project being read brings
  // its own work folder, unpacked and checked beside the current one.
  if (path.isEmpty()) {
    try {
      PrepareWorkFolders(Folders);
    } catch (const EWorkAreaError& e) {
      B.Host.ShowError(QString::fromUtf8(e.what()) + "\n\n" + e.Detail());
      return false;
    }
    B.WorkFolder = Folders.WorkFolder;
    B.Notes.CacheFolder = Folders.CacheFolder;
  }

  B.State.RecClock = 0;
  B.CurTool = tcFreePen;
  B.State.PenWidth = 1;
  B.TransMode = 0;
  B.SetColorIndex(B.State.ColorIndex);

  TProjectState& ps = B.Model.ProjectState;
  if (!path.isEmpty()) {
    ps.HasFile = true;
    ps.ProjectPath = path;
    B.SetModified(false);
    B.SetSaveItemOfMenuInUse(false);
    return true;
  }
  B.SetSaveItemOfMenuInUse(true);
  B.Notes.StartEmptyPresentation();
  ps.HasFile = false;
  ps.ProjectPath.clear();
  B.SetModified(false);
  return true;
}

bool TProjectCommands::AskSaveChanges(bool force) {
  const TProjectState& ps = B.Model.ProjectState;
  if (!ps.HasFile) {
    if (!force && !ps.Modified) return false;
    switch (B.Host.BoardMessageDlg(askSaveText(), TMsgDlgType::Confirmation, mbYes | mbNo | mbCancel)) {
      case TModalResult::Yes: return SaveAsDialog(Str("Menu", 802));
      case TModalResult::No: return true;
      default: return false;
    }
  }
  if (!ps.Modified) return true;
  switch (B.Host.BoardMessageDlg(askSaveText(), TMsgDlgType::Confirmation, mbYes | mbNo | mbCancel)) {
    case TModalResult::Yes: return SaveProjectFile(ps.ProjectPath);
    case TModalResult::No: return true;
    default: return false;
  }
}

bool TProjectCommands::SaveAsDialog(const QString& title) {
  TFileDialogRequest request;
  request.Title = title;
  request.Folder = B.State.DocFolder;
  request.Filter = kProjectFilter;
  request.FileName = StampName() + ".ikp";
  B.Host.LowerToolWindows();
  const QString file = B.Host.SaveFileDialog(request);
  B.Host.RaiseToolWindows();
  if (file.isEmpty()) return false;
  if (QFileInfo::exists(file) &&
      B.Host.BoardMessageDlg(Str("Messages", 105), TMsgDlgType::Confirmation, mbYes | mbNo) != TModalResult::Yes)
    return false;
  if (!SaveProjectFile(file)) return false;
  // Later Save commands write to the file just chosen.
  B.Model.ProjectState.HasFile = true;
  B.Model.ProjectState.ProjectPath = file;
  return true;
}

void TProjectCommands::New() {
  if (!B.Model.ProjectState.Modified || AskSaveChanges(false)) ResetProject();
}

void TProjectCommands::Open() {
  B.Host.LowerToolWindows();
  TFileDialogRequest request;
  request.Title = Str("Menu", 801);
  request.Folder = B.State.DocFolder;
  request.Filter = kProjectFilter;
  const QString file = B.Host.OpenFileDialog(request);
  if (!file.isEmpty()) {
    if (!B.Model.ProjectState.Modified) {
      OpenProjectFile(file);
    } else {
      switch (B.Host.BoardMessageDlg(askSaveText(), TMsgDlgType::Confirmation, mbYes | mbNo | mbCancel)) {
        case TModalResult::Yes:
          if (SaveAsDialog(Str("Menu", 802))) OpenProjectFile(file);
          break;
        case TModalResult::No: OpenProjectFile(file); break;
        default: break;
      }
    }
  }
  B.Host.RaiseToolWindows();
}

void TProjectCommands::Save() {
  if (B.Model.ProjectState.HasFile)
    SaveProjectFile(B.Model.ProjectState.ProjectPath);
  else
    SaveAsDialog(Str("Menu", 802));
}

void TProjectCommands::SaveAs() { SaveAsDialog(Str("Menu", 803)); }

void TProjectCommands::OpenStartupFile(const QStringList& arguments) {
  if (!arguments.isEmpty() && hasSuffix(arguments.first(), ".ikp")) OpenProjectFile(arguments.first());
}

void TProjectCommands::OnFileFromSecondStart(int code, const QString& path) {
  if (code != scOpenFile) return;
  const QFileInfo file(path);
  if (!file.isFile()) return;
  const QString name = file.absoluteFilePath();
  // Projects and lecture contents files open here; anything else is ignored.
  if (!hasSuffix(name, ".ikt") && !hasSuffix(name, ".ikp")) return;
  if (B.Model.ProjectState.Modified && !AskSaveChanges(false)) return;
  OpenProjectFile(name);
}

bool TProjectCommands::OpenProjectFile(const QString& path) {
  const TArchiveResult r = ReadProject(B, path);
  if (!r.Ok) B.Host.ShowError(r.Message);
  return r.Ok;
}

bool TProjectCommands::SaveProjectFile(const QString& path) {
  const TArchiveResult r = WriteProject(B, path);
  if (!r.Ok) B.Host.ShowError(r.Message);
  return r.Ok;
}

}  // namespace inkora
