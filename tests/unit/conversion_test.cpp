// The numbering of output files, which runs could reach only with ten thousand configurations.
#include "driver/conversion.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
