// File names: the input kind and output base name taken from the configuration file name, and
// the output file name of each configuration.
#include <gtest/gtest.h>

#include <string>

#include "driver/conversion.h"
#include "params/parameter_file.h"

TEST(NamesInputKind, DecidedByTheTextAroundTheFirstDot) {
  const std::string stem(10000, 'm');
  const struct {
    std::string name;
    int kind;  // 0: refused
    std::string base;
  } cases[] = {
      // clang-format off
      {"run.cfg", 1, "run"},               {"run.bcf", 2, "run"},
      {"run_coll.cfg", 3, "run_coll"},     {"run_coll.bcf", 2, "run_coll"},
      {"coll.cfg", 1, "coll"},             {"_coll.cfg", 3, "_coll"},
      {"run_COLL.cfg", 1, "run_COLL"},     {"run_collx.cfg", 1, "run_collx"},
      {".cfg", 1, ""},                     {"dir/run_coll.cfg", 3, "dir/run_coll"},
      {"run.CFG", 0, "run"},               {"run.cfg.old", 0, "run"},
      {"run.", 0, "run"},                  {"run", 0, "run"},
      {"", 0, ""},                         {"dir.d/run.cfg", 0, "dir"},
      {"../run.cfg", 0, ""},               {stem + ".cfgx", 0, stem},
      {stem + "_coll.cfg", 3, stem + "_coll"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("configuration file name '" + c.name.substr(0, 20) + "' of " +
                 std::to_string(c.name.size()) + " characters");
    EXPECT_EQ(InputKindOf(c.name), c.kind);
    EXPECT_EQ(BaseNameOf(c.name), c.base);
  }
}

TEST(NamesOutputFile, IndexPaddedToFourDigitsOnlyForSeveralConfigurations) {
  const std::string stem(10000, 'm');
  const struct {
    std::string base;
    int index;
    int nconf;
    std::string expected;
  } cases[] = {
      // clang-format off
      {"run", 0, 1, "run.cmtx"},             {"run", 0, 2, "run0000.cmtx"},
      {"run", 9, 20000, "run0009.cmtx"},     {"run", 10, 20000, "run0010.cmtx"},
      {"run", 9999, 20000, "run9999.cmtx"},  {"run", 10000, 20000, "run10000.cmtx"},
      {"dir/run_coll", 2, 3, "dir/run_coll0002.cmtx"},
      {stem + "_coll", 12, 20, stem + "_coll0012.cmtx"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("index " + std::to_string(c.index) + " of " + std::to_string(c.nconf));
    EXPECT_EQ(OutputFileName(c.base, c.index, c.nconf), c.expected);
  }
}
