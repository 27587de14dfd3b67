#include "exchange/uNoteImages.h"
#include "exchange/uPngWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace inkora {
namespace {

QImage noise(QSize size, quint32 seed) {
  QImage img(size, QImage::Format_ARGB32_Premultiplied);
  QRandomGenerator rng(seed);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, 0xFF000000u | (rng.generate() & 0xFFFFFF));
  return img;
}

TEST(PngWriter, WritesEveryColourExactly) {
  // A 1x1, a board-like picture and noise that fills several data chunks.
  QImage board(640, 360, QImage::Format_RGB32);
  board.fill(Qt::white);
  for (int x = 100; x < 500; ++x) board.setPixel(x, 180, qRgb(200, 10, 30));
  QImage single(1, 1, QImage::Format_RGB32);
  single.fill(qRgb(1, 2, 3));
  for (const QImage& picture : {single, board, noise({1200, 700}, 7)}) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WritePng(picture, out));
    QBuffer in(&out.buffer());
    QImageReader reader(&in, "png");
    const QImage back = reader.read();
    ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32))
        << picture.width() << "x" << picture.height();
  }
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  QString error;
  EXPECT_FALSE(WritePng(QImage(), out, &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(NoteImages, FormatFollowsTheExtensionAndNamesAreNumbered) {
  QTemporaryDir dir;
  const QImage note = noise({64, 48}, 3);
  for (const char* name : {"a.png", "b.JPG", "c.bmp"}) {
    QString error;
    ASSERT_TRUE(SaveNoteImage(note, dir.filePath(name), &error)) << name << error.toStdString();
    QImageReader reader(dir.filePath(name));
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.size(), QSize(64, 48)) << name;
    EXPECT_EQ(reader.format(), QByteArray(name + 2).toLower() == "jpg" ? QByteArray("jpeg") : QByteArray(name + 2).toLower());
  }
  QString error;
  EXPECT_FALSE(SaveNoteImage(note, dir.filePath("d.gif"), &error));
  EXPECT_TRUE(error.contains("BMP, JPG or PNG"));
  EXPECT_FALSE(SaveNoteImage(note, dir.filePath("missing/e.png"), &error));
  EXPECT_FALSE(error.isEmpty());

  EXPECT_EQ(NumberedNoteName("lesson", 2, ".png"), "lesson002.png");
  EXPECT_EQ(NumberedNoteName("x", 1234, ".jpg"), "x1234.jpg");
}

}  // namespace
}  // namespace inkora
