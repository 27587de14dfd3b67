#include "notes/uBinary.h"

#include "shell/uIniFile.h"

#include <algorithm>
#include <bit>

namespace inkora {
namespace {

constexpr int kDoubleBias = 1023;
constexpr int kExtendedBias = 16383;
constexpr int kExtendedMaxExp = 0x7FFF;
constexpr uint64_t kIntegerBit = uint64_t(1) << 63;
constexpr uint64_t kDoubleFraction = (uint64_t(1) << 52) - 1;

// Index of the highest set bit of v (v != 0).
int TopBit(uint64_t v) { return 63 - std::countl_zero(v); }

// sig >> shift rounded to nearest, ties to even; shift in 1..64.
uint64_t ShiftRoundEven(uint64_t sig, int shift) {
  if (shift >= 64) {
    // Only shift 64 can round up: the result is 0 or 1.
    if (shift > 64) return 0;
    return sig > kIntegerBit ? 1 : 0;  // exactly half rounds to the even 0
  }
  const uint64_t kept = sig >> shift;
  const uint64_t rest = sig & ((uint64_t(1) << shift) - 1);
  const uint64_t half = uint64_t(1) << (shift - 1);
  if (rest > half || (rest == half && (kept & 1))) return kept + 1;
  return kept;
}

}  // namespace

TExtendedBytes DoubleToExtended(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const bool negative = bits >> 63;
  const int exp = int((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & kDoubleFraction;

  int outExp = 0;
  uint64_t sig = 0;
  if (exp == 0x7FF) {
    outExp = kExtendedMaxExp;
    // Infinity: integer bit only. NaN: quiet, payload moved to the top.
    sig = fraction == 0 ? kIntegerBit : (kIntegerBit | (uint64_t(1) << 62) | (fraction << 11));
  } else if (exp == 0) {
    if (fraction != 0) {
      // Double denormal: fraction x 2^-1074, normal in the extended format.
      const int top = TopBit(fraction);
      sig = fraction << (63 - top);
      outExp = top - 1074 + kExtendedBias;
    }
  } else {
    sig = kIntegerBit | (fraction << 11);
    outExp = exp - kDoubleBias + kExtendedBias;
  }

  TExtendedBytes out{};
  for (int i = 0; i < 8; ++i) out[i] = uint8_t(sig >> (8 * i));
  const uint16_t se = uint16_t((negative ? 0x8000 : 0) | outExp);
  out[8] = uint8_t(se);
  out[9] = uint8_t(se >> 8);
  return out;
}

double ExtendedToDouble(const TExtendedBytes& bytes) {
  uint64_t sig = 0;
  for (int i = 0; i < 8; ++i) sig |= uint64_t(bytes[i]) << (8 * i);
  const uint16_t se = uint16_t(bytes[8] | (bytes[9] << 8));
  const uint64_t sign = uint64_t(se >> 15) << 63;
  const int exp = se & 0x7FFF;

  if (exp == kExtendedMaxExp) {
    const uint64_t fraction = sig & ~kIntegerBit;
    if (fraction == 0) return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52));
    // NaN: the top 52 fraction bits, quiet bit set so the payload never
    // collapses into an infinity.
    const uint64_t payload = (fraction >> 11) | (uint64_t(1) << 51);
    return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52) | (payload & kDoubleFraction));
  }
  if (sig == 0) return std::bit_cast<double>(sign);

  // value = sig x 2^(e - 16383 - 63), with e = 1 for denormals.
  const int e = exp == 0 ? 1 : exp;
  const int top = TopBit(sig);
  sig <<= 63 - top;                                  // normalised: integer bit set
  int unbiased = e - kExtendedBias - 63 + top;       // value = 1.f x 2^unbiased

  if (unbiased > kDoubleBias) return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52));
  if (unbiased >= 1 - kDoubleBias) {
    uint64_t mant = ShiftRoundEven(sig, 11);  // 53 bits, may carry into bit 53
    if (mant >> 53) {
      mant >>= 1;
      ++unbiased;
      if (unbiased > kDoubleBias) return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52));
    }
    const uint64_t biased = uint64_t(unbiased + kDoubleBias);
    return std::bit_cast<double>(sign | (biased << 52) | (mant & kDoubleFraction));
  }
  // Double denormal range: result = round(value x 2^1074) x 2^-1074. A carry
  // into bit 52 gives the smallest normal number, which the bit layout
  // expresses by itself.
  const int shift = -1011 - unbiased;  // 63 - (unbiased + 1074); at least 12 here
  return std::bit_cast<double>(sign | ShiftRoundEven(sig, shift));
}

QByteArray ShortStringBytes(const QString& text, int capacity, bool* wasCut) {
  capacity = std::clamp(capacity, 0, kShortStringCapacity);
  QByteArray utf8 = text.toUtf8();
  if (wasCut) *wasCut = utf8.size() > capacity;
  if (utf8.size() <= capacity) return utf8;
  qsizetype cut = capacity;
  // Back up over continuation bytes so that no character is split.
  while (cut > 0 && (uint8_t(utf8[cut]) & 0xC0) == 0x80) --cut;
  utf8.truncate(cut);
  return utf8;
}

QString DecodeShortString(QByteArrayView field, int capacity) {
  if (field.isEmpty()) return {};
  qsizetype n = uint8_t(field[0]);
  n = std::min({n, qsizetype(std::max(capacity, 0)), field.size() - 1});
  // A short string is not a text file: a leading U+FEFF is part of the text,
  // not a byte-order mark to drop. A leading ASCII byte keeps the decoder
  // from taking it for one and changes nothing else.
  QByteArray bytes;
  bytes.reserve(n + 1);
  bytes.append('x').append(field.sliced(1, n));
  return DecodeUtf8OrCp1252(bytes).sliced(1);
}

// ---------------------------------------------------------------------------

double TFieldReader::Extended(qsizetype offset) const {
  if (!Has(offset, 10)) return 0;
  TExtendedBytes b;
  for (int i = 0; i < 10; ++i) b[i] = uint8_t(FData[offset + i]);
  return ExtendedToDouble(b);
}

QString TFieldReader::ShortString(qsizetype offset, int capacity) const {
  if (!Has(offset, ShortStringSize(capacity))) return {};
  return DecodeShortString(FData.sliced(offset, ShortStringSize(capacity)), capacity);
}

// ---------------------------------------------------------------------------

void TFieldWriter::Extended(qsizetype offset, double v) {
  if (!Has(offset, 10)) return;
  const TExtendedBytes b = DoubleToExtended(v);
  char* p = FData + offset;
  for (int i = 0; i < 10; ++i) p[i] = char(b[i]);
}

bool TFieldWriter::ShortString(qsizetype offset, const QString& text, int capacity) {
  capacity = std::clamp(capacity, 0, kShortStringCapacity);
  if (!Has(offset, ShortStringSize(capacity))) return false;
  bool cut = false;
  const QByteArray bytes = ShortStringBytes(text, capacity, &cut);
  char* p = FData + offset;
  p[0] = char(uint8_t(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), p + 1);
  std::fill(p + 1 + bytes.size(), p + 1 + capacity, '\0');
  return !cut;
}

void TFieldWriter::Zero(qsizetype offset, qsizetype size) {
  if (!Has(offset, size)) return;
  std::fill_n(FData + offset, size, '\0');
}

}  // namespace inkora
