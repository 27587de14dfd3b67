// Fuzz target for the readers of the fixed-layout project members: the object
// stream (MainEvt.evt), the point stream (Pts.evt), the information record
// (IKP.dat) and the note index (Notes.inx). Every input goes through all four.
// Any bytes must read without a fault, and what the formats promise must hold:
// the record count is the size divided by the record size, a read record
// written again reads as the same values, reserved bytes of IKP.dat survive a
// save, and a note index written again reads as the same keys.
#include "notes/uBinary.h"
#include "notes/uDrawStorage.h"
#include "notes/uProjectInfo.h"
#include "notes/uPtsStorage.h"

#include <QByteArray>
#include <QString>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace inkora;

void Check(bool condition) {
  if (!condition) std::abort();
}

void FuzzObjects(const QByteArray& bytes) {
  TDrawStorage s;
  if (!s.SetBytes(bytes)) return;
  Check(s.RecordCount() == bytes.size() / kObjectRecordSize);
  const std::vector<TDrawObj> objs = s.Objects();
  Check(qint64(objs.size()) == s.RecordCount());
  for (const TDrawObj& o : objs) {
    Check(o.PlainNote == 0);
    // One write turns the texts into UTF-8; from then on a record reads and
    // writes as itself, bit for bit (NaNs included).
    const QByteArray once = EncodeObjectRecord(o);
    Check(once.size() == kObjectRecordSize);
    Check(EncodeObjectRecord(DecodeObjectRecord(once)) == once);
  }
  const TValidation v = ValidateObjects(objs, 3);
  Check(v.Messages.size() <= TValidation::kMaxMessages && v.IssueCount >= v.Messages.size());

  // The walk of First/Next visits every record once, in order.
  s.First();
  for (qint64 i = 0; i < s.RecordCount(); ++i) {
    Check(s.Position() == i);
    Check(s.Current() == QByteArrayView(bytes).sliced(i * kObjectRecordSize, kObjectRecordSize));
    s.Next();
  }
}

void FuzzPoints(const QByteArray& bytes) {
  TPtsStorage s;
  if (!s.SetBytes(bytes)) return;
  Check(s.RecordCount() == bytes.size() / kPointRecordSize);
  const std::vector<TPoints> pts = s.Points();
  for (const TPoints& p : pts) {
    const QByteArray once = EncodePointRecord(p);
    Check(EncodePointRecord(DecodePointRecord(once)) == once);
    // Every double goes through the extended form unchanged (a NaN stays a
    // NaN).
    const double t = p.Time;
    const double back = ExtendedToDouble(DoubleToExtended(t));
    Check(std::isnan(t) ? std::isnan(back)
                        : std::bit_cast<uint64_t>(back) == std::bit_cast<uint64_t>(t));
  }
  ValidatePoints(pts, 2);
}

void FuzzProjectInfo(const QByteArray& bytes) {
  TProjectInfo info;
  info.Reset(46367.5);
  const qsizetype taken = info.ReadFrom(bytes);
  Check(taken == std::min<qsizetype>(bytes.size(), kProjectInfoSize));
  Check(info.Bytes().size() == kProjectInfoSize);
  Check(info.Bytes().first(taken) == bytes.first(taken));
  const QByteArray before = info.Bytes();
  (void)info.CreationTime();
  (void)DaysToDateTime(info.CreationTime());
  // A save updates its fields and nothing else.
  const QString version = info.Version(), logo = info.LogoFile(), bg = info.BGFile();
  info.SetLastSaveTime(46368.25);
  info.SetVersion(version);
  info.SetNoteCount(info.NoteCount());
  info.SetLogoFile(logo);
  info.SetBGFile(bg);
  const QByteArray after = info.Bytes();
  Check(after.size() == kProjectInfoSize);
  Check(after.first(528) == before.first(528));
  Check(after.sliced(536, 804 - 536) == before.sliced(536, 804 - 536));
  Check(after.sliced(815, 832 - 815) == before.sliced(815, 832 - 815));
  Check(after.sliced(1088, 1096 - 1088) == before.sliced(1088, 1096 - 1088));
  Check(after.sliced(1352) == before.sliced(1352));
  Check(info.Version() == version || version.toUtf8().size() > 10);
}

void FuzzNoteIndex(const QByteArray& bytes) {
  const QStringList keys = NoteIndexFromBytes(bytes);
  ValidateNoteIndex(keys);
  // Written again (UTF-8, CR LF) the keys read back, unless the first key
  // begins with U+FEFF, which a reader takes for a byte-order mark.
  if (!keys.isEmpty() && keys.front().startsWith(QChar(0xFEFF))) return;
  Check(NoteIndexFromBytes(NoteIndexToBytes(keys)) == keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  FuzzObjects(bytes);
  FuzzPoints(bytes);
  FuzzProjectInfo(bytes);
  FuzzNoteIndex(bytes);
  return 0;
}
