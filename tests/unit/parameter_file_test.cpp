// The parameter file reader: every value it keeps, every correction it reports and every stop,
// each with the whole console output.
#include "params/parameter_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {
struct ParRead : Observed {
  std::string cfg_name;
  std::string base_name;
  CfgState state;
};

// Reads text as a parameter file; the state is copied before the capture resets it, and every
// assertion comes afterwards, outside the captured output.
template <typename Reader>
ParRead Capture(Reader&& reader) {
  ParRead read;
  Observed& seen = read;
  seen = Observe([&] { reader(read.cfg_name, read.base_name); }, [&] { read.state = cfg_state; });
  return read;
}

ParRead ReadPar(const std::string& text) {
  return Capture([&](std::string& cfg_name, std::string& base_name) {
    std::istringstream in(text);
    ReadCrystalMakerPar(in, cfg_name, base_name);
  });
}

// Every parameter file is read once as written and once with CR LF line ends.
template <typename Check>
void ForBothLineEnds(const std::string& text, Check&& check) {
  for (const bool crlf : {false, true}) {
    SCOPED_TRACE((crlf ? "CR LF, parameter file:\n" : "LF, parameter file:\n") + text);
    check(ReadPar(crlf ? WithCrLf(text) : text));
  }
}

const std::string kOneConfiguration =
    "In case of a single text type (*.cfg) or a binary (*.bcf) file there can be just one "
    "configuration in a file, setting number of configuration to 1!\n";
const std::string kChooseRange =
    "GetCrystalMakerPar: The value of the choose_part option is outside the acceptable range "
    "(1-4)! It will be set to default 1!\n";
const std::string kExtension =
    "Unrecognized file extension for input file, has to be either *.cfg, *.cfg_coll or *.bcf!\n"
    "Cannot run this way, exit...\n";
const std::string kAxis =
    "The value of the axis perpendicular to the cutting planes can be 0,1 or 2!\n"
    "Cannot run this way, exiting...\n";
const std::string kLimits =
    "The limiting values for the reduced coordinates along the selected axis has to be between "
    "-1 and +1!\nCannot run this way, exiting...\n";

const std::string kTypeEnd = LoadFailure("Simple_Cfg::GetCrystalMakerPar", true);
const std::string kTypeFormat = LoadFailure("Simple_Cfg::GetCrystalMakerPar", false);
const std::string kFinalEnd = LoadFailure("SimpleCfg::GetCrystalMakerPar", true);
const std::string kFinalFormat = LoadFailure("SimpleCfg::GetCrystalMakerPar", false);

std::string Negative(int type, int count) {
  return "The number of particles to use for type " + std::to_string(type) +
         " (type index begin with 1) is " + std::to_string(count) +
         " in the parameter file, which is negative! It will be taken as 0.\n";
}
}  // namespace

TEST(ParameterFileAccepted, KeepsOrCorrectsEveryValue) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::string out;
    int kind;
    int nconf;
    int ntypes;
    int choose_part;
    std::vector<std::string> symbols;
    std::vector<int> nused;
    int nused_total;
  } cases[] = {
      {"option 1", "sample.cfg\n1\n2\n1\nSi 3\nO 2\n", "", 1, 1, 2, 1, {"Si", "O"}, {3, 2}, 5},
      {"several configurations of a single file", "run.cfg\n5\n1\n2\nSi 1\n", kOneConfiguration, 1,
       1, 1, 2, {"Si"}, {1}, 1},
      {"several configurations of a binary file", "run.bcf\n5\n1\n2\nSi 1\n", kOneConfiguration, 2,
       1, 1, 2, {"Si"}, {1}, 1},
      {"several configurations of a collection", "run_coll.cfg\n5\n1\n2\nSi 1\n", "", 3, 5, 1, 2,
       {"Si"}, {1}, 1},
      {"no configuration", "run.cfg\n0\n1\n2\nSi 1\n", "", 1, 0, 1, 2, {"Si"}, {1}, 1},
      {"negative configurations", "run_coll.cfg\n-3\n1\n2\nSi 1\n", "", 3, -3, 1, 2, {"Si"}, {1},
       1},
      {"second number on line 2", "run_coll.cfg\n3 2\n1\n2\nSi 4\n", "", 3, 3, 1, 2, {"Si"}, {4},
       4},
      {"choose_part 0", "run.cfg\n1\n2\n0 4 1 0.5\nSi 3\nO 2\n", kChooseRange, 1, 1, 2, 1,
       {"Si", "O"}, {3, 2}, 5},
      {"choose_part 5", "run.cfg\n1\n2\n5\nSi 3\nO 2\n", kChooseRange, 1, 1, 2, 1, {"Si", "O"},
       {3, 2}, 5},
      {"choose_part -1", "run.cfg\n1\n2\n-1\nSi 3\nO 2\n", kChooseRange, 1, 1, 2, 1, {"Si", "O"},
       {3, 2}, 5},
      {"free text and blank lines",
       "run.cfg   the model\n\n\n1 configuration\n\n2 types\n  2   first atoms  \n\nSi 8 "
       "silicon\n\nO 4 oxygen\n", "", 1, 1, 2, 2, {"Si", "O"}, {8, 4}, 12},
      {"no line end after the last count", "run.cfg\n1\n2\n2\nSi 8\nO 4", "", 1, 1, 2, 2,
       {"Si", "O"}, {8, 4}, 12},
      {"extra type lines never read", "run.cfg\n1\n1\n1\nSi 3\nO 2\nnot a type line\n", "", 1, 1, 1,
       1, {"Si"}, {3}, 3},
      {"no types", "run.cfg\n1\n0\n2\n", "", 1, 1, 0, 2, {}, {}, 0},
      {"negative number of types", "run.cfg\n1\n-2\n1\n", "", 1, 1, -2, 1, {}, {}, 0},
      {"symbols kept as written", "run.cfg\n1\n3\n2\nsi 1\nXx12 0\nSI 2\n", "", 1, 1, 3, 2,
       {"si", "Xx12", "SI"}, {1, 0, 2}, 3},
      {"negative count", "run.cfg\n1\n3\n2\nSi -4\nO 2\nC -2147483648\n",
       Negative(1, -4) + Negative(3, INT_MIN), 1, 1, 3, 2, {"Si", "O", "C"}, {0, 2, 0}, 2},
      {"counts up to the largest total", "run.cfg\n1\n2\n2\nSi 2147483646\nO 1\n", "", 1, 1, 2, 2,
       {"Si", "O"}, {2147483646, 1}, INT_MAX},
      {"option 4 reads symbols only", "run_coll.cfg\n2\n2\n4 1 -0.7 0.5\nSi 5\nO 7", "", 3, 2, 2, 4,
       {"Si", "O"}, {0, 0}, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ForBothLineEnds(c.text, [&](const ParRead& read) {
      EXPECT_FALSE(read.quit);
      EXPECT_EQ(read.out, c.out);
      EXPECT_EQ(read.err, "");
      EXPECT_EQ(read.state.input_kind, c.kind);
      EXPECT_EQ(read.state.nconf, c.nconf);
      EXPECT_EQ(read.state.ntypes_par, c.ntypes);
      EXPECT_EQ(read.state.choose_part, c.choose_part);
      EXPECT_EQ(read.state.type_symbol, c.symbols);
      EXPECT_EQ(read.state.nused, c.nused);
      EXPECT_EQ(read.state.nused_total, c.nused_total);
      if (c.choose_part != 4) {
        EXPECT_EQ(read.state.plane_axis, 0);
        EXPECT_EQ(read.state.plane_min, 0.0);
        EXPECT_EQ(read.state.plane_max, 0.0);
      }
      if (c.choose_part == 2) {
        EXPECT_TRUE(read.state.selected_index.empty());
      }
    });
  }
}

TEST(ParameterFileAccepted, IndexListSortedAndZeroBased) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::string out;
    std::vector<int> selected;
    std::vector<std::size_t> type_selected;
  } cases[] = {
      {"one per line", "run.cfg\n1\n2\n3\nSi 2\nO 1\n3\n1\n5\n", "", {0, 2, 4}, {0, 2}},
      {"index 0 comes first", "run.cfg\n1\n2\n3\nSi 2\nO 1\n3\n0\n5\n", "", {-1, 2, 4}, {0, 2}},
      {"any white space between indices", "run.cfg\n1\n2\n3\nSi 2\nO 1\n 3 1\n\n\t5", "", {0, 2, 4},
       {0, 2}},
      {"later values never read", "run.cfg\n1\n2\n3\nSi 1\nO 1\n9\n4\nnot an index\n", "", {3, 8},
       {0, 1}},
      {"all counts 0", "run.cfg\n1\n2\n3\nSi 0\nO 0\n", "", {}, {0, 0}},
      {"a type without atoms", "run.cfg\n1\n3\n3\nSi 1\nO 0\nC 2\n7\n2\n6\n", "", {1, 5, 6},
       {0, 1, 1}},
      {"negative count", "run.cfg\n1\n2\n3\nSi -1\nO 2\n6\n4\n", Negative(1, -1), {3, 5}, {0, 0}},
      {"thirty descending",
       "run.cfg\n1\n1\n3\nSi 30\n30 29 28 27 26 25 24 23 22 21 20 19 18 17 16 15 14 13 12 11 10 9 "
       "8 7 6 5 4 3 2 1\n", "",
       {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29},
       {0}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ForBothLineEnds(c.text, [&](const ParRead& read) {
      EXPECT_FALSE(read.quit);
      EXPECT_EQ(read.out, c.out);
      EXPECT_EQ(read.state.choose_part, 3);
      EXPECT_EQ(read.state.selected_index, c.selected);
      EXPECT_EQ(read.state.nused_total, static_cast<int>(c.selected.size()));
      EXPECT_EQ(read.state.type_selected, c.type_selected);
    });
  }
}

TEST(ParameterFileAccepted, EvenSpreadRunsLaidOutBackToBack) {
  ForBothLineEnds("run.cfg\n1\n3\n1\nSi 3\nO 0\nC 2\n", [](const ParRead& read) {
    EXPECT_EQ(read.out, "");
    EXPECT_EQ(read.state.type_selected, (std::vector<std::size_t>{0, 3, 3}));
    EXPECT_EQ(read.state.nused_total, 5);
  });
}

TEST(ParameterFileAccepted, SlabLimitsOrdered) {
  // clang-format off
  const struct {
    const char* line4;
    int axis;
    double min;
    double max;
  } cases[] = {
      {"4 1 -0.7 0.5", 1, -0.7, 0.5}, {"4  1  0.5 -0.7  the y slab", 1, -0.7, 0.5},
      {"4 0 -1 1", 0, -1.0, 1.0},     {"4 2 1 -1", 2, -1.0, 1.0},
      {"4 2 0.3 0.3", 2, 0.3, 0.3},   {"4 0 -1e-1 +2.5E-1", 0, -0.1, 0.25},
  };
  // clang-format on
  for (const auto& c : cases) {
    ForBothLineEnds(std::string("run.cfg\n1\n2\n") + c.line4 + "\nSi\nO\n",
                    [&](const ParRead& read) {
                      EXPECT_FALSE(read.quit);
                      EXPECT_EQ(read.out, "");
                      EXPECT_EQ(read.state.choose_part, 4);
                      EXPECT_EQ(read.state.plane_axis, c.axis);
                      EXPECT_EQ(read.state.plane_min, c.min);
                      EXPECT_EQ(read.state.plane_max, c.max);
                      EXPECT_EQ(read.state.nused, (std::vector<int>{0, 0}));
                    });
  }
}

TEST(ParameterFileFatal, StopsWithTheWholeMessage) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::string out;
  } cases[] = {
      {"empty file", "", kExtension},
      {"upper-case extension", "run.CFG\n1\n1\n2\nSi 1\n", kExtension},
      {"two extensions", "run.cfg.old\n1\n1\n2\nSi 1\n", kExtension},
      {"no dot", "run\n1\n1\n2\nSi 1\n", kExtension},
      {"dot in the folder part", "../run.cfg\n1\n1\n2\nSi 1\n", kExtension},
      {"axis 3", "run.cfg\n1\n2\n4 3 0 1\nSi\nO\n", kAxis},
      {"axis -1", "run.cfg\n1\n2\n4 -1 0 1\nSi\nO\n", kAxis},
      {"lower limit below -1", "run.cfg\n1\n2\n4 1 -1.5 0.5\nSi\nO\n", kLimits},
      {"upper limit above 1", "run.cfg\n1\n2\n4 1 0 1.0001\nSi\nO\n", kLimits},
      {"both limits outside", "run.cfg\n1\n2\n4 1 2 -2\nSi\nO\n", kLimits},
      {"letters for a count", "run.cfg\n1\n2\n1\nSi x\nO 2\n", kTypeFormat},
      {"missing count", "run.cfg\n1\n2\n2\nSi 3\nO\n", kTypeEnd},
      {"only lines 1 to 3", "run.cfg\n1\n2\n", kChooseRange + kTypeEnd},
      {"missing symbol for option 4", "run.cfg\n1\n2\n4 0 0 1\nSi\n", kTypeEnd},
      {"fewer indices than counted", "run.cfg\n1\n2\n3\nSi 2\nO 1\n3\n1\n", kTypeEnd},
      {"no index list", "run.cfg\n1\n2\n3\nSi 2\nO 1\n", kTypeEnd},
      {"no index list, no line end", "run.cfg\n1\n2\n3\nSi 2\nO 1", kTypeEnd},
      {"no line end after counts of 0", "run.cfg\n1\n2\n3\nSi 0\nO 0", kTypeEnd},
      {"type line where an index belongs", "run.cfg\n1\n1\n3\nSi 2\nO 1\n1\n2\n", kTypeFormat},
      {"letters for the number of types", "run.cfg\n1\nabc\n2\n", kChooseRange + kFinalFormat},
      {"no type line, file ends on line 4", "run.cfg\n1\n0\n2", kFinalEnd},
      {"total beyond the int range", "run.cfg\n1\n2\n2\nSi 2147483647\nO 1\n",
       "The total number of particles to use is larger than 2147483647 in the parameter file!\n"
       "Cannot run this way, exiting...\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ForBothLineEnds(c.text, [&](const ParRead& read) {
      EXPECT_TRUE(read.quit);
      EXPECT_EQ(read.out, c.out);
      EXPECT_EQ(read.err, "Quit (y)?->\n");
    });
  }
}

// A number too large for its field is a failed read like any other: the field keeps its value,
// and the run stops at the next check of the stream.
TEST(ParameterFileFatal, OverflowingNumberIsAFailedRead) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::string out;
  } cases[] = {
      {"configurations", "run.cfg\n3000000000\n2\n1\nSi 1\nO 1\n", kChooseRange + kFinalFormat},
      {"axis", "run.cfg\n1\n2\n4 5000000000 0 1\nSi\nO\n", kTypeFormat},
      {"limit", "run.cfg\n1\n2\n4 1 1e999 0.5\nSi\nO\n", kTypeFormat},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ParRead read = ReadPar(c.text);
    EXPECT_TRUE(read.quit);
    EXPECT_EQ(read.out, c.out) << "a number too large for its field must leave the field as it "
                                  "was and fail the stream, with no message about its value";
  }
}

TEST(ParameterFileAccepted, LongNamesAndSymbolsStoredWhole) {
  const std::string stem(10000, 'r');
  const std::string symbol(100000, 'S');
  ForBothLineEnds(stem + "_coll.cfg\n2\n2\n2\n" + symbol + " 1\nO 1\n", [&](const ParRead& read) {
    EXPECT_FALSE(read.quit);
    EXPECT_EQ(read.cfg_name, stem + "_coll.cfg");
    EXPECT_EQ(read.base_name, stem + "_coll");
    EXPECT_EQ(read.state.input_kind, 3);
    EXPECT_EQ(read.state.type_symbol, (std::vector<std::string>{symbol, "O"}));
  });
}

TEST(ParameterFileOpen, ReadsANamedFileOrStops) {
  ScratchDir dir;
  dir.Write("ok.par", "sample.cfg\r\n1\r\n2\r\n3\r\nSi 2\r\nO 1\r\n7\r\n2\r\n11\r\n");
  const ParRead read = Capture([&](std::string& cfg_name, std::string& base_name) {
    SimpleCfg::GetCrystalMakerPar(dir.File("ok.par"), cfg_name, base_name);
  });
  EXPECT_FALSE(read.quit);
  EXPECT_EQ(read.out, "");
  EXPECT_EQ(read.cfg_name, "sample.cfg");
  EXPECT_EQ(read.base_name, "sample");
  EXPECT_EQ(read.state.selected_index, (std::vector<int>{1, 6, 10}));

  for (const std::string& name : {dir.File("missing.par"), dir.path(), std::string()}) {
    SCOPED_TRACE("parameter file '" + name + "'");
    const ParRead failed = Capture([&](std::string& cfg_name, std::string& base_name) {
      SimpleCfg::GetCrystalMakerPar(name, cfg_name, base_name);
    });
    EXPECT_TRUE(failed.quit);
    EXPECT_EQ(
        failed.out,
        "****WARNING****\n"
        "SimpleCfg::GetCrystalMakerPar CrystalMaker parameter file is not open for reading!\n");
    EXPECT_EQ(failed.err, "Quit (y)?->\n");
    EXPECT_EQ(failed.state.input_kind, 0);
  }
}
