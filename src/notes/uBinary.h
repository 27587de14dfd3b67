// Field access for the fixed-layout binary members of a project (object and
// point streams, the information record): little-endian integers, IEEE
// single and double, the 80-bit x87 extended float and short strings, each at
// a byte offset of a record buffer.
//
// The readers and writers check the offset against the buffer they were given:
// a field that would reach past the end reads as zero and is not written. The
// record layouts use constant offsets inside records of known size, so this
// never happens in correct code; it keeps a mistake from touching memory
// outside the record.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <bit>
#include <cstdint>

namespace inkora {

// The 10 bytes of an x87 extended float as stored: 64-bit significand with
// an explicit integer bit (bytes 0..7, little-endian), then sign and 15-bit
// exponent (bytes 8..9).
using TExtendedBytes = std::array<uint8_t, 10>;

// double -> extended. Exact for every double: zeros keep their sign, double
// denormals become normal extended numbers, infinities stay infinities and a
// NaN stays a quiet NaN with its payload.
TExtendedBytes DoubleToExtended(double value);

// extended -> double, rounded to nearest (ties to even). Values beyond the
// double range become infinities; values below half the smallest double
// denormal (every extended denormal among them) become zeros of their sign.
// A NaN stays a NaN (payload kept as far as it fits, quiet bit set). The
// encodings the x87 itself refuses are read by their value: an unnormal
// (exponent not zero, integer bit clear) as significand x 2^exponent, a
// pseudo-denormal as a denormal, and a pseudo-infinity (integer bit clear,
// fraction zero) as an infinity.
double ExtendedToDouble(const TExtendedBytes& bytes);

// A short string is a length byte n followed by `capacity` text bytes, of
// which the first n are the text; the rest are zero when we write them.
inline constexpr int kShortStringCapacity = 255;
inline constexpr int ShortStringSize(int capacity = kShortStringCapacity) { return capacity + 1; }

// The UTF-8 bytes of text, cut to at most capacity bytes at a character
// (code point) boundary; *wasCut tells whether anything was cut.
QByteArray ShortStringBytes(const QString& text, int capacity = kShortStringCapacity,
                            bool* wasCut = nullptr);

// The text of a short string field (length byte + capacity bytes). A length
// byte beyond the capacity, or beyond the bytes at hand, is limited to them.
// The text is UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeShortString(QByteArrayView field, int capacity = kShortStringCapacity);

// Reads fields of one record.
class TFieldReader {
 public:
  explicit TFieldReader(QByteArrayView record) : FData(record) {}

  QByteArrayView Data() const { return FData; }
  bool Has(qsizetype offset, qsizetype size) const {
    return offset >= 0 && size >= 0 && offset <= FData.size() - size;
  }

  uint8_t U8(qsizetype offset) const { return uint8_t(GetLE(offset, 1)); }
  int8_t I8(qsizetype offset) const { return int8_t(U8(offset)); }
  int16_t I16(qsizetype offset) const { return int16_t(uint16_t(GetLE(offset, 2))); }
  int32_t I32(qsizetype offset) const { return int32_t(U32(offset)); }
  uint32_t U32(qsizetype offset) const { return uint32_t(GetLE(offset, 4)); }
  uint64_t U64(qsizetype offset) const { return GetLE(offset, 8); }
  // Bit patterns kept, NaNs included.
  float Single(qsizetype offset) const { return std::bit_cast<float>(U32(offset)); }
  double Double(qsizetype offset) const { return std::bit_cast<double>(U64(offset)); }
  double Extended(qsizetype offset) const;
  QString ShortString(qsizetype offset, int capacity = kShortStringCapacity) const;

 private:
  // Inline, so that each field becomes a load: a stream decodes millions of
  // records. Zero when the field reaches past the end.
  uint64_t GetLE(qsizetype offset, int size) const {
    if (!Has(offset, size)) return 0;
    const char* p = FData.data() + offset;
    uint64_t v = 0;
    for (int i = 0; i < size; ++i) v |= uint64_t(uint8_t(p[i])) << (8 * i);
    return v;
  }

  QByteArrayView FData;
};

// Writes fields into one record buffer of fixed size.
class TFieldWriter {
 public:
  // The writer works on the bytes of record (detached once, here); it never
  // changes its size. The record must not be resized or copied while the
  // writer is in use.
  explicit TFieldWriter(QByteArray& record) : FData(record.data()), FSize(record.size()) {}
  // The writer works on size bytes at record.
  TFieldWriter(char* record, qsizetype size) : FData(record), FSize(size) {}

  bool Has(qsizetype offset, qsizetype size) const {
    return offset >= 0 && size >= 0 && offset <= FSize - size;
  }

  void U8(qsizetype offset, uint8_t v) { PutLE(offset, v, 1); }
  void I8(qsizetype offset, int8_t v) { U8(offset, uint8_t(v)); }
  void I16(qsizetype offset, int16_t v) { PutLE(offset, uint16_t(v), 2); }
  void I32(qsizetype offset, int32_t v) { PutLE(offset, uint32_t(v), 4); }
  void U32(qsizetype offset, uint32_t v) { PutLE(offset, v, 4); }
  void U64(qsizetype offset, uint64_t v) { PutLE(offset, v, 8); }
  void Single(qsizetype offset, float v) { PutLE(offset, std::bit_cast<uint32_t>(v), 4); }
  void Double(qsizetype offset, double v) { PutLE(offset, std::bit_cast<uint64_t>(v), 8); }
  void Extended(qsizetype offset, double v);
  // Length byte, the text cut by ShortStringBytes, zeros up to the capacity.
  // False when the text had to be cut.
  bool ShortString(qsizetype offset, const QString& text, int capacity = kShortStringCapacity);
  void Zero(qsizetype offset, qsizetype size);

 private:
  // Inline, so that each field becomes a few stores: a stream encodes
  // millions of records.
  void PutLE(qsizetype offset, uint64_t v, int size) {
    if (!Has(offset, size)) return;
    char* p = FData + offset;
    for (int i = 0; i < size; ++i) p[i] = char(uint8_t(v >> (8 * i)));
  }

  char* FData;
  qsizetype FSize;
};

}  // namespace inkora
