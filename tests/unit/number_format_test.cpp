// FormatFixed7 against the C library's printf("%.7f"), the text the output files carry: random
// bit patterns, lengths as the writer meets them, ties at the eighth decimal, and the values
// where formatters differ.
#include "output/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

int failures = 0;

void ExpectPrintf(double value) {
  char expected[kFixed7Capacity + 16];
  std::snprintf(expected, sizeof expected, "%.7f", value);
  char actual[kFixed7Capacity];
  const std::string got(actual, FormatFixed7(value, actual));
  if (got != expected && ++failures <= 10) {
    ADD_FAILURE() << std::hexfloat << value << ": printf gives " << expected << ", got " << got;
  }
}

double FromBits(std::uint64_t bits) {
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(NumberFormat, RandomValuesMatchPrintf) {
  std::mt19937_64 rng(11);
  const auto uniform = [&rng](double low, double high) {
    return low + (high - low) * static_cast<double>(rng() >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < 300000; ++i) {
    const double any = FromBits(rng());
    if (!std::isnan(any)) ExpectPrintf(any);
    // Coordinates near [-1, 1] in boxes of every size, and plain values of every magnitude.
    ExpectPrintf((uniform(-1.2, 1.2) + 1.0) * std::pow(10.0, uniform(-3.0, 4.3)));
    ExpectPrintf(std::pow(10.0, uniform(-9.0, 13.0)) * (rng() % 2 ? 1.0 : -1.0));
    // j / 256 with j odd is an exact tie at the eighth decimal, broken to the even seventh
    // digit; decimal texts ending in 5 give near ties.
    const double whole = static_cast<double>(rng() % (i % 2 ? 1000 : (1ull << 40)));
    ExpectPrintf((i % 4 < 2 ? 1 : -1) * (whole + static_cast<double>(2 * (rng() % 128) + 1) / 256));
    char text[64];
    std::snprintf(text, sizeof text, "%llu.%07llu5", rng() % 100000ull, rng() % 10000000ull);
    ExpectPrintf(std::strtod(text, nullptr));
  }
}

// Zeros, subnormals, the smallest normal, the largest finite, infinities and NaNs of both signs;
// rounding across the point, and values at and beyond 2^64 units of the seventh decimal.
TEST(NumberFormat, NamedValuesMatchPrintf) {
  for (std::uint64_t bits :
       {0x0ull, 0x1ull, 0x000fffffffffffffull, 0x0010000000000000ull, 0x7fefffffffffffffull,
        0x7ff0000000000000ull, 0x7ff8000000000000ull, 0x7ff0000000000001ull}) {
    ExpectPrintf(FromBits(bits));
    ExpectPrintf(-FromBits(bits));
  }
  for (double value : {1e308, 1e-300, 0.00000005, 0.00000015, 0.99999995, 9.99999995, 47.5,
                       1e15 + 0.5, 9007199254740992.0, 1844674407370.9551, 1844674407370.9553}) {
    ExpectPrintf(value);
    ExpectPrintf(-value);
  }
}

}  // namespace
