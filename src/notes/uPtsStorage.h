// The point stream (Pts.evt): one 51-byte record per TPoints, back to back in
// PtList order, no header.
#pragma once

#include "drawing/uTypes.h"
#include "notes/uRecordStorage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace inkora {

inline constexpr int kPointRecordSize = 51;
// More samples than a presentation ever holds; a larger stream is refused.
inline constexpr qint64 kMaxPointRecords = 16'000'000;

// Byte offsets of the point record's fields.
namespace PointRecord {
inline constexpr int ObjId = 0;
inline constexpr int Time = 4;
inline constexpr int PtKind = 12;
inline constexpr int PressWidth = 13;  // 80-bit extended
inline constexpr int BrushWidth = 23;
inline constexpr int OrgPt = 27;  // x, y: int32 each
inline constexpr int Pt = 35;
inline constexpr int SparePt = 43;
}  // namespace PointRecord

QByteArray EncodePointRecord(const TPoints& pt);
// Writes the record of pt into the kPointRecordSize bytes at record.
void EncodePointRecordTo(const TPoints& pt, char* record);
// The sample a record stands for, every value as stored; missing bytes of a
// short record read as zero.
TPoints DecodePointRecord(QByteArrayView record);

// The point stream in memory. Loading (LoadFromFile, SetBytes) refuses a
// stream of more than kMaxPointRecords records.
class TPtsStorage : public TRecordStorage {
 public:
  TPtsStorage() : TRecordStorage(kPointRecordSize, kMaxPointRecords) {}
  using TRecordStorage::Add;
  // Encoded in place. False when the stream is full (kMaxPointRecords).
  bool Add(const TPoints& pt);
  TPoints CurrentPoint() const { return DecodePointRecord(Current()); }
  // Every whole record, in stream order.
  std::vector<TPoints> Points(size_t headroom = 0) const;
};

// Checks read samples before they are used: each names an object, that is
// its ObjId lies in 0..objCount-1.
TValidation ValidatePoints(const std::vector<TPoints>& pts, qsizetype objCount);

}  // namespace inkora
