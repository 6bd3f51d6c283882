// Building the configuration object from the header counts: what it refuses.
#include "config/simple_cfg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "support/test_support.h"

using namespace testing_support;

TEST(SimpleCfgBuild, RefusesAMissingOrInconsistentHeader) {
  const std::string cannot_create = "Sorry, cannot create SimpleCfg.\n";
  const std::string not_adding =
      "The numbers of atoms of the types add up to 6, but the total number of atoms is ";
  const struct {
    const char* name;
    int ntotal;
    std::vector<int> ni;
    bool header_read;
    std::string out;
  } cases[] = {
      // clang-format off
      {"no header read", 0, {}, false, cannot_create},
      {"negative atom count", -3, {2}, true, cannot_create},
      {"negative type size", 3, {5, -2}, true,
       "The number of atoms of type 2 (type index begin with 1) is -2 in the configuration file, "
       "which is negative!\nCannot run this way, exiting...\n"},
      {"type sizes above the atom count", 5, {3, 3}, true,
       not_adding + "5 in the configuration file!\nCannot run this way, exiting...\n"},
      {"type sizes below the atom count", 7, {3, 3}, true,
       not_adding + "7 in the configuration file!\nCannot run this way, exiting...\n"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Observed seen = Observe([&] {
      if (c.header_read) {
        cfg_state.ntotal = c.ntotal;
        cfg_state.ntypes = static_cast<int>(c.ni.size());
        cfg_state.ni = c.ni;
        cfg_state.type_start.assign(1, 0);
        for (int n : c.ni) cfg_state.type_start.push_back(cfg_state.type_start.back() + n);
      }
      SimpleCfg cfg;
    });
    EXPECT_TRUE(seen.quit);
    EXPECT_EQ(seen.out, c.out);
    EXPECT_EQ(seen.err, "Quit (y)?->\n");
  }
}
