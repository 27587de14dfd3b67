#include "notes/uRecordStorage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace inkora {

bool ReadBoundedFile(const QString& path, qint64 maxSize, QByteArray& out, QString* error) {
  out.clear();
  auto fail = [&](const QString& why) {
    out.clear();
    if (error) *error = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), why);
    return false;
  };
  QFile f(path);
  if (!f.exists()) return fail(QStringLiteral("the file is missing"));
  if (!f.open(QIODevice::ReadOnly)) return fail(f.errorString());
  // The size a file claims is only a hint (devices and pipes claim 0): read in
  // chunks and stop as soon as the bound is passed.
  if (f.size() > maxSize)
    return fail(QStringLiteral("the file is larger than %1 bytes").arg(maxSize));
  out.reserve(qsizetype(std::clamp<qint64>(f.size(), 0, maxSize)));
  constexpr qint64 kChunk = 1 << 20;
  QByteArray chunk(qsizetype(std::min(kChunk, maxSize + 1)), Qt::Uninitialized);
  for (;;) {
    const qint64 want = std::min<qint64>(chunk.size(), maxSize + 1 - out.size());
    const qint64 got = f.read(chunk.data(), want);
    if (got < 0) return fail(f.errorString());
    if (got == 0) break;
    out.append(chunk.constData(), qsizetype(got));
    if (out.size() > maxSize)
      return fail(QStringLiteral("the file is larger than %1 bytes").arg(maxSize));
  }
  return true;
}

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error) {
  QSaveFile f(path);
  if (f.open(QIODevice::WriteOnly) && f.write(bytes.data(), bytes.size()) == bytes.size() &&
      f.commit())
    return true;
  if (error) *error = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), f.errorString());
  return false;
}

bool IsBareFileName(const QString& name) {
  if (name.isEmpty() || name == u"." || name == u"..") return false;
  for (QChar c : name)
    if (c == u'/' || c == u'\\' || c == u'\0') return false;
  return true;
}

void TValidation::Report(const QString& message) {
  if (Messages.size() < kMaxMessages) Messages.append(message);
  ++IssueCount;
}

QString TValidation::Text() const {
  QString text = Messages.join(u'\n');
  if (IssueCount > Messages.size())
    text += QStringLiteral("\n... and %1 more").arg(IssueCount - Messages.size());
  return text;
}

// ---------------------------------------------------------------------------

TRecordStorage::TRecordStorage(int recordSize, qint64 maxRecords)
    : FRecordSize(std::max(recordSize, 1)),
      FMaxRecords(std::max<qint64>(maxRecords, 0)),
      FCurrent(FRecordSize, '\0') {}

bool TRecordStorage::Add(QByteArrayView record) {
  if (RecordCount() >= FMaxRecords) return false;
  // A trailing partial record (from SetBytes or LoadFromFile) is dropped so
  // that the new record starts on a record boundary.
  FData.truncate(RecordCount() * FRecordSize);
  const qsizetype n = std::min<qsizetype>(record.size(), FRecordSize);
  FData.append(record.first(n));
  FData.append(FRecordSize - n, '\0');
  return true;
}

void TRecordStorage::First() {
  FPosition = 0;
  ReadCurrent();
}

void TRecordStorage::ReadCurrent() {
  FCurrent.fill('\0');
  const qint64 start = FPosition * FRecordSize;
  if (start < 0 || start >= FData.size()) return;
  const qint64 n = std::min<qint64>(FRecordSize, FData.size() - start);
  std::copy_n(FData.constData() + start, n, FCurrent.data());
}

void TRecordStorage::Next() {
  if (FPosition + 1 < RecordCount()) ++FPosition;
  ReadCurrent();
}

bool TRecordStorage::SetBytes(QByteArray bytes, QString* error) {
  if (bytes.size() > MaxBytes()) {
    if (error)
      *error = QStringLiteral("the stream holds more than %1 records of %2 bytes")
                   .arg(FMaxRecords)
                   .arg(FRecordSize);
    return false;
  }
  FData = std::move(bytes);
  First();
  return true;
}

void TRecordStorage::Clear() {
  FData.clear();
  First();
}

bool TRecordStorage::SaveToFile(const QString& path, QString* error) const {
  return WriteWholeFile(path, FData, error);
}

bool TRecordStorage::LoadFromFile(const QString& path, QString* error) {
  QByteArray bytes;
  if (!ReadBoundedFile(path, MaxBytes(), bytes, error)) return false;
  return SetBytes(std::move(bytes), error);
}

}  // namespace inkora
