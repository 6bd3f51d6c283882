#include <gtest/gtest.h>

#include "support/config_writer.h"
#include "support/test_support.h"

using namespace testing_support;

TEST(Smoke, ConvertsAllAtomsWithOption2) {
  ScratchDir dir;
  const Configuration conf = RandomConfiguration({3, 2}, 12.5, 1);
  dir.Write("sample.cfg", TextConfiguration(conf));
  dir.Write("p.par", "sample.cfg\n1\n2\n2\nSi 3\nO 2\n");
  const RunResult run = RunConverter(dir, {"p.par"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, HelpText() + ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(dir.Read("sample.cmtx"), ExpectedCmtxAll(conf, {"Si", "O"}));
}
