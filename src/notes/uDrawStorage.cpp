#include "notes/uDrawStorage.h"

#include "notes/uBinary.h"

namespace inkora {
namespace {

void PutPoint(TFieldWriter& w, int offset, QPoint p) {
  w.I32(offset, p.x());
  w.I32(offset + 4, p.y());
}

QPoint GetPoint(const TFieldReader& r, int offset) { return {r.I32(offset), r.I32(offset + 4)}; }

void PutRect(TFieldWriter& w, int offset, const TRectS& rect) {
  w.Single(offset, rect.X);
  w.Single(offset + 4, rect.Y);
  w.Single(offset + 8, rect.Width);
  w.Single(offset + 12, rect.Height);
}

TRectS GetRect(const TFieldReader& r, int offset) {
  return {r.Single(offset), r.Single(offset + 4), r.Single(offset + 8), r.Single(offset + 12)};
}

void PutCorners(TFieldWriter& w, int offset, const std::array<TPointS, 4>& corners) {
  for (int i = 0; i < 4; ++i) {
    w.Single(offset + 8 * i, corners[i].X);
    w.Single(offset + 8 * i + 4, corners[i].Y);
  }
}

std::array<TPointS, 4> GetCorners(const TFieldReader& r, int offset) {
  std::array<TPointS, 4> corners;
  for (int i = 0; i < 4; ++i) corners[i] = {r.Single(offset + 8 * i), r.Single(offset + 8 * i + 4)};
  return corners;
}

bool IsDrawableKind(uint8_t kind) { return kind >= okImage && kind <= okSingleArrow; }

}  // namespace

QByteArray EncodeObjectRecord(const TDrawObj& obj, bool* cut) {
  QByteArray rec(kObjectRecordSize, '\0');
  EncodeObjectRecordTo(obj, rec.data(), cut);
  return rec;
}

void EncodeObjectRecordTo(const TDrawObj& obj, char* record, bool* cut) {
  namespace R = ObjectRecord;
  TFieldWriter w(record, kObjectRecordSize);
  w.U8(R::Kind, obj.Kind);
  w.U8(R::EventCode, obj.EventCode);
  w.U8(R::Spare1, obj.Spare1);
  w.I32(R::TargetId, obj.TargetId);
  w.I32(R::ObjId, obj.ObjId);
  w.Double(R::Time, obj.Time);
  w.I32(R::AuxColor, obj.AuxColor);
  w.I32(R::NoteNo, obj.NoteNo);
  w.I32(R::BoardWidth, obj.BoardWidth);
  w.I32(R::BoardHeight, obj.BoardHeight);
  w.U8(R::DrawClass, obj.DrawClass);
  w.U8(R::Pressure, obj.Pressure);
  PutPoint(w, R::OrgP1, obj.OrgP1);
  PutPoint(w, R::OrgP2, obj.OrgP2);
  PutPoint(w, R::P1, obj.P1);
  PutPoint(w, R::P2, obj.P2);
  PutPoint(w, R::LineP1, obj.LineP1);
  PutPoint(w, R::LineP2, obj.LineP2);
  PutRect(w, R::OrgBounds, obj.OrgBounds);
  PutRect(w, R::Bounds, obj.Bounds);
  PutCorners(w, R::OrgCorners, obj.OrgCorners);
  PutCorners(w, R::Corners, obj.Corners);
  w.I32(R::Color, obj.Color);
  w.I32(R::Width, obj.Width);
  w.U8(R::Transparent, obj.Transparent);
  w.Single(R::PrevAngle, obj.PrevAngle);
  w.Single(R::Angle, obj.Angle);
  const bool fileNameWhole = w.ShortString(R::FileName, obj.FileName);
  w.U8(R::Deleted, obj.Deleted);
  w.Single(R::Zoom, obj.Zoom);
  w.I32(R::VScroll, obj.VScroll);
  w.I32(R::HScroll, obj.HScroll);
  const bool noteKeyWhole = w.ShortString(R::NoteKey, obj.NoteKey);
  if (cut) *cut = !fileNameWhole || !noteKeyWhole;
}

bool TDrawStorage::Add(const TDrawObj& obj) {
  char* record = AppendRecord();
  if (record) EncodeObjectRecordTo(obj, record);
  return record != nullptr;
}

TDrawObj DecodeObjectRecord(QByteArrayView record) {
  namespace R = ObjectRecord;
  const TFieldReader r(record);
  TDrawObj obj;
  obj.Kind = r.U8(R::Kind);
  obj.EventCode = r.U8(R::EventCode);
  obj.Spare1 = r.U8(R::Spare1);
  obj.TargetId = r.I32(R::TargetId);
  obj.ObjId = r.I32(R::ObjId);
  obj.Time = r.Double(R::Time);
  obj.AuxColor = r.I32(R::AuxColor);
  obj.NoteNo = r.I32(R::NoteNo);
  obj.BoardWidth = r.I32(R::BoardWidth);
  obj.BoardHeight = r.I32(R::BoardHeight);
  obj.DrawClass = r.U8(R::DrawClass);
  obj.Pressure = r.U8(R::Pressure);
  obj.OrgP1 = GetPoint(r, R::OrgP1);
  obj.OrgP2 = GetPoint(r, R::OrgP2);
  obj.P1 = GetPoint(r, R::P1);
  obj.P2 = GetPoint(r, R::P2);
  obj.LineP1 = GetPoint(r, R::LineP1);
  obj.LineP2 = GetPoint(r, R::LineP2);
  obj.OrgBounds = GetRect(r, R::OrgBounds);
  obj.Bounds = GetRect(r, R::Bounds);
  obj.OrgCorners = GetCorners(r, R::OrgCorners);
  obj.Corners = GetCorners(r, R::Corners);
  obj.Color = r.I32(R::Color);
  obj.Width = r.I32(R::Width);
  obj.Transparent = r.U8(R::Transparent);
  obj.PrevAngle = r.Single(R::PrevAngle);
  obj.Angle = r.Single(R::Angle);
  obj.FileName = r.ShortString(R::FileName);
  obj.Deleted = r.U8(R::Deleted);
  obj.Zoom = r.Single(R::Zoom);
  obj.VScroll = r.I32(R::VScroll);
  obj.HScroll = r.I32(R::HScroll);
  obj.PlainNote = 0;  // not stored
  obj.NoteKey = r.ShortString(R::NoteKey);
  return obj;
}

std::vector<TDrawObj> TDrawStorage::Objects(size_t headroom) const {
  return DecodeAll<TDrawObj>(DecodeObjectRecord, headroom);
}

TValidation ValidateObjects(const std::vector<TDrawObj>& objs, qsizetype noteCount) {
  TValidation v;
  const qint64 count = qint64(objs.size());
  for (qint64 i = 0; i < count; ++i) {
    const TDrawObj& o = objs[size_t(i)];
    if (o.ObjId != i)
      v.Report(QStringLiteral("object %1 has ObjId %2; it must equal its position").arg(i).arg(o.ObjId));
    if (o.NoteNo < 1 || o.NoteNo > noteCount)
      v.Report(QStringLiteral("object %1 belongs to note %2, outside 1..%3")
                   .arg(i)
                   .arg(o.NoteNo)
                   .arg(noteCount));
    if (IsDrawableKind(o.Kind) && (o.BoardWidth <= 0 || o.BoardHeight <= 0))
      v.Report(QStringLiteral("object %1 (kind %2) has the board size %3 x %4, not positive")
                   .arg(i)
                   .arg(int(o.Kind))
                   .arg(o.BoardWidth)
                   .arg(o.BoardHeight));
    if (o.Kind == okErase && (o.TargetId < 0 || o.TargetId >= count))
      v.Report(QStringLiteral("erase event %1 names object %2, which does not exist")
                   .arg(i)
                   .arg(o.TargetId));
    if (o.Kind == okNoteBackground && !IsBareFileName(o.NoteKey))
      v.Report(QStringLiteral("note background %1 names the picture \"%2\", not a bare file name")
                   .arg(i)
                   .arg(o.NoteKey));
    if (o.Kind == okImage && !IsBareFileName(o.FileName))
      v.Report(QStringLiteral("image %1 names the file \"%2\", not a bare file name")
                   .arg(i)
                   .arg(o.FileName));
  }
  return v;
}

}  // namespace inkora
