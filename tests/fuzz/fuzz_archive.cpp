// Fuzz target for unpacking a project archive: any bytes must be refused or
// unpacked without a fault, within the limits, and a refused archive leaves
// nothing in the folder.
#include "notes/uArchive.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QTemporaryDir tmp;
  Check(tmp.isValid());
  const QString archive = tmp.filePath(QStringLiteral("input.ikp"));
  const QString folder = tmp.filePath(QStringLiteral("work"));
  {
    QFile f(archive);
    Check(f.open(QIODevice::WriteOnly));
    Check(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
  }
  Check(QDir().mkdir(folder));

  inkora::TUnzipLimits limits;
  limits.MaxTotalBytes = 1 << 20;
  limits.MaxMemberBytes = 256 << 10;
  limits.MaxMembers = 64;
  const inkora::TArchiveResult r = inkora::UnzipToFolder(archive, folder, limits);

  const QStringList left =
      QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  if (r.Ok) {
    Check(left.size() == r.Members.size());
    qint64 total = 0;
    for (const QString& name : left) total += QFileInfo(QDir(folder).filePath(name)).size();
    Check(total <= qint64(limits.MaxTotalBytes));
  } else {
    Check(!r.Message.isEmpty());
    Check(left.isEmpty());
  }
  // Nothing beside the folder but the input.
  Check(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                   QDir::NoDotAndDotDot).size() == 2);
  return 0;
}
