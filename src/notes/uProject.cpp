#include "notes/uProject.h"

#include "drawing/uBoard.h"
#include "notes/uDrawStorage.h"
#include "notes/uProjectInfo.h"
#include "notes/uPtsStorage.h"
#include "shell/uLang.h"
#include "shell/uSysHelpers.h"
#include "shell/uWorkFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace inkora {

namespace {

constexpr size_t kOpenedObjectRoom = 1 << 10;
constexpr size_t kOpenedPointRoom = 1 << 16;

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

// The hourglass and the progress window around one archive operation; both
// go away on every path out of it.
class TArchiveWindow {
 public:
  TArchiveWindow(IBoardHost& host, const QString& status) : H(host) {
    H.BeginWait();
    H.ShowProgress(status);
    H.SetProgress(1, kZipProgressMaximum);
  }
  ~TArchiveWindow() {
    H.CloseProgress();
    H.EndWait();
  }
  TArchiveProgress Reporter() {
    return [this](double fraction) { H.SetProgress(ZipProgressPosition(fraction), kZipProgressMaximum); };
  }

 private:
  IBoardHost& H;
};

QString statusText(int key, const QString& path) {
  return Str("Progress", key) + " - " + QFileInfo(path).fileName();
}

}  // namespace

int ZipProgressPosition(double fraction) {
  if (!(fraction >= 0.0)) return fraction < 0.0 ? 1 : kZipProgressMaximum;
  if (fraction >= 1.0) return kZipProgressMaximum;
  return int(std::floor(fraction * 10000.0)) + 1;
}

TArchiveResult WriteProject(TBoard& board, const QString& path) {
  const QString work = board.WorkFolder;
  if (work.isEmpty()) return failure(QStringLiteral("There is no work area to save from."));
  TArchiveWindow window(board.Host, statusText(1103, path));
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

  TArchiveResult result = ZipFolder(work, path, window.Reporter());
  if (!result.Ok) return result;
  board.SetModified(false);
  board.SetSaveItemOfMenuInUse(false);
  return result;
}

TArchiveResult ReadProject(TBoard& board, const QString& path, bool showNote) {
  if (board.WorkFolder.isEmpty()) return failure(QStringLiteral("There is no work area to open into."));
  // While a project is read the floating tool bars do nothing and stay behind.
  board.Opening = true;
  board.Host.LowerToolWindows();
  struct TOpeningEnd {
    TBoard& B;
    ~TOpeningEnd() {
      B.Host.RaiseToolWindows();
      B.Opening = false;
    }
  } openingEnd{board};
  TArchiveWindow window(board.Host, statusText(1104, path));

  const QString staging = stagingFolder(board.WorkFolder);
  DeleteTree(staging);
  if (!QDir().mkpath(staging) || !QFile::setPermissions(staging, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                     QFileDevice::ExeOwner))
    return failure(QString::fromUtf8(kWorkAreaError));
  auto refuse = [&](const QString& message) {
    DeleteTree(staging);
    return failure(QStringLiteral("%1 cannot be opened: %2").arg(QFileInfo(path).fileName(), message));
  };

  const TArchiveResult unpacked = UnzipToFolder(path, staging, {}, window.Reporter());
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

  // Room to draw on after opening without regrowing the lists at once.
  std::vector<TDrawObj> objects = objectStream.Objects(kOpenedObjectRoom);
  std::vector<TPoints> points = pointStream.Points(kOpenedPointRoom);
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

  board.Project.ResetProject(path);
  board.Model.Assign(std::move(objects), std::move(points));
  board.ProjectInfo = info;
  board.Notes.NoteIndex = keys;
  board.Host.SetProgress(0, int(keys.size()));
  board.Notes.RebuildNoteCaches(TNoteCollection::CacheOnDemand);
  board.Notes.SetCurrentNote(1);
  if (showNote) board.Notes.ShowNote();
  return {true, {}, unpacked.Members};
}

}  // namespace inkora
