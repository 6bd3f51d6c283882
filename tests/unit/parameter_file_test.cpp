// The input kind and the output base name, decided from the configuration file name alone: "cfg"
// or "bcf" must be the whole text after the first ".", case included, and "_coll" counts only as
// the five characters just before it.
#include "params/parameter_file.h"

#include <gtest/gtest.h>

#include <string>

#include "config/cfg_state.h"

namespace {

TEST(InputKindOf, TheWholeExtensionAndTheFiveCharactersBeforeIt) {
  struct Row {
    const char* name;
    int kind;
    const char* base;
  };
  for (const Row& row : std::initializer_list<Row>{
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
           {"run.CFG", 0, ""},
           {"run.cfg.old", 0, ""},
           {"run.cfgx", 0, ""},
           {"run.xcfg", 0, ""},
           {"run.bcfx", 0, ""},
           {"runcfg", 0, ""},
           {"../run.cfg", 0, ""},
       }) {
    EXPECT_EQ(InputKindOf(row.name), row.kind) << row.name;
    if (row.kind != 0) {
      EXPECT_EQ(BaseNameOf(row.name), row.base) << row.name;
    }
  }
}

}  // namespace
