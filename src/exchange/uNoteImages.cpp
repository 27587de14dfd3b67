#include "exchange/uNoteImages.h"

#include "drawing/uBoard.h"
#include "exchange/uPngWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace inkora {

bool SaveNoteImage(const QImage& picture, const QString& path, QString* error) {
  const QString ext = QFileInfo(path).suffix().toUpper();
  const char* format = ext == "BMP" ? "BMP" : ext == "JPG" ? "JPEG" : ext == "PNG" ? "PNG" : nullptr;
  auto fail = [&](const QString& why) {
    if (error) *error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), why);
    return false;
  };
  if (!format) return fail(QStringLiteral("the format must be BMP, JPG or PNG"));
  if (picture.isNull()) return fail(QStringLiteral("there is no picture"));
  if (ext == "PNG") {
    QFile file(path);
    QString why;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fail(file.errorString());
    if (WritePng(picture, file, &why) && file.flush()) return true;
    file.remove();
    return fail(why.isEmpty() ? file.errorString() : why);
  }
  QImageWriter writer(path, format);
  // Notes are opaque: JPEG has no alpha, and BMP and PNG need none.
  if (writer.write(picture.convertToFormat(QImage::Format_RGB32))) return true;
  return fail(writer.errorString());
}

QString NumberedNoteName(const QString& base, int n, const QString& extension) {
  return base + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) + extension;
}

TNoteExport ExportNotePictures(const TBoard& board, const QString& folder, const QString& base,
                               const QString& extension) {
  TNoteExport result;
  if (!QDir().mkpath(folder)) {
    result.Message = QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(folder));
    return result;
  }
  const int count = board.Notes.Count();
  const QDir out(folder);
  std::vector<QString> files(static_cast<size_t>(count));
  for (int n = 1; n <= count; ++n) files[size_t(n - 1)] = out.filePath(NumberedNoteName(base, n, extension));

  // Each worker takes the next note, composes it on its own thread and writes it.
  std::atomic<int> next{1};
  std::atomic<bool> failed{false};
  std::mutex errorLock;
  QString firstError;
  int errorNote = count + 1;
  auto work = [&] {
    for (int n = next++; n <= count && !failed; n = next++) {
      QString error;
      const QImage picture = board.Notes.ComposeNote(n, 1);
      if (SaveNoteImage(picture, files[size_t(n - 1)], &error)) continue;
      const std::lock_guard<std::mutex> lock(errorLock);
      if (n < errorNote) {
        errorNote = n;
        firstError = error;
      }
      failed = true;
    }
  };
  const int workers = std::clamp(QThread::idealThreadCount(), 1, std::max(1, count));
  std::vector<std::thread> threads;
  for (int i = 1; i < workers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();

  if (failed) {
    result.Message = QStringLiteral("Note %1: %2").arg(errorNote).arg(firstError);
    return result;
  }
  result.Ok = true;
  result.Files = QStringList(files.begin(), files.end());
  return result;
}

}  // namespace inkora
