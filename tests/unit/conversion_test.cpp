// The conversion loop where runs cannot reach it cheaply: the numbering of ten thousand output
// files, and a binary load that finds the file changed since the header read.
#include "driver/conversion.h"

#include <gtest/gtest.h>

#include <string>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "tests/unit/support.h"

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

// No output may be written from coordinates that were never loaded.
TEST(LoadConfiguration, StopsWhenTheBinaryFileChangedSinceTheHeader) {
  const Seen seen = Watch([] {
    ResetCfgState();
    cfg_state.input_kind = kBinary;
    cfg_state.ntypes_par = 1;
    ContentFile header(Bytes(3, 4) + Bytes(1, 4) + Bytes(3, 4) + Bytes(0, 8));
    SimpleCfg::GetParameters_bcf(header.stream);
    SimpleCfg cfg;
    ContentFile changed(Bytes(2, 4) + Bytes(1, 4) + Bytes(2, 4) + std::string(56, '\0'));
    LoadConfiguration(cfg, changed.stream, 0);
  });
  EXPECT_TRUE(seen.stopped);
  EXPECT_EQ(seen.out,
            "INCONSISTENCY! The number of atoms is 3 from the .cfg file, and \n2 from the binary "
            ".bcf file!\nThe binary file will be ignored, the data from the .cfg file will be "
            "used!\nNo configuration could be loaded from the binary file, cannot run this way, "
            "exiting...\nSimpleCfg destructor\n");
}

}  // namespace
