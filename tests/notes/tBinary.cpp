#include "notes/uBinary.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace inkora {
namespace {

using B = TExtendedBytes;

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// Doubles and their extended form; each converts exactly both ways. The byte
// patterns are what an x87 FPU stores for the same values.
struct ExactCase {
  const char* what;
  double value;
  B bytes;
};

TEST(Extended, DoublesConvertExactlyBothWays) {
  const double kInf = std::numeric_limits<double>::infinity();
  const ExactCase cases[] = {
      {"zero", 0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00}},
      {"negative zero", -0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80}},
      {"one", 1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {"-2.5", -2.5, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
      {"1e-300", 1e-300, {0x00, 0xC8, 0x9A, 0xC7, 0x17, 0xFE, 0x70, 0xAB, 0x1A, 0x3C}},
      {"3.5e300", 3.5e300, {0x00, 0x40, 0x37, 0x03, 0xB8, 0xA7, 0x3D, 0xA7, 0xE5, 0x43}},
      {"largest double", std::numeric_limits<double>::max(),
       {0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43}},
      {"smallest normal double", std::numeric_limits<double>::min(),
       {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x3C}},
      {"smallest double denormal", std::numeric_limits<double>::denorm_min(),
       {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}},
      {"pen width 10 x 2.1f x 512 / 1024", 10 * double(2.1f) * 512 / 1024,
       {0x00, 0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xA7, 0x02, 0x40}},
      {"infinity", kInf, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
      {"negative infinity", -kInf, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}},
      {"quiet NaN", std::numeric_limits<double>::quiet_NaN(), {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DoubleToExtended(c.value), c.bytes);
    EXPECT_EQ(Bits(ExtendedToDouble(c.bytes)), Bits(c.value));  // sign of zero and NaN bits too
  }
}

// Extended values that are not doubles: rounded to nearest, ties to even.
struct ReadCase {
  const char* what;
  B bytes;
  double expected;
};

TEST(Extended, ReadsRoundToNearestEven) {
  const double kInf = std::numeric_limits<double>::infinity();
  const double kDenormMin = std::numeric_limits<double>::denorm_min();
  const ReadCase cases[] = {
      {"2.1 computed in extended", {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x86, 0x00, 0x40}, 2.1},
      {"1/3 computed in extended", {0xAB, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xFD, 0x3F},
       1.0 / 3},
      {"1 + 2^-53: tie, stays on the even 1", {0x00, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, 1.0},
      {"1 + 3 x 2^-53: tie, goes to the even neighbour above",
       {0x00, 0x0C, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, 1.0 + std::ldexp(1.0, -51)},
      {"just above a tie rounds up", {0x01, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F},
       1.0 + std::ldexp(1.0, -52)},
      {"just below the next power of two carries into the exponent",
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x3F}, 2.0},
      {"half an ulp above the largest double overflows",
       {0x00, 0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43}, kInf},
      {"largest extended", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F}, kInf},
      {"negative largest extended", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF},
       -kInf},
      {"2^-1075: tie between 0 and the smallest denormal, goes to 0",
       {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCC, 0x3B}, 0.0},
      {"1.5 x 2^-1075 rounds to the smallest denormal", {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xCC, 0x3B},
       kDenormMin},
      {"3 x 2^-1075: tie, goes to the even 2 x 2^-1074", {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xCD, 0x3B},
       2 * kDenormMin},
      {"just below the smallest normal double rounds up to it",
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x3C},
       std::numeric_limits<double>::min()},
      {"extended denormal", {0x01, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00}, 0.0},
      {"negative extended denormal", {0, 0, 0, 0, 0, 0, 0, 0x40, 0x00, 0x80}, -0.0},
      {"smallest normal extended", {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}, 0.0},
      {"unnormal read by its value", {0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F}, 0.5},
      {"pseudo-infinity", {0, 0, 0, 0, 0, 0, 0, 0x00, 0xFF, 0x7F}, kInf},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Bits(ExtendedToDouble(c.bytes)), Bits(c.expected));
  }
}

TEST(Extended, NaNsStayNaNsWithTheirPayload) {
  // A quiet NaN with a payload goes through the extended form unchanged.
  const double payload = std::bit_cast<double>(uint64_t(0xFFF8'0000'1234'5678));
  EXPECT_EQ(Bits(ExtendedToDouble(DoubleToExtended(payload))), Bits(payload));
  // A signalling NaN becomes quiet (as the x87 makes it) but stays a NaN,
  // even when its payload is only in the bits that do not fit a double.
  const double signalling = std::bit_cast<double>(uint64_t(0x7FF0'0000'0000'0001));
  EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(signalling))));
  EXPECT_TRUE(std::isnan(ExtendedToDouble({0x01, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})));
}

TEST(FieldAccess, IntegersAndFloatsAreLittleEndianAtTheirOffsets) {
  QByteArray rec(32, '\x55');
  TFieldWriter w(rec);
  w.I8(0, -2);
  w.I16(1, -12345);
  w.I32(3, 0x12345678);
  w.Single(7, -1.5f);
  w.Double(11, 0.1);
  w.Extended(19, 1.0);
  EXPECT_EQ(rec.toHex(' '),
            QByteArray("fe c7 cf 78 56 34 12 00 00 c0 bf 9a 99 99 99 99 99 b9 3f 00 00 00 00 00 "
                       "00 00 80 ff 3f 55 55 55"));
  const TFieldReader r(rec);
  EXPECT_EQ(r.I8(0), -2);
  EXPECT_EQ(r.U8(0), 0xFE);
  EXPECT_EQ(r.I16(1), -12345);
  EXPECT_EQ(r.I32(3), 0x12345678);
  EXPECT_EQ(r.Single(7), -1.5f);
  EXPECT_EQ(r.Double(11), 0.1);
  EXPECT_EQ(r.Extended(19), 1.0);
  EXPECT_EQ(r.I32(29), 0) << "a field that reaches past the end reads as zero";
}

TEST(FieldAccess, WritesNeverLeaveTheRecord) {
  QByteArray rec(8, '\x55');
  TFieldWriter w(rec);
  w.I32(6, -1);
  w.Double(1, 1.0);
  w.Extended(-1, 1.0);
  EXPECT_FALSE(w.ShortString(0, "x", 10));
  EXPECT_EQ(rec, QByteArray(8, '\x55'));
}

TEST(ShortString, WritesUtf8CutAtACharacterBoundaryAndZeroPadded) {
  struct Case {
    const char* what;
    QString text;
    int capacity;
    QByteArray stored;  // the text bytes kept
    bool whole;
  };
  const QString euros = u'a' + QString(200, QChar(u'€'));  // 3 UTF-8 bytes each
  const Case cases[] = {
      {"ASCII", "note.bmp", 255, "note.bmp", true},
      {"empty", "", 255, "", true},
      {"exactly 255 bytes", QString(255, u'a'), 255, QByteArray(255, 'a'), true},
      {"256 ASCII bytes cut to 255", QString(256, u'a'), 255, QByteArray(255, 'a'), false},
      {"three-byte characters: 84 fit, not a part of the 85th", euros, 255,
       "a" + QString(84, QChar(u'€')).toUtf8(), false},
      {"a four-byte character at the limit goes whole", QString(251, u'a') + QString::fromUcs4(U"\U0001F600"),
       255, QByteArray(251, 'a') + "\xF0\x9F\x98\x80", true},
      {"a four-byte character across the limit is left out",
       QString(252, u'a') + QString::fromUcs4(U"\U0001F600"), 255, QByteArray(252, 'a'), false},
      {"ten-byte field", QStringLiteral("4.0.0.12345"), 10, "4.0.0.1234", false},
      {"ten-byte field, two-byte character across the limit", QString(9, u'1') + u'é', 10,
       QByteArray(9, '1'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray field(ShortStringSize(c.capacity) + 2, '\x77');
    TFieldWriter w(field);
    EXPECT_EQ(w.ShortString(1, c.text, c.capacity), c.whole);
    EXPECT_EQ(uint8_t(field[1]), c.stored.size());
    EXPECT_EQ(field.mid(2, c.stored.size()), c.stored);
    EXPECT_EQ(field.mid(2 + c.stored.size(), c.capacity - c.stored.size()),
              QByteArray(c.capacity - c.stored.size(), '\0'));
    EXPECT_EQ(field.front(), '\x77');
    EXPECT_EQ(field.back(), '\x77');
    EXPECT_EQ(TFieldReader(field).ShortString(1, c.capacity), QString::fromUtf8(c.stored));
  }
}

TEST(ShortString, ReadsUtf8ElseWindows1252AndTrustsNoLength) {
  struct Case {
    const char* what;
    QByteArray field;  // length byte + text bytes (zero-padded to the capacity)
    int capacity;
    QString expected;
  };
  const Case cases[] = {
      {"UTF-8", "\x06" "caf\xC3\xA9!", 255, QStringLiteral("café!")},
      {"Windows-1252", "\x06" "caf\xE9\x80!", 255, QStringLiteral("café€!")},
      {"bytes after the text are not part of it", "\x02" "abcdef", 255, "ab"},
      {"length beyond the capacity is limited to it", "\xFF" "0123456789abc", 10, "0123456789"},
      {"zero length", QByteArray("\x00" "abc", 4), 255, ""},
      {"a leading U+FEFF is text, not a byte-order mark", "\x04" "\xEF\xBB\xBF" "a", 255,
       QStringLiteral("\uFEFFa")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray field = c.field;
    field.append(ShortStringSize(c.capacity) - field.size(), '\0');
    EXPECT_EQ(TFieldReader(field).ShortString(0, c.capacity), c.expected);
  }
  // A length byte beyond the bytes at hand is limited to them.
  EXPECT_EQ(DecodeShortString(QByteArray("\x09" "abc"), 255), "abc");
}

}  // namespace
}  // namespace inkora
