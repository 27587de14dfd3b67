#include "notes/uProject.h"

#include "drawing/uBoard.h"
#include "notes/uDrawStorage.h"
#include "notes/uProjectInfo.h"
#include "notes/uPtsStorage.h"
#include "shell/uSysHelpers.h"
#include "shell/uWorkFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace inkora {

namespace {

const char* const kTimelineMembers[] = {"RecPts.evt", "RecDetail.evt", "RecHeader.evt"};

TArchiveResult failure(const QString& message) { return {false, message, {}}; }

// A configured picture is carried in the project under its own name.
QString carryPicture(const QString& configured, const QString& workFolder) {
  if (configured.isEmpty()) return {};
  const QFileInfo file(configured);
  if (file.isFile()) {
    QFile::remove(workFolder + file.fileName());
    QFile::copy(configured, workFolder + file.fileName());
  }
  return file.fileName();
}

// The folder beside the work folder where an archive is unpacked and checked.
QString stagingFolder(const QString& workFolder) {
  return QFileInfo(QDir::cleanPath(workFolder)).path() + "/$tmp_Opening/";
}

}  // namespace

TArchiveResult WriteProject(TBoard& board, const QString& path, const TArchiveProgress& progress) {
  const QString work = board.WorkFolder;
  if (work.isEmpty()) return failure(QStringLiteral("There is no work area to save from."));
  QString error;

  TDrawStorage objects;
  for (const TDrawObj& o : board.Model.ObjList()) objects.Add(o);
  if (!objects.SaveToFile(work + "MainEvt.evt", &error)) return failure(error);

  TPtsStorage points;
  for (const TPoints& p : board.Model.PtList()) points.Add(p);
  if (!points.SaveToFile(work + "Pts.evt", &error)) return failure(error);

  // The timeline members stay empty until lectures are recorded.
  for (const char* name : kTimelineMembers) {
    QFile f(work + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return failure(QStringLiteral("Cannot write %1: %2").arg(f.fileName(), f.errorString()));
  }

  TProjectInfo& info = board.ProjectInfo;
  info.SetLastSaveTime(DateTimeToDays(QDateTime::currentDateTime()));
  info.SetNoteCount(int32_t(board.Notes.Count()));
  info.SetLogoFile(carryPicture(board.State.LogoFile, work));
  info.SetLogoPos(board.State.LogoPos);
  info.SetLogoTrans(board.State.LogoTrans);
  info.SetBGFile(carryPicture(board.State.BGFile, work));
  info.SetBGTrans(board.State.BGTrans);
  info.SetVersion(GetFileVersion());
  if (!info.SaveToFile(work + "IKP.dat", &error)) return failure(error);
  if (!SaveNoteIndex(work + "Notes.inx", board.Notes.NoteIndex, &error)) return failure(error);

  TArchiveResult result = ZipFolder(work, path, progress);
  if (result.Ok) board.SetModified(false);
  return result;
}

TArchiveResult ReadProject(TBoard& board, const QString& path, const TArchiveProgress& progress) {
  if (board.WorkFolder.isEmpty()) return failure(QStringLiteral("There is no work area to open into."));
  const QString staging = stagingFolder(board.WorkFolder);
  DeleteTree(staging);
  if (!QDir().mkpath(staging) || !QFile::setPermissions(staging, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                     QFileDevice::ExeOwner))
    return failure(QStringLiteral("Cannot Create Work Area!"));
  auto refuse = [&](const QString& message) {
    DeleteTree(staging);
    return failure(QStringLiteral("%1 cannot be opened: %2").arg(QFileInfo(path).fileName(), message));
  };

  const TArchiveResult unpacked = UnzipToFolder(path, staging, {}, progress);
  if (!unpacked.Ok) return refuse(unpacked.Message);

  QString error;
  TDrawStorage objectStream;
  if (!objectStream.LoadFromFile(staging + "MainEvt.evt", &error)) return refuse(error);
  TPtsStorage pointStream;
  if (!pointStream.LoadFromFile(staging + "Pts.evt", &error)) return refuse(error);
  TProjectInfo info;
  if (!info.LoadFromFile(staging + "IKP.dat", &error)) return refuse(error);
  QStringList keys;
  if (!LoadNoteIndex(staging + "Notes.inx", keys, &error)) return refuse(error);

  const std::vector<TDrawObj> objects = objectStream.Objects();
  const std::vector<TPoints> points = pointStream.Points();
  TValidation check = ValidateNoteIndex(keys);
  if (!check.Ok()) return refuse(check.Text());
  check = ValidateObjects(objects, keys.size());
  if (!check.Ok()) return refuse(check.Text());
  check = ValidatePoints(points, qsizetype(objects.size()));
  if (!check.Ok()) return refuse(check.Text());
  for (const QString& key : keys)
    if (!QFileInfo(staging + key).isFile())
      return refuse(QStringLiteral("the picture of note %1 is missing").arg(keys.indexOf(key) + 1));

  // Everything checked: the staged folder becomes the work folder.
  const QString work = board.WorkFolder;
  const QString previous = QFileInfo(QDir::cleanPath(work)).path() + "/$tmp_Previous";
  DeleteTree(previous);
  if (!QDir().rename(QDir::cleanPath(work), previous)) return refuse(QStringLiteral("the work area is in use"));
  if (!QDir().rename(QDir::cleanPath(staging), QDir::cleanPath(work))) {
    QDir().rename(previous, QDir::cleanPath(work));
    return refuse(QStringLiteral("the work area is in use"));
  }
  DeleteTree(previous);

  board.Selection.ClearSelection();
  board.Model.Clear();
  for (const TDrawObj& o : objects) board.Model.AppendObj(o);
  for (const TPoints& p : points) board.Model.AppendPoint(p);
  board.ProjectInfo = info;
  board.Notes.NoteIndex = keys;
  board.Model.ProjectState.HasFile = true;
  board.Model.ProjectState.ProjectPath = path;
  board.SetModified(false);
  board.Notes.RebuildNoteCaches();
  board.Notes.SetCurrentNote(1);
  board.Notes.ShowNote();
  return {true, {}, unpacked.Members};
}

}  // namespace inkora
