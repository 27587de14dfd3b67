// The project information record (IKP.dat) and the note index (Notes.inx).
//
// IKP.dat is one record of exactly 1360 bytes laid out with natural alignment.
// The record is kept as its bytes: the fields the program knows are read and
// written in place, and every other byte (reserved fields, padding, whatever a
// later version put there) is carried unchanged from the file read to the
// file written.
//
// Notes.inx is text, one note key per line in note order. It is written as
// UTF-8 with CR LF after every line; a reader takes UTF-8 (a BOM is
// tolerated) or, when the bytes are not valid UTF-8, Windows-1252, and CR LF,
// LF or CR as line ends.
#pragma once

#include "notes/uRecordStorage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace inkora {

inline constexpr int kProjectInfoSize = 1360;

// Byte offsets of the fields of IKP.dat that the program uses. All else is
// reserved (zero in a new record) or padding.
namespace ProjectInfoRecord {
inline constexpr int CreationTime = 520;  // double, date-time
inline constexpr int LastSaveTime = 528;  // double, date-time
inline constexpr int Version = 804;       // short string of at most 10 bytes (11 bytes)
inline constexpr int VersionCapacity = 10;
inline constexpr int NoteCount = 828;     // int32
inline constexpr int LogoFile = 832;      // short string, 256 bytes
inline constexpr int LogoPos = 1088;      // int32, 1..9
inline constexpr int LogoTrans = 1092;    // int32, 0..255
inline constexpr int BGFile = 1096;       // short string, 256 bytes
inline constexpr int BGTrans = 1352;      // int32, 0..255
}  // namespace ProjectInfoRecord

// Date-times are stored as days since 1899-12-30 (local time) with the time
// of day as fraction; before that day the whole part counts back and the
// fraction still counts forward (-1.25 is 1899-12-29 06:00).
double DateTimeToDays(const QDateTime& dt);
// Invalid for a value that is not a number or lies outside the years 1..9999.
QDateTime DaysToDateTime(double days);

class TProjectInfo {
 public:
  // A record of zeros.
  TProjectInfo();

  // The record of a new presentation: zeros, both times now, one note.
  void Reset(double now);

  double CreationTime() const;
  void SetCreationTime(double days);
  double LastSaveTime() const;
  void SetLastSaveTime(double days);
  QString Version() const;
  void SetVersion(const QString& version);  // cut to 10 bytes
  int32_t NoteCount() const;
  void SetNoteCount(int32_t count);
  QString LogoFile() const;
  void SetLogoFile(const QString& name);
  int32_t LogoPos() const;
  void SetLogoPos(int32_t pos);
  int32_t LogoTrans() const;
  void SetLogoTrans(int32_t opacity);
  QString BGFile() const;
  void SetBGFile(const QString& name);
  int32_t BGTrans() const;
  void SetBGTrans(int32_t opacity);

  // The 1360 bytes.
  const QByteArray& Bytes() const { return FBytes; }
  // Lays the first (up to) 1360 bytes of data over the record; bytes beyond
  // a shorter data keep their values. Returns the number of bytes taken.
  qsizetype ReadFrom(QByteArrayView data);

  // Reads up to 1360 bytes of the file (a longer file's rest is not read).
  // False with a message when the file is missing or cannot be read; the
  // record is then unchanged.
  bool LoadFromFile(const QString& path, QString* error = nullptr);
  bool SaveToFile(const QString& path, QString* error = nullptr) const;

 private:
  QByteArray FBytes;
};

// Larger note indexes are refused: a key per note, far beyond any presentation.
inline constexpr qint64 kMaxNoteIndexSize = 16 * 1024 * 1024;

// The text of Notes.inx: every key followed by CR LF, UTF-8 without a BOM.
QByteArray NoteIndexToBytes(const QStringList& keys);
// The keys of a Notes.inx text, one per line. A last line without its line
// end counts; nothing after the last line end does.
QStringList NoteIndexFromBytes(QByteArrayView bytes);

// False, with a message and nothing written, when a key holds a line break
// (it would read back as two notes).
bool SaveNoteIndex(const QString& path, const QStringList& keys, QString* error = nullptr);
// False, with a message and keys empty, when the file is missing, unreadable
// or larger than kMaxNoteIndexSize.
bool LoadNoteIndex(const QString& path, QStringList& keys, QString* error = nullptr);

// Checks a read note index before its keys are used as file names: at least
// one note, every key a bare file name, no key twice.
TValidation ValidateNoteIndex(const QStringList& keys);

}  // namespace inkora
