#include "output/number_format.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

// The text of printf("%.7f") without printf, which is slow on the millions of numbers of a large
// file, and without the C++ library's floating-point to_chars, which spells NaNs otherwise on some
// systems and is missing on older macOS. A double is m * 2^-s exactly, so its seven-decimal text is
// round(m * 10^7 / 2^s), ties to even as printf rounds them: an integer computed exactly, in 128
// bits for lengths of ordinary size, and split at the point.
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

// Bit k, for k below 128.
bool BitAt(const Wide& n, int k) {
  if (k < 64) return ((n.low >> k) & 1u) != 0;
  return ((n.high >> (k - 64)) & 1u) != 0;
}

// Whether any of the bits 0 .. k-1 is set.
// Below bit 64 this holds for every n that Scale gives: m * 10^7 has at most 59 trailing zero
// bits (m < 2^53, 10^7 = 2^7 * 5^7), so its low half is never 0.
bool AnyBitBelow(const Wide& n, int k) {
  if (k >= 64) return n.low != 0;
  return (n.low & ((std::uint64_t{1} << k) - 1)) != 0;
}

// round(m * 10^7 / 2^s), ties to even, for s >= 1; none when it does not fit 64 bits.
std::optional<std::uint64_t> ScaledAndRounded(std::uint64_t m, int s) {
  if (s >= 128) return 0;  // m * 10^7 < 2^77 is less than half a unit
  const Wide n = Scale(m);
  std::uint64_t quotient = 0;
  if (s >= 64) {
    quotient = n.high >> (s - 64);
  } else {
    if ((n.high >> s) != 0) return std::nullopt;
    quotient = (n.low >> s) | (n.high << (64 - s));
  }
  if (BitAt(n, s - 1) && (AnyBitBelow(n, s - 1) || (quotient & 1u) != 0)) ++quotient;
  return quotient;
}

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The same integer when it needs more than 64 bits (values from about 1.8e12 up), in decimal
// limbs of nine digits, least significant first: m * 10^7 times 2^-s exactly for s <= 0, or
// divided by 2^s (s is then at most 12) with the remainder rounded half to even. Written out with
// the point seven digits from the end; returns the length.
std::size_t LargeFixed7(std::uint64_t m, int s, char* out) {
  constexpr std::uint32_t kBase = 1000000000;
  std::vector<std::uint32_t> limbs;
  for (; m != 0; m /= kBase) limbs.push_back(static_cast<std::uint32_t>(m % kBase));
  const auto multiply = [&limbs](std::uint64_t factor, std::uint64_t carry) {
    for (std::uint32_t& limb : limbs) {
      carry += limb * factor;
      limb = static_cast<std::uint32_t>(carry % kBase);
      carry /= kBase;
    }
    for (; carry != 0; carry /= kBase) limbs.push_back(static_cast<std::uint32_t>(carry % kBase));
  };
  multiply(kScale, 0);
  for (int k = s; k < 0; k += 30) multiply(std::uint64_t{1} << std::min(30, -k), 0);
  if (s > 0) {
    std::uint64_t remainder = 0;
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
      remainder = remainder * kBase + *limb;
      *limb = static_cast<std::uint32_t>(remainder >> s);
      remainder &= (std::uint64_t{1} << s) - 1;
    }
    const std::uint64_t half = std::uint64_t{1} << (s - 1);
    // The base is even, so the lowest limb carries the parity of the whole.
    if (remainder > half || (remainder == half && (limbs[0] & 1u) != 0)) multiply(1, 1);
  }
  while (limbs.back() == 0) limbs.pop_back();
  char digits[kFixed7Capacity];
  char* end = std::to_chars(digits, digits + 10, limbs.back()).ptr;
  for (std::size_t k = limbs.size() - 1; k-- > 0;) {
    std::uint32_t limb = limbs[k];
    for (int d = 8; d >= 0; --d, limb /= 10) end[d] = static_cast<char>('0' + limb % 10);
    end += 9;
  }
  const auto whole = static_cast<std::size_t>(end - digits) - 7;
  std::memcpy(out, digits, whole);
  out[whole] = '.';
  std::memcpy(out + whole + 1, digits + whole, 7);
  return whole + 8;
}
}  // namespace

std::size_t FormatFixed7(double value, char* out) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased_exponent != 0) m |= std::uint64_t{1} << 52;
  const int s = biased_exponent == 0 ? 1074 : 1075 - biased_exponent;
  char* p = out;
  if ((bits >> 63) != 0) *p++ = '-';  // printf keeps the sign of a negative zero and of a NaN
  // Spelled as printf spells them; the C++ libraries' to_chars differ ("-nan(ind)").
  if (biased_exponent == 0x7FF) {
    std::memcpy(p, (bits & ((std::uint64_t{1} << 52) - 1)) == 0 ? "inf" : "nan", 3);
    return static_cast<std::size_t>(p + 3 - out);
  }
  const std::optional<std::uint64_t> units =
      s > 0 ? ScaledAndRounded(m, s) : std::optional<std::uint64_t>();
  if (!units) return static_cast<std::size_t>(p - out) + LargeFixed7(m, s, p);
  p = std::to_chars(p, p + 24, *units / kScale).ptr;
  *p++ = '.';
  auto fraction = static_cast<std::uint32_t>(*units % kScale);
  p[6] = static_cast<char>('0' + fraction % 10);
  fraction /= 10;
  for (int i = 4; i >= 0; i -= 2) {
    std::memcpy(p + i, kDigitPairs + 2 * (fraction % 100), 2);
    fraction /= 100;
  }
  return static_cast<std::size_t>(p + 7 - out);
}
