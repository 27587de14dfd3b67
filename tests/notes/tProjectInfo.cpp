#include "notes/uProjectInfo.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <utility>
#include <vector>

#include "../support/testFiles.h"

namespace inkora {
namespace {

using test::ReadAll;
using test::WriteAll;

// A record as some other writer might leave it: no byte zero.
QByteArray ForeignRecord() {
  QByteArray b(kProjectInfoSize, '\0');
  for (int i = 0; i < b.size(); ++i) b[i] = char(1 + (i * 7) % 251);
  return b;
}

TEST(ProjectInfo, NewRecordHoldsTimesAndOneNote) {
  TProjectInfo info;
  info.Reset(46367.5);
  const QByteArray b = info.Bytes();
  ASSERT_EQ(b.size(), 1360);
  EXPECT_EQ(b.mid(520, 16).toHex(' '), QByteArray::fromHex("00000000f0a3e640" "00000000f0a3e640").toHex(' '));
  EXPECT_EQ(b.mid(828, 4).toHex(), "01000000");
  QByteArray rest = b;
  rest.replace(520, 16, QByteArray(16, '\0')).replace(828, 4, QByteArray(4, '\0'));
  EXPECT_EQ(rest, QByteArray(1360, '\0'));
}

TEST(ProjectInfo, FieldsSitAtTheirOffsets) {
  TProjectInfo info;
  info.SetLastSaveTime(36526.25);
  info.SetVersion("4.0.0.12345");  // cut to 10 bytes
  info.SetNoteCount(12);
  info.SetLogoFile("logo.png");
  info.SetLogoPos(9);
  info.SetLogoTrans(200);
  info.SetBGFile(QStringLiteral("fond é.jpg"));
  info.SetBGTrans(128);
  const QByteArray b = info.Bytes();
  const std::pair<int, QByteArray> fields[] = {
      {528, QByteArray::fromHex("00000000c8d5e140")},
      {804, QByteArray("\x0a" "4.0.0.1234")},
      {815, QByteArray(1, '\0')},
      {828, QByteArray::fromHex("0c000000")},
      {832, QByteArray("\x08" "logo.png")},
      {1088, QByteArray::fromHex("09000000" "c8000000")},
      {1096, QByteArray("\x0b" "fond \xc3\xa9.jpg")},
      {1352, QByteArray::fromHex("80000000" "00000000")},
  };
  for (const auto& [offset, bytes] : fields) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(b.mid(offset, bytes.size()).toHex(' '), bytes.toHex(' '));
  }
  EXPECT_EQ(info.Version(), "4.0.0.1234");
  EXPECT_EQ(info.BGFile(), QStringLiteral("fond é.jpg"));
  EXPECT_EQ(info.LogoTrans(), 200);
}

TEST(ProjectInfo, ReservedBytesAreCarriedFromFileToFile) {
  QTemporaryDir dir;
  const QString in = dir.filePath("in.dat"), out = dir.filePath("IKP.dat");
  const QByteArray foreign = ForeignRecord();
  ASSERT_TRUE(WriteAll(in, foreign));

  TProjectInfo info;
  info.Reset(1.0);
  ASSERT_TRUE(info.LoadFromFile(in));
  EXPECT_EQ(info.Bytes(), foreign);
  // What a save updates.
  info.SetLastSaveTime(46367.75);
  info.SetVersion("4.0.0.0");
  info.SetNoteCount(3);
  info.SetLogoFile("");
  info.SetLogoPos(5);
  info.SetLogoTrans(255);
  info.SetBGFile("bg.png");
  info.SetBGTrans(10);
  ASSERT_TRUE(info.SaveToFile(out));

  const QByteArray written = ReadAll(out);
  ASSERT_EQ(written.size(), 1360);
  // Every byte outside the updated fields is the foreign record's.
  const std::pair<int, int> updated[] = {{528, 8},    {804, 11},  {828, 4}, {832, 256},
                                         {1088, 8},   {1096, 256}, {1352, 4}};
  QByteArray keptWritten = written, keptForeign = foreign;
  for (auto [offset, size] : updated) {
    keptWritten.replace(offset, size, QByteArray(size, '\0'));
    keptForeign.replace(offset, size, QByteArray(size, '\0'));
  }
  EXPECT_EQ(keptWritten, keptForeign);

  TProjectInfo again;
  ASSERT_TRUE(again.LoadFromFile(out));
  EXPECT_EQ(again.LastSaveTime(), 46367.75);
  EXPECT_EQ(again.Version(), "4.0.0.0");
  EXPECT_EQ(again.NoteCount(), 3);
  EXPECT_EQ(again.LogoFile(), "");
  EXPECT_EQ(again.BGFile(), "bg.png");
  EXPECT_EQ(again.BGTrans(), 10);
}

TEST(ProjectInfo, ReadsUpTo1360Bytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath("IKP.dat");
  const QByteArray foreign = ForeignRecord();

  // A longer file: the first 1360 bytes.
  ASSERT_TRUE(WriteAll(path, foreign + QByteArray(5000, 'x')));
  TProjectInfo info;
  ASSERT_TRUE(info.LoadFromFile(path));
  EXPECT_EQ(info.Bytes(), foreign);

  // A shorter file lays its bytes over the start and leaves the rest.
  ASSERT_TRUE(WriteAll(path, QByteArray(500, '\0')));
  TProjectInfo shortInfo;
  shortInfo.Reset(46000.5);
  ASSERT_TRUE(shortInfo.LoadFromFile(path));
  EXPECT_EQ(shortInfo.CreationTime(), 46000.5);
  EXPECT_EQ(shortInfo.NoteCount(), 1);

  // A missing file is an error and changes nothing.
  QString error;
  EXPECT_FALSE(shortInfo.LoadFromFile(dir.filePath("none.dat"), &error));
  EXPECT_TRUE(error.contains("none.dat")) << error.toStdString();
  EXPECT_EQ(shortInfo.NoteCount(), 1);
}

TEST(DateTime, DaysSince18991230) {
  const std::pair<QDateTime, double> cases[] = {
      {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
      {QDateTime(QDate(2000, 1, 1), QTime(18, 0)), 36526.75},
      {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
      {QDateTime(QDate(2026, 12, 11), QTime(11, 3, 52, 123)), 46367 + (39832.123 / 86400)},
  };
  for (const auto& [dt, days] : cases) {
    SCOPED_TRACE(dt.toString(Qt::ISODateWithMs).toStdString());
    EXPECT_NEAR(DateTimeToDays(dt), days, 1e-9);
    EXPECT_EQ(DaysToDateTime(days), dt);
  }
  EXPECT_EQ(DaysToDateTime(36526.9999999999), QDateTime(QDate(2000, 1, 2), QTime(0, 0)));
  EXPECT_FALSE(DaysToDateTime(std::nan("")).isValid());
  EXPECT_FALSE(DaysToDateTime(1e300).isValid());
  EXPECT_FALSE(DaysToDateTime(-1e7).isValid());
}

TEST(NoteIndex, WritesOneLineWithCrLfPerNote) {
  EXPECT_EQ(NoteIndexToBytes({"d_20261211110352123.bmp"}), "d_20261211110352123.bmp\r\n");
  EXPECT_EQ(NoteIndexToBytes({"a.bmp", QStringLiteral("é.bmp")}), "a.bmp\r\n\xc3\xa9.bmp\r\n");
  EXPECT_EQ(NoteIndexToBytes({}), "");
}

TEST(NoteIndex, ReadsEveryLineEnd) {
  const std::pair<QByteArray, QStringList> cases[] = {
      {"a.bmp\r\nb.bmp\r\n", {"a.bmp", "b.bmp"}},
      {"a.bmp\nb.bmp\n", {"a.bmp", "b.bmp"}},
      {"a.bmp\rb.bmp\r", {"a.bmp", "b.bmp"}},
      {"a.bmp\r\nb.bmp\nc.bmp\rd.bmp", {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}},
      {"\xef\xbb\xbf" "a.bmp\r\n", {"a.bmp"}},
      {"a.bmp\r\n\r\nb.bmp\r\n", {"a.bmp", "", "b.bmp"}},
      {"\xc3\xa9.bmp\r\n", {QStringLiteral("é.bmp")}},
      {"\xe9\x80.bmp\r\n", {QStringLiteral("é€.bmp")}},  // Windows-1252
      {"", {}},
  };
  for (const auto& [bytes, keys] : cases) {
    SCOPED_TRACE(bytes.toStdString());
    EXPECT_EQ(NoteIndexFromBytes(bytes), keys);
  }
}

TEST(NoteIndex, SavesAndLoadsAndRefusesKeysWithLineBreaks) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Notes.inx");
  const QStringList keys = {"d_20261211110352123.bmp", QStringLiteral("Seite 2 ü.bmp")};
  ASSERT_TRUE(SaveNoteIndex(path, keys));
  QStringList read;
  ASSERT_TRUE(LoadNoteIndex(path, read));
  EXPECT_EQ(read, keys);

  QString error;
  EXPECT_FALSE(SaveNoteIndex(path, {"a.bmp", "b\nc.bmp"}, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(ReadAll(path), NoteIndexToBytes(keys)) << "the file is left as it was";

  EXPECT_FALSE(LoadNoteIndex(dir.filePath("missing.inx"), read, &error));
  EXPECT_TRUE(read.isEmpty());
}

TEST(NoteIndex, ValidationReportsKeysThatCannotNameAFile) {
  const std::pair<QStringList, const char*> cases[] = {
      {{"d_1.bmp", "2.bmp"}, nullptr},
      {{}, "lists no notes"},
      {{"d_1.bmp", ""}, "note 2 has the key \"\""},
      {{"../x.bmp"}, "not a bare file name"},
      {{"/etc/passwd"}, "not a bare file name"},
      {{"a\\b.bmp"}, "not a bare file name"},
      {{".."}, "not a bare file name"},
      {{"a.bmp", "b.bmp", "a.bmp"}, "note 3 has the key \"a.bmp\" of an earlier note"},
  };
  for (const auto& [keys, message] : cases) {
    SCOPED_TRACE(keys.join('|').toStdString());
    const TValidation v = ValidateNoteIndex(keys);
    if (!message) {
      EXPECT_TRUE(v.Ok()) << v.Text().toStdString();
    } else {
      EXPECT_EQ(v.IssueCount, 1);
      EXPECT_TRUE(v.Text().contains(message)) << v.Text().toStdString();
    }
  }
}

}  // namespace
}  // namespace inkora
