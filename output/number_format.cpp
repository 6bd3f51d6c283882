#include "output/number_format.h"

#include <charconv>
#include <cstdint>
#include <cstring>

// std::to_chars with a precision gives the correctly rounded text (ties to even, as the C
// library's printf rounds them) and spells infinities and NaNs as printf does, at a fraction of
// the cost of snprintf, which dominated the writing of large files. Lengths of ordinary size
// take a shorter road still: a double is m * 2^-s exactly, so its seven-decimal text is
// round(m * 10^7 / 2^s), an integer computed exactly in 128 bits and split at the point.
namespace {
constexpr std::uint64_t kScale = 10000000;  // 10^7, one unit of the seventh decimal

// An unsigned 128-bit value as two halves.
struct Wide {
  std::uint64_t high;
  std::uint64_t low;
};

// m * 10^7 for m < 2^53: below 2^77.
Wide Scale(std::uint64_t m) {
  const std::uint64_t low_part = (m & 0xFFFFFFFFu) * kScale;
  const std::uint64_t high_part = (m >> 32) * kScale;
  Wide product;
  product.low = low_part + (high_part << 32);
  product.high = (high_part >> 32) + (product.low < low_part ? 1u : 0u);
  return product;
}

bool BitAt(const Wide& n, int k) {
  if (k < 64) return ((n.low >> k) & 1u) != 0;
  return k < 128 && ((n.high >> (k - 64)) & 1u) != 0;
}

// Whether any of the bits 0 .. k-1 is set.
bool AnyBitBelow(const Wide& n, int k) {
  if (k <= 0) return false;
  if (k < 64) return (n.low & ((std::uint64_t{1} << k) - 1)) != 0;
  if (n.low != 0) return true;
  if (k >= 128) return n.high != 0;
  return (n.high & ((std::uint64_t{1} << (k - 64)) - 1)) != 0;
}

// round(m * 10^7 / 2^s), ties to even, for s >= 1; false when it does not fit 64 bits.
bool ScaledAndRounded(std::uint64_t m, int s, std::uint64_t& units) {
  if (s >= 128) {  // m * 10^7 < 2^77 is less than half a unit
    units = 0;
    return true;
  }
  const Wide n = Scale(m);
  std::uint64_t quotient = 0;
  if (s >= 64) {
    quotient = n.high >> (s - 64);
  } else {
    if ((n.high >> s) != 0) return false;
    quotient = (n.low >> s) | (n.high << (64 - s));
  }
  if (BitAt(n, s - 1) && (AnyBitBelow(n, s - 1) || (quotient & 1u) != 0)) ++quotient;
  units = quotient;
  return true;
}

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

std::size_t GeneralFixed7(double value, char* out) {
  const std::to_chars_result result =
      std::to_chars(out, out + kFixed7Capacity, value, std::chars_format::fixed, 7);
  return result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - out) : 0;
}
}  // namespace

std::size_t FormatFixed7(double value, char* out) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased_exponent != 0) m |= std::uint64_t{1} << 52;
  const int s = biased_exponent == 0 ? 1074 : 1075 - biased_exponent;
  std::uint64_t units = 0;
  // Infinities, NaNs, and values whose units would not fit 64 bits (from about 1.8e12 up) go
  // the general way.
  if (biased_exponent == 0x7FF || s <= 0 || !ScaledAndRounded(m, s, units)) {
    return GeneralFixed7(value, out);
  }
  char* p = out;
  if ((bits >> 63) != 0) *p++ = '-';  // printf keeps the sign of a negative zero
  p = std::to_chars(p, p + 24, units / kScale).ptr;
  *p++ = '.';
  auto fraction = static_cast<std::uint32_t>(units % kScale);
  p[6] = static_cast<char>('0' + fraction % 10);
  fraction /= 10;
  for (int i = 4; i >= 0; i -= 2) {
    std::memcpy(p + i, kDigitPairs + 2 * (fraction % 100), 2);
    fraction /= 100;
  }
  return static_cast<std::size_t>(p + 7 - out);
}
