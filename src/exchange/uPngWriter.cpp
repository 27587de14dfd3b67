#include "exchange/uPngWriter.h"

#include <QIODevice>
#include <QtEndian>

#include <zlib.h>

#include <vector>

namespace inkora {

namespace {

constexpr size_t kChunkBytes = 1 << 20;  // IDAT chunk size
constexpr uint8_t kFilterUp = 2;

bool writeChunk(QIODevice& out, const char type[4], const uint8_t* data, size_t size) {
  uint8_t head[8];
  qToBigEndian(quint32(size), head);
  std::copy(type, type + 4, head + 4);
  uLong crc = crc32(0, head + 4, 4);
  if (size) crc = crc32(crc, data, uInt(size));
  uint8_t tail[4];
  qToBigEndian(quint32(crc), tail);
  return out.write(reinterpret_cast<const char*>(head), 8) == 8 &&
         (size == 0 || out.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size)) &&
         out.write(reinterpret_cast<const char*>(tail), 4) == 4;
}

}  // namespace

bool WritePng(const QImage& picture, QIODevice& out, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (picture.isNull()) return fail(QStringLiteral("there is no picture"));
  const QImage image = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32 ||
                               picture.format() == QImage::Format_ARGB32_Premultiplied
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
  const int w = image.width(), h = image.height();
  const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;

  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (out.write(reinterpret_cast<const char*>(signature), 8) != 8) return fail(out.errorString());
  uint8_t ihdr[13] = {};
  qToBigEndian(quint32(w), ihdr);
  qToBigEndian(quint32(h), ihdr + 4);
  ihdr[8] = 8;  // bits per channel
  ihdr[9] = 2;  // RGB
  if (!writeChunk(out, "IHDR", ihdr, sizeof ihdr)) return fail(out.errorString());

  z_stream z{};
  if (deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) return fail(QStringLiteral("cannot start compressing"));
  std::vector<uint8_t> row(size_t(w) * 3 + 1), prev(size_t(w) * 3 + 1, 0), cur(size_t(w) * 3 + 1);
  std::vector<uint8_t> buffer(kChunkBytes);
  z.next_out = buffer.data();
  z.avail_out = uInt(buffer.size());
  bool ok = true;
  auto flushOut = [&] {
    const size_t n = buffer.size() - z.avail_out;
    if (n && !writeChunk(out, "IDAT", buffer.data(), n)) ok = false;
    z.next_out = buffer.data();
    z.avail_out = uInt(buffer.size());
  };
  for (int y = 0; y < h && ok; ++y) {
    const auto* px = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uint8_t* c = cur.data() + 1;
    for (int x = 0; x < w; ++x) {
      const QRgb v = premultiplied ? qUnpremultiply(px[x]) : px[x];
      c[3 * x] = uint8_t(qRed(v));
      c[3 * x + 1] = uint8_t(qGreen(v));
      c[3 * x + 2] = uint8_t(qBlue(v));
    }
    row[0] = kFilterUp;
    for (size_t i = 1; i < row.size(); ++i) row[i] = uint8_t(cur[i] - prev[i]);
    std::swap(cur, prev);
    z.next_in = row.data();
    z.avail_in = uInt(row.size());
    while (z.avail_in > 0 && ok) {
      if (deflate(&z, Z_NO_FLUSH) != Z_OK) ok = false;
      if (z.avail_out == 0) flushOut();
    }
  }
  int status = Z_OK;
  while (ok && status != Z_STREAM_END) {
    status = deflate(&z, Z_FINISH);
    if (status != Z_OK && status != Z_STREAM_END) ok = false;
    if (z.avail_out == 0 || status == Z_STREAM_END) flushOut();
  }
  deflateEnd(&z);
  if (!ok || !writeChunk(out, "IEND", nullptr, 0)) return fail(out.errorString());
  return true;
}

}  // namespace inkora
