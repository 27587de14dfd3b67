#include "notes/uProjectSummary.h"

#include "drawing/uBoard.h"

#include <QImageReader>
#include <QJsonArray>

#include <map>
#include <vector>

namespace inkora {

namespace {

QJsonValue dateTimeValue(double days) {
  const QDateTime t = DaysToDateTime(days);
  return t.isValid() ? QJsonValue(t.toString(Qt::ISODateWithMs)) : QJsonValue(QJsonValue::Null);
}

QJsonObject kindCounts(const std::map<int, int>& counts) {
  QJsonObject o;
  for (const auto& [kind, n] : counts) o.insert(ObjectKindName(kind), n);
  return o;
}

}  // namespace

QString ObjectKindName(int kind) {
  switch (kind) {
    case okNoteBackground: return "NoteBackground";
    case okImage: return "Image";
    case okFreePen: return "FreePen";
    case okBrushPen: return "BrushPen";
    case okLine: return "Line";
    case okRectangle: return "Rectangle";
    case okFilledRectangle: return "FilledRectangle";
    case okEllipse: return "Ellipse";
    case okFilledEllipse: return "FilledEllipse";
    case okDoubleArrow: return "DoubleArrow";
    case okSingleArrow: return "SingleArrow";
    case okNoteChange: return "NoteChange";
    case okEraseAll: return "EraseAll";
    case okErase: return "Erase";
    case okZoom: return "Zoom";
    case okScroll: return "Scroll";
    default: return QStringLiteral("Kind%1").arg(kind);
  }
}

QJsonObject ProjectSummary(const TBoard& board, const QString& path) {
  const int notes = board.Notes.Count();
  struct TNoteTally {
    std::map<int, int> kinds;
    int objects = 0, deleted = 0;
    qint64 samples = 0;
  };
  std::vector<TNoteTally> perNote(size_t(notes) + 1);  // [0]: objects of no note
  std::map<int, int> kinds;
  int deleted = 0;
  for (const TDrawObj& o : board.Model.ObjList()) {
    TNoteTally& t = perNote[o.NoteNo >= 1 && o.NoteNo <= notes ? size_t(o.NoteNo) : 0];
    ++kinds[o.Kind];
    ++t.kinds[o.Kind];
    ++t.objects;
    t.samples += board.Model.SampleCount(o.ObjId);
    if (o.Deleted) {
      ++deleted;
      ++t.deleted;
    }
  }

  QJsonArray noteList;
  for (int n = 1; n <= notes; ++n) {
    const QString key = board.Notes.NoteIndex[n - 1];
    QImageReader reader(board.WorkFolder + key);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    const TNoteTally& t = perNote[size_t(n)];
    noteList.append(QJsonObject{{"number", n},
                                {"key", key},
                                {"width", size.width()},
                                {"height", size.height()},
                                {"objects", t.objects},
                                {"deleted", t.deleted},
                                {"samples", t.samples},
                                {"kinds", kindCounts(t.kinds)}});
  }

  const TProjectInfo& info = board.ProjectInfo;
  return QJsonObject{
      {"file", path},
      {"noteCount", notes},
      {"notes", noteList},
      {"objects", board.Model.ObjCount()},
      {"objectsByKind", kindCounts(kinds)},
      {"deletedObjects", deleted},
      {"samples", qint64(board.Model.PtList().size())},
      {"info", QJsonObject{{"creationTime", dateTimeValue(info.CreationTime())},
                           {"lastSaveTime", dateTimeValue(info.LastSaveTime())},
                           {"version", info.Version()},
                           {"noteCount", info.NoteCount()},
                           {"logoFile", info.LogoFile()},
                           {"logoPos", info.LogoPos()},
                           {"logoTrans", info.LogoTrans()},
                           {"bgFile", info.BGFile()},
                           {"bgTrans", info.BGTrans()}}},
  };
}

}  // namespace inkora
