// Whole-file reads and writes for tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace inkora::test {

// The file's bytes, or "<unreadable>" when it cannot be opened.
inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace inkora::test
