#include "notes/uRecordStorage.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error, bool synced) {
  if (synced) {
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes.data(), bytes.size()) == bytes.size() &&
        f.commit())
      return true;
    if (error) *error = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), f.errorString());
    return false;
  }

  // QSaveFile always syncs; the same steps without it.
  auto fail = [&](int err) {
    if (error)
      *error = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(),
                                            QString::fromLocal8Bit(std::strerror(err)));
    return false;
  };
  const QFileInfo target(path);
  if (target.fileName().isEmpty()) return fail(EINVAL);
  const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
  const QByteArray tempPrefix = QFile::encodeName(target.absolutePath()) + "/." +
                                QFile::encodeName(target.fileName()).left(128) + ".tmp-";
  // A new name each try; the file is made new (0666 under the umask), never
  // opened through a link.
  QByteArray tempPath;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath = tempPrefix + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(errno);
  }
  if (fd < 0) return fail(EEXIST);
  // A replaced file keeps its mode.
  struct stat st {};
  int err = 0;
  if (::stat(targetPath.constData(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0)
    err = errno;
  const char* data = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0 && err == 0) {
    const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
    if (n <= 0) {
      if (n == 0 || errno != EINTR) err = n == 0 ? EIO : errno;
      continue;
    }
    data += n;
    left -= n;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tempPath.constData(), targetPath.constData()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tempPath.constData());
    return fail(err);
  }
  return true;
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
  char* r = AppendRecord();
  if (!r) return false;
  std::copy_n(record.data(), std::min<qsizetype>(record.size(), FRecordSize), r);
  return true;
}

char* TRecordStorage::AppendRecord() {
  const qint64 count = RecordCount();
  if (count >= FMaxRecords) {
    ++FRefused;
    return nullptr;
  }
  // A trailing partial record (from SetBytes or LoadFromFile) is dropped so
  // that the new record starts on a record boundary.
  const qsizetype end = qsizetype(count * FRecordSize);
  FData.resize(end + FRecordSize);  // the capacity grows geometrically
  char* r = FData.data() + end;
  std::fill_n(r, FRecordSize, '\0');
  return r;
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
  FRefused = 0;
  First();
  return true;
}

void TRecordStorage::Clear() {
  FData.clear();
  FRefused = 0;
  First();
}

bool TRecordStorage::SaveToFile(const QString& path, QString* error) const {
  if (FRefused > 0) {
    if (error)
      *error = QStringLiteral("%1: %2 records did not fit in the stream of at most %3")
                   .arg(QFileInfo(path).fileName())
                   .arg(FRefused)
                   .arg(FMaxRecords);
    return false;
  }
  return WriteWholeFile(path, FData, error, false);
}

bool TRecordStorage::LoadFromFile(const QString& path, QString* error) {
  QByteArray bytes;
  if (!ReadBoundedFile(path, MaxBytes(), bytes, error)) return false;
  return SetBytes(std::move(bytes), error);
}

}  // namespace inkora
