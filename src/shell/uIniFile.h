// A small INI reader and writer with the rules of the Windows private-profile
// functions, for Config.ini and the language files:
// - section and key names compare case-insensitively; the first matching
//   section and, inside it, the first matching key win, later duplicates are
//   ignored on read (and left alone on write);
// - a value is the text after the first '=', verbatim (no quote processing),
//   with blanks trimmed around the '=' and at the line ends;
// - comment lines (';'), lines without '=' and keys before the first section
//   are ignored; a missing file reads as empty;
// - the text is UTF-8 when the bytes are valid UTF-8 (a BOM is dropped), else
//   Windows-1252; CR LF, LF and lone CR all end a line.
// Writing changes a key in place or adds it at the end of its section (adding
// the section at the end of the file), so every other line of the file is
// kept; keys added to a section appear in the order they were written. The
// file is written as UTF-8 with LF line ends, through a temporary file in the
// same folder that is flushed and renamed over the target.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>

namespace inkora {

// UTF-8 when the bytes (after an optional UTF-8 BOM) are valid UTF-8, else
// Windows-1252. The five bytes that code page leaves undefined map to the C1
// control characters of the same value.
QString DecodeUtf8OrCp1252(QByteArrayView bytes);

// The integer a stored value stands for: optional blanks, an optional sign
// and decimal digits that fit in 32 bits. Anything else (text, "1.5", "0x10",
// an empty value, numbers beyond the 32-bit range) gives false.
bool ParseIniInteger(const QString& text, int32_t& value);

class TIniFile {
 public:
  enum class TLoadResult {
    Loaded,   // the file was read
    Missing,  // there is no such file: the contents are empty
    Failed,   // it exists but cannot be read (or is larger than kMaxFileSize): empty
  };
  // Larger files are not read: no settings or language file comes near it.
  static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

  TIniFile() = default;
  static TIniFile FromBytes(QByteArrayView bytes);

  // Replaces the contents with the file's.
  TLoadResult Load(const QString& path);
  // Writes the contents to path, replacing it atomically. False when the
  // file cannot be written or an existing one is read-only; the previous
  // file is then untouched.
  bool Save(const QString& path) const;
  QByteArray ToBytes() const;

  bool ValueExists(const QString& section, const QString& key) const;
  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  // def when the key is absent or its value is not a 32-bit decimal integer.
  int32_t ReadInteger(const QString& section, const QString& key, int32_t def) const;
  // ReadInteger(section, key, def ? 1 : 0) != 0.
  bool ReadBool(const QString& section, const QString& key, bool def) const;

  // False, and nothing changes, when the names or the value cannot be stored
  // so that they read back: an empty name, a name with blanks at its ends, a
  // section name with ']', a key name with '=' or starting with ';' or '[',
  // and any line break or NUL character. A value's blanks at its ends are
  // written but, as with Windows, do not read back.
  bool WriteString(const QString& section, const QString& key, const QString& value);
  bool WriteInteger(const QString& section, const QString& key, int32_t value);
  bool WriteBool(const QString& section, const QString& key, bool value);  // 1 or 0

 private:
  enum class TLineKind : uint8_t { Other, Section, Key };
  struct TLine {
    QString Text;  // the line as it stands in the file, without its line end
    TLineKind Kind = TLineKind::Other;
    QString Name;   // section or key name, trimmed
    QString Value;  // key value, trimmed
  };
  static TLine ParseLine(const QString& text);
  // Index of the header of the first section called name, or -1.
  qsizetype FindSection(const QString& name) const;
  // One past the last line of the section whose header is at index header.
  qsizetype SectionEnd(qsizetype header) const;
  const TLine* FindKey(const QString& section, const QString& key) const;

  QList<TLine> FLines;
};

}  // namespace inkora
