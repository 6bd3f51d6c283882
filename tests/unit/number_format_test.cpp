// FormatFixed7 against the C library's printf("%.7f"), whose text the output files have always
// carried: the whole text, for random values and for the values where formatters differ.
#include "output/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Printf7(double value) {
  char text[kFixed7Capacity + 16];
  const int length = std::snprintf(text, sizeof text, "%.7f", value);
  return std::string(text, static_cast<std::size_t>(length));
}

std::string Fixed7(double value) {
  char text[kFixed7Capacity];
  return std::string(text, FormatFixed7(value, text));
}

double FromBits(std::uint64_t bits) {
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string Label(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  char text[80];
  std::snprintf(text, sizeof text, "%.17g (bits %016llx)", value,
                static_cast<unsigned long long>(bits));
  return text;
}

// Compares every value; reports at most a few differences, each with its value.
void ExpectSameAsPrintf(const std::vector<double>& values) {
  int failures = 0;
  for (double value : values) {
    const std::string expected = Printf7(value);
    const std::string actual = Fixed7(value);
    if (expected == actual) continue;
    ADD_FAILURE() << "value " << Label(value) << ": printf gives " << expected << ", got "
                  << actual;
    if (++failures == 10) return;
  }
}

TEST(NumberFormatDifferential, RandomBitPatterns) {
  std::mt19937_64 rng(11);
  std::vector<double> values;
  while (values.size() < 300000) {
    const double value = FromBits(rng());
    if (!std::isnan(value)) values.push_back(value);  // NaNs have their own test
  }
  ExpectSameAsPrintf(values);
}

// Values as the writer meets them: (reduced + 1) * box for coordinates near [-1, 1] and boxes
// of every size, and plain values of every magnitude a coordinate file could hold.
TEST(NumberFormatDifferential, TypicalLengths) {
  std::mt19937_64 rng(12);
  std::uniform_real_distribution<double> reduced(-1.2, 1.2);
  std::uniform_real_distribution<double> exponent(-9.0, 13.0);
  std::vector<double> values;
  for (int i = 0; i < 400000; ++i) {
    const double box = std::pow(10.0, exponent(rng) / 3.0);
    values.push_back((reduced(rng) + 1.0) * box);
    values.push_back(std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1.0 : -1.0));
  }
  ExpectSameAsPrintf(values);
}

// j / 256 with j odd ends in the digit 5 at the eighth decimal, exactly: a tie that printf
// breaks to the even seventh digit. Near ties come from decimal texts ending in 5.
TEST(NumberFormatDifferential, ExactAndNearTiesAtTheEighthDecimal) {
  std::mt19937_64 rng(13);
  std::vector<double> values;
  for (int i = 0; i < 200000; ++i) {
    const auto whole = static_cast<double>(rng() % (i % 2 ? 1000 : (1ull << 40)));
    const double tie = whole + static_cast<double>(2 * (rng() % 128) + 1) / 256.0;
    values.push_back(tie);
    values.push_back(-tie);
    char text[64];
    std::snprintf(text, sizeof text, "%llu.%07llu5",
                  static_cast<unsigned long long>(rng() % 100000),
                  static_cast<unsigned long long>(rng() % 10000000));
    values.push_back(std::strtod(text, nullptr));
  }
  ExpectSameAsPrintf(values);
}

TEST(NumberFormatEdges, NamedValuesMatchPrintf) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double named[] = {0.0,
                          -0.0,
                          std::numeric_limits<double>::denorm_min(),
                          -std::numeric_limits<double>::denorm_min(),
                          std::numeric_limits<double>::min(),
                          FromBits(0x000fffffffffffffull),
                          std::numeric_limits<double>::max(),
                          -std::numeric_limits<double>::max(),
                          1e308,
                          -1e-300,
                          0.00000005,
                          -0.00000005,
                          0.00000015,
                          0.99999995,
                          9.99999995,
                          0.5,
                          1.0,
                          -1.0,
                          47.5,
                          1e15 + 0.5,
                          9007199254740992.0,
                          1844674407370.9551,  // 2^64 units of the seventh decimal, and beyond
                          1844674407370.9553,
                          -1844674407370.9553,
                          0.00390625,
                          0.01171875,
                          inf,
                          -inf,
                          nan,
                          -nan,
                          FromBits(0x7ff0000000000001ull),
                          FromBits(0xfff8000000000001ull)};
  for (double value : named) {
    SCOPED_TRACE(Label(value));
    EXPECT_EQ(Fixed7(value), Printf7(value));
  }
}

}  // namespace
