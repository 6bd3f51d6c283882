// FormatFixed7 against the text glibc's printf("%.7f") gives, which the output files carry: the
// values of data/number_format.txt, random bit patterns, lengths as the writer meets them, ties at
// the eighth decimal and the values where formatters differ. Other C libraries print some of them
// otherwise, so the table was recorded once (tools/record_number_tables.cpp).
#include "output/number_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace {

TEST(NumberFormat, ValuesWrittenAsGlibcPrintfWritesThem) {
  std::ifstream table(CFG2CMTX_UNIT_DATA "/number_format.txt");
  ASSERT_TRUE(table) << "cannot open " CFG2CMTX_UNIT_DATA "/number_format.txt";
  int rows = 0, failures = 0;
  for (std::string bits, expected; table >> bits >> expected; ++rows) {
    const std::uint64_t pattern = std::stoull(bits, nullptr, 16);
    double value = 0.0;
    std::memcpy(&value, &pattern, sizeof value);
    char actual[kFixed7Capacity];
    const std::string got(actual, FormatFixed7(value, actual));
    if (got != expected && ++failures <= 10) {
      ADD_FAILURE() << "bits " << bits << ": printf gives " << expected << ", got " << got;
    }
  }
  EXPECT_GT(rows, 0) << "the table is empty";
  EXPECT_EQ(failures, 0) << "values written differently, of " << rows;
}

}  // namespace
