#include "shell/uIniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>

namespace inkora {
namespace {

// The characters trimmed around names and values: those the Windows profile
// functions trim, and a stray byte-order mark (a second one at the start of the
// file, or one pasted in) so that it cannot hide a section header.
bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == QChar(0xFEFF);
}

QStringView TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.sliced(b, e - b);
}

bool HasBlankEnds(const QString& s) {
  return !s.isEmpty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

bool HasLineBreakOrNul(const QString& s) {
  for (QChar c : s)
    if (c == u'\r' || c == u'\n' || c == u'\0') return true;
  return false;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Windows-1252 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString DecodeUtf8OrCp1252(QByteArrayView bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  text.resize(bytes.size());
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    text[i] = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
  }
  return text;
}

bool ParseIniInteger(const QString& text, int32_t& value) {
  const QStringView s = TrimBlanks(text);
  qsizetype i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  if (i == s.size()) return false;
  int64_t magnitude = 0;  // stays below 2^32: checked before each digit
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    magnitude = magnitude * 10 + (s[i].unicode() - u'0');
    if (magnitude > int64_t(INT32_MAX) + 1) return false;
  }
  if (!negative && magnitude > INT32_MAX) return false;
  value = int32_t(negative ? -magnitude : magnitude);
  return true;
}

TIniFile::TLine TIniFile::ParseLine(const QString& text) {
  TLine line;
  line.Text = text;
  const QStringView t = TrimBlanks(text);
  if (t.isEmpty() || t[0] == u';') return line;
  if (t[0] == u'[') {
    // "[name]" with anything after the ']' ignored; no ']' is a garbage line.
    const qsizetype close = t.indexOf(u']');
    if (close < 0) return line;
    line.Kind = TLineKind::Section;
    line.Name = TrimBlanks(t.sliced(1, close - 1)).toString();
    return line;
  }
  const qsizetype eq = t.indexOf(u'=');
  if (eq < 0) return line;
  const QStringView name = TrimBlanks(t.first(eq));
  if (name.isEmpty()) return line;
  line.Kind = TLineKind::Key;
  line.Name = name.toString();
  line.Value = TrimBlanks(t.sliced(eq + 1)).toString();
  return line;
}

TIniFile TIniFile::FromBytes(QByteArrayView bytes) {
  TIniFile ini;
  const QString text = DecodeUtf8OrCp1252(bytes);
  qsizetype start = 0;
  const qsizetype n = text.size();
  while (start < n) {
    qsizetype end = start;
    while (end < n && text[end] != u'\n' && text[end] != u'\r') ++end;
    ini.FLines.append(ParseLine(text.sliced(start, end - start)));
    if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
  return ini;
}

TIniFile::TLoadResult TIniFile::Load(const QString& path) {
  FLines.clear();
  const QFileInfo info(path);
  if (!info.exists()) return TLoadResult::Missing;
  // Only a regular file: a FIFO or a device would block or never end.
  if (!info.isFile() || info.size() > kMaxFileSize) return TLoadResult::Failed;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return TLoadResult::Failed;
  const QByteArray bytes = file.read(kMaxFileSize + 1);
  if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize)
    return TLoadResult::Failed;
  *this = FromBytes(bytes);
  return TLoadResult::Loaded;
}

QByteArray TIniFile::ToBytes() const {
  QString text;
  for (const TLine& line : FLines) {
    text += line.Text;
    text += u'\n';
  }
  return text.toUtf8();
}

bool TIniFile::Save(const QString& path) const {
  const QFileInfo info(path);
  if (info.exists()) {
    // A read-only file stays as it is, as it would on Windows. The owner's
    // write bit is checked as well because a rename would replace the file
    // even where access() lets root write anything.
    if (!info.isFile() || !info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner))
      return false;
  }
  QSaveFile file(path);  // temporary file in the same folder, flushed, synced, renamed over
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = ToBytes();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

qsizetype TIniFile::FindSection(const QString& name) const {
  for (qsizetype i = 0; i < FLines.size(); ++i)
    if (FLines[i].Kind == TLineKind::Section && SameName(FLines[i].Name, name)) return i;
  return -1;
}

qsizetype TIniFile::SectionEnd(qsizetype header) const {
  qsizetype i = header + 1;
  while (i < FLines.size() && FLines[i].Kind != TLineKind::Section) ++i;
  return i;
}

const TIniFile::TLine* TIniFile::FindKey(const QString& section, const QString& key) const {
  const qsizetype header = FindSection(section);
  if (header < 0) return nullptr;
  const qsizetype end = SectionEnd(header);
  for (qsizetype i = header + 1; i < end; ++i)
    if (FLines[i].Kind == TLineKind::Key && SameName(FLines[i].Name, key)) return &FLines[i];
  return nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  return FindKey(section, key) != nullptr;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  const TLine* line = FindKey(section, key);
  return line ? line->Value : def;
}

int32_t TIniFile::ReadInteger(const QString& section, const QString& key, int32_t def) const {
  const TLine* line = FindKey(section, key);
  int32_t value = 0;
  return line && ParseIniInteger(line->Value, value) ? value : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  if (section.isEmpty() || HasBlankEnds(section) || section.contains(u']') ||
      HasLineBreakOrNul(section))
    return false;
  if (key.isEmpty() || HasBlankEnds(key) || key.contains(u'=') || key.front() == u';' ||
      key.front() == u'[' || HasLineBreakOrNul(key))
    return false;
  if (HasLineBreakOrNul(value)) return false;

  const TLine keyLine = ParseLine(key + u'=' + value);
  const qsizetype header = FindSection(section);
  if (header < 0) {
    FLines.append(ParseLine(u'[' + section + u']'));
    FLines.append(keyLine);
    return true;
  }
  const qsizetype end = SectionEnd(header);
  qsizetype insertAt = header + 1;
  for (qsizetype i = header + 1; i < end; ++i) {
    if (FLines[i].Kind != TLineKind::Key) continue;
    if (SameName(FLines[i].Name, key)) {
      FLines[i] = keyLine;
      return true;
    }
    insertAt = i + 1;
  }
  FLines.insert(insertAt, keyLine);
  return true;
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int32_t value) {
  return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace inkora
