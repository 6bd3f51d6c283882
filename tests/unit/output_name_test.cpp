// The output file's name: the base name, the configuration's index padded to four digits when
// several are converted (five and more digits as they come), the extension. The case folders write
// 10,001 files only where creating files is fast; here every build sees the five-digit names.
#include <gtest/gtest.h>

#include <tuple>

#include "driver/conversion.h"

namespace {

TEST(OutputFileName, FourDigitsAtLeastWhenSeveralAreConverted) {
  using Row = std::tuple<int, int, const char*>;  // index, configurations converted, name
  for (const auto& [index, nconf, name] : std::initializer_list<Row>{
           {0, 1, "run_coll.cmtx"},
           {0, 2, "run_coll0000.cmtx"},
           {7, 11, "run_coll0007.cmtx"},
           {9999, 10001, "run_coll9999.cmtx"},
           {10000, 10001, "run_coll10000.cmtx"},
           {123456, 200000, "run_coll123456.cmtx"},
       }) {
    EXPECT_EQ(OutputFileName("run_coll", index, nconf, ".cmtx"), name);
  }
}

}  // namespace
