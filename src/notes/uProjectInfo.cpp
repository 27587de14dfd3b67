#include "notes/uProjectInfo.h"

#include "notes/uBinary.h"
#include "shell/uIniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cmath>

namespace inkora {
namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;
const QDate kDayZero(1899, 12, 30);

}  // namespace

double DateTimeToDays(const QDateTime& dt) {
  const QDateTime local = dt.toLocalTime();
  const double days = double(kDayZero.daysTo(local.date()));
  const double fraction = double(local.time().msecsSinceStartOfDay()) / double(kMsecsPerDay);
  return days < 0 ? days - fraction : days + fraction;
}

QDateTime DaysToDateTime(double days) {
  // 0001-01-01 and 9999-12-31 as day numbers.
  if (!(days > -693594.0 && days < 2958466.0)) return {};
  const double whole = std::trunc(days);
  qint64 msecs = std::llround(std::fabs(days - whole) * double(kMsecsPerDay));
  QDate date = kDayZero.addDays(qint64(whole));
  if (msecs >= kMsecsPerDay) {
    date = date.addDays(1);
    msecs -= kMsecsPerDay;
  }
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

// ---------------------------------------------------------------------------

TProjectInfo::TProjectInfo() : FBytes(kProjectInfoSize, '\0') {}

void TProjectInfo::Reset(double now) {
  FBytes.fill('\0');
  SetCreationTime(now);
  SetLastSaveTime(now);
  SetNoteCount(1);
}

namespace R = ProjectInfoRecord;

double TProjectInfo::CreationTime() const { return TFieldReader(FBytes).Double(R::CreationTime); }
void TProjectInfo::SetCreationTime(double days) { TFieldWriter(FBytes).Double(R::CreationTime, days); }
double TProjectInfo::LastSaveTime() const { return TFieldReader(FBytes).Double(R::LastSaveTime); }
void TProjectInfo::SetLastSaveTime(double days) { TFieldWriter(FBytes).Double(R::LastSaveTime, days); }

QString TProjectInfo::Version() const {
  return TFieldReader(FBytes).ShortString(R::Version, R::VersionCapacity);
}
void TProjectInfo::SetVersion(const QString& version) {
  TFieldWriter(FBytes).ShortString(R::Version, version, R::VersionCapacity);
}

int32_t TProjectInfo::NoteCount() const { return TFieldReader(FBytes).I32(R::NoteCount); }
void TProjectInfo::SetNoteCount(int32_t count) { TFieldWriter(FBytes).I32(R::NoteCount, count); }

QString TProjectInfo::LogoFile() const { return TFieldReader(FBytes).ShortString(R::LogoFile); }
void TProjectInfo::SetLogoFile(const QString& name) { TFieldWriter(FBytes).ShortString(R::LogoFile, name); }
int32_t TProjectInfo::LogoPos() const { return TFieldReader(FBytes).I32(R::LogoPos); }
void TProjectInfo::SetLogoPos(int32_t pos) { TFieldWriter(FBytes).I32(R::LogoPos, pos); }
int32_t TProjectInfo::LogoTrans() const { return TFieldReader(FBytes).I32(R::LogoTrans); }
void TProjectInfo::SetLogoTrans(int32_t opacity) { TFieldWriter(FBytes).I32(R::LogoTrans, opacity); }

QString TProjectInfo::BGFile() const { return TFieldReader(FBytes).ShortString(R::BGFile); }
void TProjectInfo::SetBGFile(const QString& name) { TFieldWriter(FBytes).ShortString(R::BGFile, name); }
int32_t TProjectInfo::BGTrans() const { return TFieldReader(FBytes).I32(R::BGTrans); }
void TProjectInfo::SetBGTrans(int32_t opacity) { TFieldWriter(FBytes).I32(R::BGTrans, opacity); }

qsizetype TProjectInfo::ReadFrom(QByteArrayView data) {
  const qsizetype n = std::min<qsizetype>(data.size(), kProjectInfoSize);
  std::copy_n(data.data(), n, FBytes.data());
  return n;
}

bool TProjectInfo::LoadFromFile(const QString& path, QString* error) {
  QFile f(path);
  const bool opened = f.exists() && f.open(QIODevice::ReadOnly);
  QByteArray data;
  if (opened) data = f.read(kProjectInfoSize);
  if (!opened || f.error() != QFileDevice::NoError) {
    if (error)
      *error = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(),
                                            f.exists() ? f.errorString()
                                                       : QStringLiteral("the file is missing"));
    return false;
  }
  ReadFrom(data);
  return true;
}

bool TProjectInfo::SaveToFile(const QString& path, QString* error) const {
  return WriteWholeFile(path, FBytes, error);
}

// ---------------------------------------------------------------------------

QByteArray NoteIndexToBytes(const QStringList& keys) {
  QByteArray out;
  for (const QString& key : keys) {
    out += key.toUtf8();
    out += "\r\n";
  }
  return out;
}

QStringList NoteIndexFromBytes(QByteArrayView bytes) {
  const QString text = DecodeUtf8OrCp1252(bytes);
  QStringList keys;
  const qsizetype n = text.size();
  qsizetype start = 0;
  while (start < n) {
    qsizetype end = start;
    while (end < n && text[end] != u'\r' && text[end] != u'\n') ++end;
    keys.append(text.sliced(start, end - start));
    if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
  return keys;
}

bool SaveNoteIndex(const QString& path, const QStringList& keys, QString* error) {
  for (const QString& key : keys) {
    if (key.contains(u'\r') || key.contains(u'\n')) {
      if (error)
        *error = QStringLiteral("%1: the note key \"%2\" holds a line break")
                     .arg(QFileInfo(path).fileName(), key);
      return false;
    }
  }
  return WriteWholeFile(path, NoteIndexToBytes(keys), error);
}

bool LoadNoteIndex(const QString& path, QStringList& keys, QString* error) {
  keys.clear();
  QByteArray bytes;
  if (!ReadBoundedFile(path, kMaxNoteIndexSize, bytes, error)) return false;
  keys = NoteIndexFromBytes(bytes);
  return true;
}

TValidation ValidateNoteIndex(const QStringList& keys) {
  TValidation v;
  if (keys.isEmpty()) v.Report(QStringLiteral("the note index lists no notes"));
  QSet<QString> seen;
  for (qsizetype i = 0; i < keys.size(); ++i) {
    if (!IsBareFileName(keys[i]))
      v.Report(QStringLiteral("note %1 has the key \"%2\", not a bare file name").arg(i + 1).arg(keys[i]));
    else if (seen.contains(keys[i]))
      v.Report(QStringLiteral("note %1 has the key \"%2\" of an earlier note").arg(i + 1).arg(keys[i]));
    seen.insert(keys[i]);
  }
  return v;
}

}  // namespace inkora
