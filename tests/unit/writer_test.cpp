// The CrystalMaker writer: which atoms it writes for each layout, the number text and a write
// that fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "support/config_writer.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {
struct Selection {
  int choose_part;
  std::vector<int> nused;
  std::vector<int> list;  // selected_index
};

// Loads conf into a configuration object by hand, sets the selection and writes path. The
// object goes after the output is taken, so its destructor line is not part of it.
Observed Save(const Configuration& conf, const std::vector<std::string>& symbols,
              const Selection& selection, const std::string& path) {
  std::unique_ptr<SimpleCfg> cfg;
  return Observe(
      [&] {
        cfg_state.ntotal = conf.ntotal();
        cfg_state.ntypes = static_cast<int>(conf.ni.size());
        cfg_state.ntypes_par = cfg_state.ntypes;
        cfg_state.ni = conf.ni;
        cfg_state.type_start.assign(1, 0);
        for (int n : conf.ni) cfg_state.type_start.push_back(cfg_state.type_start.back() + n);
        cfg_state.box_scale = conf.box;
        cfg_state.type_symbol = symbols;
        cfg_state.choose_part = selection.choose_part;
        cfg_state.nused = selection.nused;
        cfg_state.selected_index = selection.list;
        cfg = std::make_unique<SimpleCfg>();
        std::copy(conf.coords.begin(), conf.coords.end(), cfg->coords);
        cfg->SaveCrystalMaker(path);
      },
      [&] { cfg.reset(); });
}

std::string Printf7(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.7f", value);
  return text;
}
}  // namespace

TEST(WriterAtoms, WritesTheChosenAtomsInIndexOrder) {
  const Configuration conf = RandomConfiguration({3, 2, 4}, 8.5, 41);
  const std::vector<std::string> symbols{"Si", "O", "Ca"};
  const struct {
    const char* name;
    Selection selection;
    std::vector<int> atoms;
  } cases[] = {
      {"first atoms, nused (2, 0, 1)", {2, {2, 0, 1}, {}}, {0, 1, 5}},
      {"first atoms, every atom", {2, {3, 2, 4}, {}}, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"first atoms ignore the list", {2, {1, 1, 0}, {8, 7}}, {0, 3}},
      {"list of last-type atoms only", {3, {0, 0, 3}, {5, 7, 8}}, {5, 7, 8}},
      {"list across the types", {1, {1, 2, 1}, {0, 3, 4, 6}}, {0, 3, 4, 6}},
      {"empty slab", {4, {0, 0, 0}, {}}, {}},
      {"entries beyond the counted ones", {3, {2, 0, 0}, {0, 2, 4, 6}}, {0, 2}},
      {"a repeated index ends the walk", {3, {4, 0, 0}, {1, 1, 2, 3}}, {1}},
      {"a smaller index ends the walk", {3, {1, 0, 2}, {2, 1, 6}}, {2}},
      {"an index outside every type", {3, {1, 0, 0}, {-1}}, {}},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Observed saved = Save(conf, symbols, c.selection, dir.File("out.cmtx"));
    EXPECT_FALSE(saved.quit);
    EXPECT_EQ(saved.out, "");
    EXPECT_EQ(dir.Read("out.cmtx"), ExpectedCmtx(conf, symbols, c.atoms));
  }
}

TEST(WriterNumbers, SevenDecimalsAsPrintfGivesThem) {
  const struct {
    double box;
    double x, y, z;
    std::string line;
  } cases[] = {
      {10, -0.25, -1, 0.2345679, "Si Si 7.5000000 0.0000000 12.3456790 \n"},
      {10, 1, -1.5, -3, "Si Si 20.0000000 -5.0000000 -20.0000000 \n"},
      // Exact binary halves round to the even last digit.
      {1, -0.99609375, -0.98828125, -0.87654325, "Si Si 0.0039062 0.0117188 0.1234568 \n"},
      {1, -0.99999995, -1.00000005, 0.1234567849999, "Si Si 0.0000001 -0.0000000 1.1234568 \n"},
      {1e-8, 0.5, -0.5, 1, "Si Si 0.0000000 0.0000000 0.0000000 \n"},
      {-3, -0.5, 0, 1, "Si Si -1.5000000 -3.0000000 -6.0000000 \n"},
      // Huge lengths have all their 301 digits, no exponent.
      {1e300, 1, -1, 0.5, "Si Si " + Printf7(2e300) + " 0.0000000 " + Printf7(1.5e300) + " \n"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Configuration conf;
    conf.ni = {1};
    conf.box = c.box;
    conf.coords = {c.x, c.y, c.z};
    const Observed saved = Save(conf, {"Si"}, {2, {1}, {}}, dir.File("n.cmtx"));
    EXPECT_FALSE(saved.quit);
    EXPECT_EQ(dir.Read("n.cmtx"), "MOLE\nATOM\n" + c.line);
  }
}

// A write that fails (a full device) is noticed, after the header lines alone as well.
TEST(WriterFile, StopsWhenTheFileCannotBeWritten) {
  const Configuration conf = RandomConfiguration({2}, 3, 44);
  ScratchDir dir;
  std::filesystem::create_symlink("/dev/full", dir.File("full.cmtx"));
  for (const Selection& selection : {Selection{4, {0}, {}}, Selection{2, {2}, {}}}) {
    SCOPED_TRACE(selection.choose_part);
    const Observed saved = Save(conf, {"Fe"}, selection, dir.File("full.cmtx"));
    EXPECT_TRUE(saved.quit);
    EXPECT_EQ(saved.out, "****WARNING****\nSimpleCfg::SaveCrystalMaker - writing the file " +
                             dir.File("full.cmtx") +
                             " has failed!\nCannot run this way, exiting...\n");
    EXPECT_EQ(saved.err, "Quit (y)?->\n");
  }
}
