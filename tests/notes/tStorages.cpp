#include "../support/testFiles.h"
#include "notes/uDrawStorage.h"
#include "notes/uPtsStorage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <bit>

namespace inkora {
namespace {

// Every field set, none to its default, and no two numeric fields alike, so a
// field written or read at another field's place shows.
TDrawObj FullObject() {
  TDrawObj o;
  o.Kind = okDoubleArrow;
  o.EventCode = 28;
  o.Spare1 = 0xA5;
  o.TargetId = 70001;
  o.ObjId = 3;
  o.Time = 12.625;
  o.AuxColor = 0x00112233;
  o.NoteNo = 2;
  o.BoardWidth = 1920;
  o.BoardHeight = 1080;
  o.DrawClass = dcFigure;
  o.Pressure = 1;
  o.OrgP1 = {11, -12};
  o.OrgP2 = {13, 14};
  o.P1 = {-15, 16};
  o.P2 = {17, 18};
  o.LineP1 = {19, 20};
  o.LineP2 = {21, -22};
  o.OrgBounds = {1.25f, 2.5f, 3.75f, 4.125f};
  o.Bounds = {5.25f, 6.5f, 7.75f, 8.125f};
  o.OrgCorners = {TPointS{9.5f, 10.5f}, {11.5f, 12.5f}, {13.5f, 14.5f}, {15.5f, 16.5f}};
  o.Corners = {TPointS{-17.5f, 18.5f}, {19.5f, 20.5f}, {21.5f, 22.5f}, {23.5f, -24.5f}};
  o.Color = 0x00C0FFEE;
  o.Width = 7;
  o.Transparent = 1;
  o.PrevAngle = 33.5f;
  o.Angle = -47.25f;
  o.FileName = QStringLiteral("Bild äöü.png");
  o.Deleted = 1;
  o.Zoom = 1.75f;
  o.VScroll = 480;
  o.HScroll = 640;
  o.PlainNote = 1;
  o.NoteKey = QStringLiteral("d_20261211110352123.bmp");
  return o;
}

void ExpectSameObject(const TDrawObj& a, const TDrawObj& b) {
  EXPECT_EQ(a.Kind, b.Kind);
  EXPECT_EQ(a.EventCode, b.EventCode);
  EXPECT_EQ(a.Spare1, b.Spare1);
  EXPECT_EQ(a.TargetId, b.TargetId);
  EXPECT_EQ(a.ObjId, b.ObjId);
  EXPECT_EQ(std::bit_cast<uint64_t>(a.Time), std::bit_cast<uint64_t>(b.Time));
  EXPECT_EQ(a.AuxColor, b.AuxColor);
  EXPECT_EQ(a.NoteNo, b.NoteNo);
  EXPECT_EQ(a.BoardWidth, b.BoardWidth);
  EXPECT_EQ(a.BoardHeight, b.BoardHeight);
  EXPECT_EQ(a.DrawClass, b.DrawClass);
  EXPECT_EQ(a.Pressure, b.Pressure);
  EXPECT_EQ(a.OrgP1, b.OrgP1);
  EXPECT_EQ(a.OrgP2, b.OrgP2);
  EXPECT_EQ(a.P1, b.P1);
  EXPECT_EQ(a.P2, b.P2);
  EXPECT_EQ(a.LineP1, b.LineP1);
  EXPECT_EQ(a.LineP2, b.LineP2);
  EXPECT_EQ(a.OrgBounds, b.OrgBounds);
  EXPECT_EQ(a.Bounds, b.Bounds);
  EXPECT_EQ(a.OrgCorners, b.OrgCorners);
  EXPECT_EQ(a.Corners, b.Corners);
  EXPECT_EQ(a.Color, b.Color);
  EXPECT_EQ(a.Width, b.Width);
  EXPECT_EQ(a.Transparent, b.Transparent);
  EXPECT_EQ(a.PrevAngle, b.PrevAngle);
  EXPECT_EQ(a.Angle, b.Angle);
  EXPECT_EQ(a.FileName, b.FileName);
  EXPECT_EQ(a.Deleted, b.Deleted);
  EXPECT_EQ(a.Zoom, b.Zoom);
  EXPECT_EQ(a.VScroll, b.VScroll);
  EXPECT_EQ(a.HScroll, b.HScroll);
  EXPECT_EQ(a.NoteKey, b.NoteKey);
}

TPoints FullPoint() {
  TPoints p;
  p.ObjId = 5;
  p.Time = 3.25;
  p.PtKind = pkMiddle;
  p.PressWidth = 10 * double(2.1f) * 512 / 1024;
  p.BrushWidth = 6.5f;
  p.OrgPt = {101, -102};
  p.Pt = {103, 104};
  p.SparePt = {-105, 106};
  return p;
}

QByteArray Hex(const char* text) { return QByteArray::fromHex(text); }

TEST(ObjectRecord, EveryFieldRoundTripsAndPlainNoteIsNotStored) {
  const TDrawObj o = FullObject();
  const QByteArray rec = EncodeObjectRecord(o);
  ASSERT_EQ(rec.size(), kObjectRecordSize);
  const TDrawObj back = DecodeObjectRecord(rec);
  ExpectSameObject(back, o);
  EXPECT_EQ(back.PlainNote, 0);
}

TEST(ObjectRecord, FieldsSitAtTheirOffsets) {
  const QByteArray rec = EncodeObjectRecord(FullObject());
  struct Field {
    const char* name;
    int offset;
    QByteArray bytes;
  };
  const Field fields[] = {
      {"Kind, EventCode, Spare1", 0, Hex("091ca5")},
      {"TargetId", 3, Hex("71110100")},
      {"ObjId", 7, Hex("03000000")},
      {"Time 12.625", 11, Hex("0000000000402940")},
      {"AuxColor", 19, Hex("33221100")},
      {"BoardHeight", 31, Hex("38040000")},
      {"DrawClass, Pressure, OrgP1.x", 35, Hex("03010b000000")},
      {"LineP2.y", 81, Hex("eaffffff")},
      {"OrgBounds.X 1.25f", 85, Hex("0000a03f")},
      {"Bounds.Height 8.125f", 113, Hex("00000241")},
      {"OrgCorners[0].X 9.5f", 117, Hex("00001841")},
      {"Corners[3].Y -24.5f", 177, Hex("0000c4c1")},
      {"Color, Width, Transparent", 181, Hex("eeffc000" "07000000" "01")},
      {"PrevAngle 33.5f, Angle -47.25f", 190, Hex("00000642" "00003dc2")},
      {"FileName: length byte and UTF-8 text", 198, QByteArray("\x0f" "Bild \xc3\xa4\xc3\xb6\xc3\xbc.png")},
      {"FileName padding up to Deleted", 214, QByteArray(454 - 214, '\0')},
      {"Deleted, Zoom 1.75f, VScroll, HScroll", 454,
       Hex("01" "0000e03f" "e0010000" "80020000")},
      {"NoteKey", 467, QByteArray("\x17" "d_20261211110352123.bmp")},
      {"NoteKey padding to the end of the record", 491, QByteArray(kObjectRecordSize - 491, '\0')},
  };
  for (const auto& f : fields) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(rec.mid(f.offset, f.bytes.size()).toHex(' '), f.bytes.toHex(' '));
  }
}

TEST(ObjectRecord, DefaultObjectIs723BytesWithItsDefaults) {
  TDrawObj o;
  InitDrawObj(o);
  const QByteArray rec = EncodeObjectRecord(o);
  ASSERT_EQ(rec.size(), 723);
  EXPECT_EQ(rec.mid(0, 35).toHex(' '),
            Hex("000000" "ffffffff" "ffffffff" "000000000000f0bf" "ffffff00" "ffffffff" "ffffffff"
                "ffffffff")
                .toHex(' '));
  EXPECT_EQ(rec.mid(455, 4).toHex(), "0000803f");  // Zoom 1.0
}

TEST(ObjectRecord, NamesLongerThan255BytesAreCutAndSaid) {
  TDrawObj o;
  bool cut = true;
  o.NoteKey = "n.bmp";
  EncodeObjectRecord(o, &cut);
  EXPECT_FALSE(cut);
  o.FileName = QString(300, u'x');
  const QByteArray rec = EncodeObjectRecord(o, &cut);
  EXPECT_TRUE(cut);
  EXPECT_EQ(DecodeObjectRecord(rec).FileName, QString(255, u'x'));
  EXPECT_EQ(DecodeObjectRecord(rec).NoteKey, "n.bmp");
}

TEST(PointRecord, EveryFieldRoundTripsAtItsOffset) {
  const TPoints p = FullPoint();
  const QByteArray rec = EncodePointRecord(p);
  ASSERT_EQ(rec.size(), kPointRecordSize);
  EXPECT_EQ(rec.toHex(' '), Hex("05000000"                  // ObjId
                                "0000000000000a40"          // Time 3.25
                                "02"                        // PtKind
                                "0000000080ffffa70240"      // PressWidth, extended
                                "0000d040"                  // BrushWidth 6.5f
                                "650000009affffff"          // OrgPt
                                "6700000068000000"          // Pt
                                "97ffffff6a000000")         // SparePt
                                .toHex(' '));
  const TPoints back = DecodePointRecord(rec);
  EXPECT_EQ(back.ObjId, p.ObjId);
  EXPECT_EQ(back.Time, p.Time);
  EXPECT_EQ(back.PtKind, p.PtKind);
  EXPECT_EQ(back.PressWidth, p.PressWidth);
  EXPECT_EQ(back.BrushWidth, p.BrushWidth);
  EXPECT_EQ(back.OrgPt, p.OrgPt);
  EXPECT_EQ(back.Pt, p.Pt);
  EXPECT_EQ(back.SparePt, p.SparePt);
}

// An empty plain note: its page object and its note change event.
std::vector<TDrawObj> EmptyPlainNote() {
  std::vector<TDrawObj> objs(2);
  for (int i = 0; i < 2; ++i) {
    objs[i].Kind = i == 0 ? okNoteBackground : okNoteChange;
    objs[i].ObjId = i;
    objs[i].NoteNo = 1;
    objs[i].BoardWidth = 1920;
    objs[i].BoardHeight = 1080;
    objs[i].Time = 0;
    objs[i].PlainNote = 1;
    objs[i].NoteKey = "d_20261211110352123.bmp";
  }
  return objs;
}

TEST(DrawStorage, StreamSizesAndRecordCounts) {
  TDrawStorage s;
  for (const TDrawObj& o : EmptyPlainNote()) ASSERT_TRUE(s.Add(o));
  EXPECT_EQ(s.Bytes().size(), 1446);
  EXPECT_EQ(s.RecordCount(), 2);

  // One more byte: still two objects, the byte is ignored.
  TDrawStorage read;
  ASSERT_TRUE(read.SetBytes(s.Bytes() + QByteArray(1, '\x7f')));
  EXPECT_EQ(read.RecordCount(), 2);
  const std::vector<TDrawObj> objs = read.Objects();
  ASSERT_EQ(objs.size(), 2u);
  EXPECT_EQ(objs[1].Kind, okNoteChange);
  EXPECT_EQ(objs[1].PlainNote, 0);

  TDrawStorage empty;
  ASSERT_TRUE(empty.SetBytes(QByteArray(722, '\1')));
  EXPECT_EQ(empty.RecordCount(), 0);
  EXPECT_TRUE(empty.Objects().empty());
}

TEST(DrawStorage, FirstAndNextVisitEveryRecordOnce) {
  TDrawStorage s;
  for (int i = 0; i < 3; ++i) {
    TDrawObj o;
    o.ObjId = i;
    s.Add(o);
  }
  s.SetBytes(s.Bytes() + "xyz");  // a trailing partial record
  std::vector<int> seen;
  s.First();
  for (qint64 i = 0; i < s.RecordCount(); ++i) {
    seen.push_back(s.CurrentObj().ObjId);
    s.Next();
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
  // At the last record Next stays there.
  s.Next();
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(s.CurrentObj().ObjId, 2);
}

TEST(DrawStorage, AddAfterAPartialRecordKeepsRecordsAligned) {
  TDrawStorage s;
  ASSERT_TRUE(s.SetBytes(EncodeObjectRecord(FullObject()) + "partial"));
  TDrawObj o;
  o.ObjId = 1;
  ASSERT_TRUE(s.Add(o));
  EXPECT_EQ(s.Bytes().size(), 2 * kObjectRecordSize);
  EXPECT_EQ(s.Objects().at(1).ObjId, 1);
}

TEST(DrawStorage, SavesAndLoadsFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("MainEvt.evt");
  TDrawStorage s;
  s.Add(FullObject());
  s.Add(TDrawObj{});
  ASSERT_TRUE(s.SaveToFile(path));
  EXPECT_EQ(QFile(path).size(), 1446);

  TDrawStorage read;
  ASSERT_TRUE(read.LoadFromFile(path));
  ASSERT_EQ(read.RecordCount(), 2);
  read.First();
  ExpectSameObject(read.CurrentObj(), FullObject());

  QString error;
  EXPECT_FALSE(read.LoadFromFile(dir.filePath("Pts.evt"), &error));
  EXPECT_TRUE(error.contains("Pts.evt")) << error.toStdString();
  EXPECT_EQ(read.RecordCount(), 2) << "a failed load leaves the stream as it was";
}

TEST(PtsStorage, RoundTripsThroughAFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Pts.evt");
  TPtsStorage s;
  for (int i = 0; i < 3; ++i) {
    TPoints p = FullPoint();
    p.PtKind = uint8_t(i + 1);
    s.Add(p);
  }
  ASSERT_TRUE(s.SaveToFile(path));
  EXPECT_EQ(QFile(path).size(), 3 * 51);
  TPtsStorage read;
  ASSERT_TRUE(read.LoadFromFile(path));
  const std::vector<TPoints> pts = read.Points();
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[2].PtKind, pkLast);
  EXPECT_EQ(pts[2].PressWidth, FullPoint().PressWidth);
}

TEST(RecordStorage, SizesAreBounded) {
  TRecordStorage s(4, 2);  // at most two 4-byte records
  EXPECT_TRUE(s.SetBytes(QByteArray(11, 'a')));  // two records and a partial one
  QString error;
  EXPECT_FALSE(s.SetBytes(QByteArray(12, 'b'), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(s.Bytes(), QByteArray(11, 'a'));
  EXPECT_FALSE(s.Add("cccc"));

  QTemporaryDir dir;
  const QString path = dir.filePath("big.evt");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(12, 'd'));
  f.close();
  EXPECT_FALSE(s.LoadFromFile(path, &error));
  EXPECT_TRUE(error.contains("big.evt"));

  // A file that claims no size and never ends is cut off at the bound.
  QByteArray bytes;
  EXPECT_FALSE(ReadBoundedFile("/dev/zero", 1000, bytes, &error));
  EXPECT_TRUE(bytes.isEmpty());
}

TEST(RecordStorage, AStreamThatRefusedRecordsIsNeverSaved) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Pts.evt");
  ASSERT_TRUE(test::WriteAll(path, "previous"));
  ASSERT_TRUE(QFile::setPermissions(
      path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
  const QFileDevice::Permissions mode = QFile::permissions(path);

  TRecordStorage s(4, 2);
  EXPECT_TRUE(s.Add("aaaa"));
  EXPECT_TRUE(s.Add("bbbb"));
  EXPECT_FALSE(s.Add("cccc"));
  EXPECT_EQ(s.RefusedCount(), 1);
  QString error;
  EXPECT_FALSE(s.SaveToFile(path, &error)) << "a stream missing a record is not saved whole";
  EXPECT_TRUE(error.contains("Pts.evt")) << error.toStdString();
  EXPECT_EQ(test::ReadAll(path), "previous");

  // Emptied, it saves again: the file is replaced whole and keeps its mode,
  // and no temporary file is left beside it.
  s.Clear();
  EXPECT_TRUE(s.Add("dddd"));
  ASSERT_TRUE(s.SaveToFile(path, &error)) << error.toStdString();
  EXPECT_EQ(test::ReadAll(path), "dddd");
  EXPECT_EQ(QFile::permissions(path), mode);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Pts.evt"});
  EXPECT_FALSE(s.SaveToFile(dir.filePath("missing/Pts.evt"), &error));
  EXPECT_TRUE(error.contains("Pts.evt")) << error.toStdString();
}

TEST(Validation, ReportsWhatMustNotBeUsed) {
  struct Case {
    const char* what;
    void (*damage)(std::vector<TDrawObj>&);
    const char* message;  // part of the expected message; nullptr: no problem
  };
  const Case cases[] = {
      {"sound presentation", [](std::vector<TDrawObj>&) {}, nullptr},
      {"ObjId not its index", [](std::vector<TDrawObj>& o) { o[2].ObjId = 7; },
       "object 2 has ObjId 7"},
      {"NoteNo 0", [](std::vector<TDrawObj>& o) { o[1].NoteNo = 0; }, "belongs to note 0, outside 1..2"},
      {"NoteNo beyond the notes", [](std::vector<TDrawObj>& o) { o[3].NoteNo = 3; },
       "belongs to note 3"},
      {"stroke without a board size", [](std::vector<TDrawObj>& o) { o[2].BoardWidth = 0; },
       "object 2 (kind 2) has the board size 0 x 1080"},
      {"figure with a negative board height", [](std::vector<TDrawObj>& o) { o[3].BoardHeight = -1; },
       "object 3 (kind 4)"},
      {"erase event of a missing object", [](std::vector<TDrawObj>& o) { o[4].TargetId = 6; },
       "erase event 4 names object 6"},
      {"note background outside the folder",
       [](std::vector<TDrawObj>& o) { o[0].NoteKey = "../../etc/passwd"; }, "not a bare file name"},
      {"image in a subfolder", [](std::vector<TDrawObj>& o) { o[5].FileName = "a/b.png"; },
       "image 5 names the file \"a/b.png\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TDrawObj> objs(6);
    const uint8_t kinds[] = {okNoteBackground, okNoteChange, okFreePen, okLine, okErase, okImage};
    for (int i = 0; i < 6; ++i) {
      objs[i].Kind = kinds[i];
      objs[i].ObjId = i;
      objs[i].NoteNo = 1 + i % 2;
      objs[i].BoardWidth = 1920;
      objs[i].BoardHeight = 1080;
    }
    objs[0].NoteKey = "d_1.bmp";
    objs[1].BoardWidth = objs[1].BoardHeight = -1;  // events need no board size
    objs[4].TargetId = 2;
    objs[5].FileName = "pic.png";
    c.damage(objs);
    const TValidation v = ValidateObjects(objs, 2);
    if (!c.message) {
      EXPECT_TRUE(v.Ok()) << v.Text().toStdString();
    } else {
      EXPECT_EQ(v.IssueCount, 1);
      EXPECT_TRUE(v.Text().contains(c.message)) << v.Text().toStdString();
    }
  }
}

TEST(Validation, PointsMustNameAnObject) {
  std::vector<TPoints> pts(3);
  pts[0].ObjId = 0;
  pts[1].ObjId = 4;
  pts[2].ObjId = -1;
  const TValidation v = ValidatePoints(pts, 4);
  EXPECT_EQ(v.IssueCount, 2);
  EXPECT_TRUE(v.Text().contains("sample 1 names object 4")) << v.Text().toStdString();
  EXPECT_TRUE(v.Text().contains("sample 2 names object -1"));
}

TEST(Validation, MessagesAreCappedButEveryProblemCounted) {
  std::vector<TDrawObj> objs(1000);  // ObjId -1, NoteNo -1: two problems each
  for (TDrawObj& o : objs) o.Kind = okNoteChange;
  const TValidation v = ValidateObjects(objs, 1);
  EXPECT_EQ(v.IssueCount, 2000);
  EXPECT_EQ(v.Messages.size(), TValidation::kMaxMessages);
  EXPECT_TRUE(v.Text().endsWith("... and 1980 more"));
}

}  // namespace
}  // namespace inkora
