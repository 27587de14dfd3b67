// The object stream (MainEvt.evt): one 723-byte record per TDrawObj, back to
// back in ObjList order, no header. Every field is written and read at its
// offset; PlainNote is not part of the record and reads back as 0.
#pragma once

#include "drawing/uTypes.h"
#include "notes/uRecordStorage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace inkora {

inline constexpr int kObjectRecordSize = 723;
// More objects than a presentation ever holds; a larger stream is refused.
inline constexpr qint64 kMaxObjectRecords = 1'000'000;

// Byte offsets of the object record's fields.
namespace ObjectRecord {
inline constexpr int Kind = 0;
inline constexpr int EventCode = 1;
inline constexpr int Spare1 = 2;
inline constexpr int TargetId = 3;
inline constexpr int ObjId = 7;
inline constexpr int Time = 11;
inline constexpr int AuxColor = 19;
inline constexpr int NoteNo = 23;
inline constexpr int BoardWidth = 27;
inline constexpr int BoardHeight = 31;
inline constexpr int DrawClass = 35;
inline constexpr int Pressure = 36;
inline constexpr int OrgP1 = 37;  // x, y: int32 each
inline constexpr int OrgP2 = 45;
inline constexpr int P1 = 53;
inline constexpr int P2 = 61;
inline constexpr int LineP1 = 69;
inline constexpr int LineP2 = 77;
inline constexpr int OrgBounds = 85;   // X, Y, Width, Height: single each
inline constexpr int Bounds = 101;
inline constexpr int OrgCorners = 117;  // 4 x (X, Y): single each
inline constexpr int Corners = 149;
inline constexpr int Color = 181;
inline constexpr int Width = 185;
inline constexpr int Transparent = 189;
inline constexpr int PrevAngle = 190;
inline constexpr int Angle = 194;
inline constexpr int FileName = 198;  // short string, 256 bytes
inline constexpr int Deleted = 454;
inline constexpr int Zoom = 455;
inline constexpr int VScroll = 459;
inline constexpr int HScroll = 463;
inline constexpr int NoteKey = 467;  // short string, 256 bytes
}  // namespace ObjectRecord

// The record of obj (bytes after short-string texts are zero). *cut, when
// given, tells whether FileName or NoteKey was longer than 255 UTF-8 bytes
// and had to be cut.
QByteArray EncodeObjectRecord(const TDrawObj& obj, bool* cut = nullptr);
// Writes the record of obj into the kObjectRecordSize bytes at record.
void EncodeObjectRecordTo(const TDrawObj& obj, char* record, bool* cut = nullptr);
// The object a record stands for, every value as stored; missing bytes of a
// short record read as zero.
TDrawObj DecodeObjectRecord(QByteArrayView record);

// The object stream in memory. Loading (LoadFromFile, SetBytes) refuses a
// stream of more than kMaxObjectRecords records.
class TDrawStorage : public TRecordStorage {
 public:
  TDrawStorage() : TRecordStorage(kObjectRecordSize, kMaxObjectRecords) {}
  using TRecordStorage::Add;
  // Encoded in place. False when the stream is full (kMaxObjectRecords).
  bool Add(const TDrawObj& obj);
  TDrawObj CurrentObj() const { return DecodeObjectRecord(Current()); }
  // Every whole record, in stream order.
  std::vector<TDrawObj> Objects(size_t headroom = 0) const;
};

// Checks read objects before they are used: each ObjId equals its index, each
// NoteNo lies in 1..noteCount, drawable kinds (1..10) have a positive board
// size, an erase event names an existing object, and the picture names used
// as file names (NoteKey of a note background, FileName of an image) are bare
// file names.
TValidation ValidateObjects(const std::vector<TDrawObj>& objs, qsizetype noteCount);

}  // namespace inkora
