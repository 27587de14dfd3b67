// A growable in-memory stream of fixed-size records with a current-record
// buffer: the common part of the object and point storages (and of the
// recording timeline storages). The stream has no header: its record count is
// its size divided by the record size, and a trailing partial record is
// ignored. Helpers for reading and writing member files with a size bound and
// for collecting what a check of read data finds are here as well.
#pragma once

#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace inkora {

// Reads a whole file of at most maxSize bytes. A missing, unreadable or larger
// file gives false, empty out and a message naming the file.
bool ReadBoundedFile(const QString& path, qint64 maxSize, QByteArray& out, QString* error = nullptr);
// Writes bytes to path through a temporary file in the same folder that is
// renamed over it, so a failed write leaves the previous file as it was.
// synced: the file reaches the disk before it takes the place of the old one;
// without it the data may still be in the system's cache when this returns
// (enough for working files that are read back at once).
bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error = nullptr,
                    bool synced = true);

// A name that can stand for a file directly inside a folder: not empty, not
// "." or "..", no '/' or '\' and no NUL.
bool IsBareFileName(const QString& name);

// What a check of read data found: the number of problems and the messages of
// the first kMaxMessages of them.
struct TValidation {
  static constexpr int kMaxMessages = 20;
  qint64 IssueCount = 0;
  QStringList Messages;

  bool Ok() const { return IssueCount == 0; }
  void Report(const QString& message);
  // The messages as one text, with a last line counting those left out.
  QString Text() const;
};

class TRecordStorage {
 public:
  // maxRecords bounds the stream: adding beyond it and loading a larger
  // stream are refused.
  TRecordStorage(int recordSize, qint64 maxRecords);

  int RecordSize() const { return FRecordSize; }
  qint64 MaxRecords() const { return FMaxRecords; }
  qint64 RecordCount() const { return FData.size() / FRecordSize; }
  // The index of the current record.
  qint64 Position() const { return FPosition; }

  // Appends one record (a shorter one is padded with zeros, a longer one cut
  // to the record size). A trailing partial record left by a load is dropped
  // first, so that records stay on record boundaries. The current record is
  // left alone. False, and nothing added, when the stream already holds
  // MaxRecords() records; the refusal is counted.
  bool Add(QByteArrayView record);
  // Records that Add refused since the stream was last emptied or replaced.
  // A stream that refused records is incomplete: SaveToFile fails.
  qint64 RefusedCount() const { return FRefused; }

  // Goes to record 0 and reads it.
  void First();
  // Zeroes the buffer and reads the record at the current position into it:
  // all of it, or what there is of a trailing partial record.
  void ReadCurrent();
  // Moves to the next record unless the current one is the last, then reads
  // the current record. A loop of RecordCount() rounds, each using the
  // current record and then calling Next, visits every record once.
  void Next();
  // The current record buffer, always RecordSize() bytes.
  QByteArrayView Current() const { return FCurrent; }

  // Every whole record decoded by decode(QByteArrayView), in stream order,
  // in a vector with room for `headroom` more.
  template <class T, class Decode>
  std::vector<T> DecodeAll(Decode decode, size_t headroom = 0) const {
    std::vector<T> out;
    const qint64 count = RecordCount();
    out.reserve(size_t(count) + headroom);
    const QByteArrayView bytes(FData);
    for (qint64 i = 0; i < count; ++i) out.push_back(decode(bytes.sliced(i * FRecordSize, FRecordSize)));
    return out;
  }

  const QByteArray& Bytes() const { return FData; }
  // Replaces the stream; false (and the stream unchanged) when it is larger
  // than MaxRecords() whole records plus a partial one. Goes to record 0.
  bool SetBytes(QByteArray bytes, QString* error = nullptr);
  void Clear();

  // Writes the stream as a working file (WriteWholeFile, not synced: the
  // project archive that carries it is). Fails, writing nothing, when Add
  // refused records.
  bool SaveToFile(const QString& path, QString* error = nullptr) const;
  bool LoadFromFile(const QString& path, QString* error = nullptr);

 protected:
  // A new record of zeros at the end, for an encoder to fill in place, on the
  // same terms as Add; nullptr when the stream is full. The pointer is valid
  // until the stream next changes.
  char* AppendRecord();

 private:
  qint64 MaxBytes() const { return FMaxRecords * FRecordSize + (FRecordSize - 1); }

  int FRecordSize;
  qint64 FMaxRecords;
  QByteArray FData;
  QByteArray FCurrent;
  qint64 FPosition = 0;
  qint64 FRefused = 0;
};

}  // namespace inkora
