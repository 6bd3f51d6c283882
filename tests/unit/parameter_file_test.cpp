// The input kind and the output base name, decided from the configuration file name alone: "cfg"
// or "bcf" must be the whole text after the first ".", case included, and "_coll" counts only as
// the five characters just before it.
#include "params/parameter_file.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "config/cfg_state.h"
#include "driver/conversion.h"

namespace {

TEST(InputKindOf, TheWholeExtensionAndTheFiveCharactersBeforeIt) {
  using Row = std::tuple<const char*, int, const char*>;  // name, input kind, base name
  for (const auto& [name, kind, base] : std::initializer_list<Row>{
           {"run.cfg", kTextSingle, "run"},
           {"run.bcf", kBinary, "run"},
           {"run_coll.cfg", kTextCollection, "run_coll"},
           {"run_coll.bcf", kBinary, "run_coll"},
           {"_coll.cfg", kTextCollection, "_coll"},
           {"dir/a_coll.cfg", kTextCollection, "dir/a_coll"},
           {"coll.cfg", kTextSingle, "coll"},
           {".cfg", kTextSingle, ""},
           {"run_COLL.cfg", kTextSingle, "run_COLL"},
           {"run_colla.cfg", kTextSingle, "run_colla"},
           {"run.CFG", 0, "run"},
           {"run.cfg.old", 0, "run"},
           {"run.cfgx", 0, "run"},
           {"run.xcfg", 0, "run"},
           {"run.bcfx", 0, "run"},
           {"runcfg", 0, "runcfg"},
           {"../run.cfg", 0, ""},
       }) {
    EXPECT_EQ(InputKindOf(name), kind) << name;
    EXPECT_EQ(BaseNameOf(name), base) << name;
  }
}

// The output file's name: the base name, the configuration's index padded to four digits when
// several are converted (five and more digits as they come), the extension. The case folders write
// 10,001 files only where creating files is fast; here every build sees the five-digit names.
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
