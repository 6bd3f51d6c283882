// The numbering of output files, which runs could reach only with ten thousand configurations,
// and the number texts it is built from, which runs give only for indices from 0 up.
#include "driver/conversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "driver/console.h"

namespace {

TEST(OutputFileName, FourDigitsOrMoreForSeveralConfigurations) {
  std::string names =
      OutputFileName("run", 0, 1, ".cmtx") + " " + OutputFileName("run", 0, 0, ".xyz");
  for (int index : {0, 9, 10, 123, 999, 1000, 10000})
    names += " " + OutputFileName("run", index, 2, ".cmtx");
  EXPECT_EQ(names,
            "run.cmtx run.xyz run0000.cmtx run0009.cmtx run0010.cmtx run0123.cmtx run0999.cmtx "
            "run1000.cmtx run10000.cmtx");
}

TEST(IntToString, DigitsOfEveryLengthAndSign) {
  std::string texts;
  for (int n : {0, 7, 10, 99, 100, 1000, 123456, -42, INT_MAX, INT_MIN}) {
    const std::unique_ptr<char[]> text(IntToString(n));
    texts += std::string(text.get()) + " ";
  }
  EXPECT_EQ(texts, "0 7 10 99 100 1000 123456 -42 2147483647 -2147483648 ");
}

}  // namespace
