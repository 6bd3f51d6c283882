// File names: the input kind and output base name taken from the configuration file name, and
// the output file name of each configuration.
#include <gtest/gtest.h>

#include <string>

#include "driver/conversion.h"
#include "params/parameter_file.h"

TEST(NamesInputKind, DecidedByTheTextAroundTheFirstDot) {
  const struct {
    std::string name;
    int kind;  // 0: refused
    std::string base;
  } cases[] = {
      {"run.cfg", 1, "run"},
      {"run.bcf", 2, "run"},
      {"run_coll.cfg", 3, "run_coll"},
      {"run_coll.bcf", 2, "run_coll"},
      {"a.cfg", 1, "a"},
      {"coll.cfg", 1, "coll"},
      {"_coll.cfg", 3, "_coll"},
      {"x_coll.cfg", 3, "x_coll"},
      {"run_COLL.cfg", 1, "run_COLL"},
      {"run_collx.cfg", 1, "run_collx"},
      {".cfg", 1, ""},
      {".bcf", 2, ""},
      {"dir/run.cfg", 1, "dir/run"},
      {"/abs/dir/run_coll.cfg", 3, "/abs/dir/run_coll"},
      {"run.CFG", 0, "run"},
      {"run.Bcf", 0, "run"},
      {"run.cfg.old", 0, "run"},
      {"run.cfg ", 0, "run"},
      {"run.", 0, "run"},
      {"run.cmtx", 0, "run"},
      {"run", 0, "run"},
      {"", 0, ""},
      {"dir.d/run.cfg", 0, "dir"},
      {"../run.cfg", 0, ""},
      {"./run.cfg", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("configuration file name '" + c.name + "'");
    EXPECT_EQ(InputKindOf(c.name), c.kind);
    EXPECT_EQ(BaseNameOf(c.name), c.base);
  }
}

TEST(NamesInputKind, LongNamesWorkWhole) {
  const std::string stem(10000, 'm');
  const struct {
    std::string name;
    int kind;
    std::string base;
  } cases[] = {
      {stem + ".cfg", 1, stem},
      {stem + "_coll.cfg", 3, stem + "_coll"},
      {stem + ".bcf", 2, stem},
      {stem + ".cfgx", 0, stem},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("name of " + std::to_string(c.name.size()) + " characters ending in " +
                 c.name.substr(c.name.size() - 10));
    EXPECT_EQ(InputKindOf(c.name), c.kind);
    EXPECT_EQ(BaseNameOf(c.name), c.base);
  }
  EXPECT_EQ(OutputFileName(stem + "_coll", 12, 20), stem + "_coll0012.cmtx");
}

TEST(NamesOutputFile, IndexPaddedToFourDigitsOnlyForSeveralConfigurations) {
  const struct {
    int index;
    int nconf;
    const char* expected;
  } cases[] = {
      {0, 1, "run.cmtx"},
      {0, 2, "run0000.cmtx"},
      {1, 2, "run0001.cmtx"},
      {9, 20000, "run0009.cmtx"},
      {10, 20000, "run0010.cmtx"},
      {123, 20000, "run0123.cmtx"},
      {999, 20000, "run0999.cmtx"},
      {1000, 20000, "run1000.cmtx"},
      {9999, 20000, "run9999.cmtx"},
      {10000, 20000, "run10000.cmtx"},
      {123456, 200000, "run123456.cmtx"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("index " + std::to_string(c.index) + " of " + std::to_string(c.nconf));
    EXPECT_EQ(OutputFileName("run", c.index, c.nconf), c.expected);
  }
  EXPECT_EQ(OutputFileName("", 3, 5), "0003.cmtx");
  EXPECT_EQ(OutputFileName("dir/run_coll", 2, 3), "dir/run_coll0002.cmtx");
}
