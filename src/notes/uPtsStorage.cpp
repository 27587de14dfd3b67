#include "notes/uPtsStorage.h"

#include "notes/uBinary.h"

namespace inkora {

QByteArray EncodePointRecord(const TPoints& pt) {
  QByteArray rec(kPointRecordSize, '\0');
  EncodePointRecordTo(pt, rec.data());
  return rec;
}

void EncodePointRecordTo(const TPoints& pt, char* record) {
  namespace R = PointRecord;
  TFieldWriter w(record, kPointRecordSize);
  w.I32(R::ObjId, pt.ObjId);
  w.Double(R::Time, pt.Time);
  w.U8(R::PtKind, pt.PtKind);
  w.Extended(R::PressWidth, pt.PressWidth);
  w.Single(R::BrushWidth, pt.BrushWidth);
  w.I32(R::OrgPt, pt.OrgPt.x());
  w.I32(R::OrgPt + 4, pt.OrgPt.y());
  w.I32(R::Pt, pt.Pt.x());
  w.I32(R::Pt + 4, pt.Pt.y());
  w.I32(R::SparePt, pt.SparePt.x());
  w.I32(R::SparePt + 4, pt.SparePt.y());
}

bool TPtsStorage::Add(const TPoints& pt) {
  char* record = AppendRecord();
  if (record) EncodePointRecordTo(pt, record);
  return record != nullptr;
}

TPoints DecodePointRecord(QByteArrayView record) {
  namespace R = PointRecord;
  const TFieldReader r(record);
  TPoints pt;
  pt.ObjId = r.I32(R::ObjId);
  pt.Time = r.Double(R::Time);
  pt.PtKind = r.U8(R::PtKind);
  pt.PressWidth = r.Extended(R::PressWidth);
  pt.BrushWidth = r.Single(R::BrushWidth);
  pt.OrgPt = {r.I32(R::OrgPt), r.I32(R::OrgPt + 4)};
  pt.Pt = {r.I32(R::Pt), r.I32(R::Pt + 4)};
  pt.SparePt = {r.I32(R::SparePt), r.I32(R::SparePt + 4)};
  return pt;
}

std::vector<TPoints> TPtsStorage::Points(size_t headroom) const {
  return DecodeAll<TPoints>(DecodePointRecord, headroom);
}

TValidation ValidatePoints(const std::vector<TPoints>& pts, qsizetype objCount) {
  TValidation v;
  for (size_t i = 0; i < pts.size(); ++i)
    if (pts[i].ObjId < 0 || pts[i].ObjId >= objCount)
      v.Report(QStringLiteral("sample %1 names object %2, which does not exist")
                   .arg(qint64(i))
                   .arg(pts[i].ObjId));
  return v;
}

}  // namespace inkora
