// Building and destroying the configuration object from the header counts.
#include "config/simple_cfg.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {
struct Built {
  std::string construction_out;
  std::string destruction_out;
  std::string err;
  bool quit = false;
  std::vector<std::ptrdiff_t> type_offsets;  // type_coords[k] - coords
};

// Builds a configuration object from a header with these counts (no header at all when
// header_read is false) and destroys it again.
Built Build(int ntotal, const std::vector<int>& ni, bool header_read = true) {
  Built built;
  QuitCapture capture;
  ::testing::internal::CaptureStderr();
  if (header_read) {
    cfg_state.ntotal = ntotal;
    cfg_state.ntypes = static_cast<int>(ni.size());
    cfg_state.ni = ni;
    cfg_state.type_start.assign(1, 0);
    for (int n : ni) cfg_state.type_start.push_back(cfg_state.type_start.back() + n);
  }
  try {
    auto cfg = std::make_unique<SimpleCfg>();
    for (std::size_t k = 0; k < ni.size(); ++k) {
      built.type_offsets.push_back(cfg->type_coords[k] - cfg->coords);
    }
    built.construction_out = capture.TakeOutput();
    cfg.reset();
    built.destruction_out = capture.TakeOutput();
  } catch (const QuitCalled&) {
    built.quit = true;
    built.construction_out = capture.TakeOutput();
  }
  built.err = ::testing::internal::GetCapturedStderr();
  return built;
}

const char kCannotCreate[] = "Sorry, cannot create SimpleCfg.\n";
}  // namespace

TEST(SimpleCfgBuild, TypePointersFollowTheTypeStarts) {
  const struct {
    std::vector<int> ni;
    std::vector<std::ptrdiff_t> offsets;
  } cases[] = {
      {{3, 0, 2}, {0, 9, 9}},        {{4}, {0}}, {{0, 0, 1}, {0, 0, 0}},
      {{1, 2, 3, 4}, {0, 3, 9, 18}}, {{}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("types of " + ::testing::PrintToString(c.ni) + " atoms");
    int ntotal = 0;
    for (int n : c.ni) ntotal += n;
    const Built built = Build(ntotal, c.ni);
    EXPECT_FALSE(built.quit);
    EXPECT_EQ(built.type_offsets, c.offsets);
    EXPECT_EQ(built.construction_out, "");
    EXPECT_EQ(built.destruction_out, "SimpleCfg destructor\n");
  }
}

TEST(SimpleCfgBuild, RefusesAMissingOrInconsistentHeader) {
  const struct {
    const char* name;
    int ntotal;
    std::vector<int> ni;
    bool header_read;
    std::string out;
  } cases[] = {
      {"no header read", 0, {}, false, kCannotCreate},
      {"negative atom count", -3, {2}, true, kCannotCreate},
      {"negative atom count, no types", -1, {}, true, kCannotCreate},
      {"negative type size",
       3,
       {5, -2},
       true,
       "The number of atoms of type 2 (type index begin with 1) is -2 in the configuration file, "
       "which is negative!\nCannot run this way, exiting...\n"},
      {"type sizes above the atom count",
       5,
       {3, 3},
       true,
       "The numbers of atoms of the types add up to 6, but the total number of atoms is 5 in the "
       "configuration file!\nCannot run this way, exiting...\n"},
      {"type sizes below the atom count",
       7,
       {3, 3},
       true,
       "The numbers of atoms of the types add up to 6, but the total number of atoms is 7 in the "
       "configuration file!\nCannot run this way, exiting...\n"},
      {"atoms but no types",
       4,
       {},
       true,
       "The numbers of atoms of the types add up to 0, but the total number of atoms is 4 in the "
       "configuration file!\nCannot run this way, exiting...\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Built built = Build(c.ntotal, c.ni, c.header_read);
    EXPECT_TRUE(built.quit);
    EXPECT_EQ(built.construction_out, c.out);
    EXPECT_EQ(built.err, "Quit (y)?->\n");
  }
}
