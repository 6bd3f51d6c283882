// The parameter file reader: every value it keeps and every correction it reports, with the
// whole console output, and the stops that no broken input of the end-to-end tests reaches.
#include "params/parameter_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
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
ParRead ReadPar(const std::string& text) {
  ParRead read;
  Observed& seen = read;
  std::istringstream in(text);
  seen = Observe([&] { ReadCrystalMakerPar(in, read.cfg_name, read.base_name); },
                 [&] { read.state = cfg_state; });
  return read;
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
  const std::string stem(10000, 'r');
  const std::string symbol(100000, 'S');
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
    std::vector<int> selected = {};  // option 3: the list as read, zero-based and sorted
  } cases[] = {
      {"option 1, symbols kept as written", "sample.cfg\n1\n3\n1\nsi 3\nXx12 0\nSI 2\n", "", 1, 1,
       3, 1, {"si", "Xx12", "SI"}, {3, 0, 2}, 5},
      {"several configurations of a binary file", "run.bcf\n5\n1\n2\nSi 1\n", kOneConfiguration, 2,
       1, 1, 2, {"Si"}, {1}, 1},
      {"several configurations of a collection", "run_coll.cfg\n5\n1\n2\nSi 1\n", "", 3, 5, 1, 2,
       {"Si"}, {1}, 1},
      {"no configuration", "run.cfg\n0\n1\n2\nSi 1\n", "", 1, 0, 1, 2, {"Si"}, {1}, 1},
      {"choose_part 0", "run.cfg\n1\n2\n0 4 1 0.5\nSi 3\nO 2\n", kChooseRange, 1, 1, 2, 1,
       {"Si", "O"}, {3, 2}, 5},
      {"choose_part 5", "run.cfg\n1\n2\n5\nSi 3\nO 2\n", kChooseRange, 1, 1, 2, 1, {"Si", "O"},
       {3, 2}, 5},
      {"free text and blank lines",
       "run.cfg   the model\n\n\n1 configuration\n\n2 types\n  2   first atoms  \n\nSi 8 "
       "silicon\n\nO 4 oxygen\n", "", 1, 1, 2, 2, {"Si", "O"}, {8, 4}, 12},
      {"no line end after the last count", "run.cfg\n1\n2\n2\nSi 8\nO 4", "", 1, 1, 2, 2,
       {"Si", "O"}, {8, 4}, 12},
      {"no types", "run.cfg\n1\n0\n2\n", "", 1, 1, 0, 2, {}, {}, 0},
      {"negative number of types", "run.cfg\n1\n-2\n1\n", "", 1, 1, -2, 1, {}, {}, 0},
      {"negative count", "run.cfg\n1\n3\n2\nSi -4\nO 2\nC -2147483648\n",
       Negative(1, -4) + Negative(3, INT_MIN), 1, 1, 3, 2, {"Si", "O", "C"}, {0, 2, 0}, 2},
      {"counts up to the largest total", "run.cfg\n1\n2\n2\nSi 2147483646\nO 1\n", "", 1, 1, 2, 2,
       {"Si", "O"}, {2147483646, 1}, INT_MAX},
      {"names and symbols of any length", stem + "_coll.cfg\n2\n2\n2\n" + symbol + " 1\nO 1\n", "",
       3, 2, 2, 2, {symbol, "O"}, {1, 1}, 2},
      {"option 4 reads symbols only", "run_coll.cfg\n2\n2\n4 1 -0.7 0.5\nSi 5\nO 7", "", 3, 2, 2, 4,
       {"Si", "O"}, {0, 0}, 0},
      {"index list, any white space between indices", "run.cfg\n1\n2\n3\nSi 2\nO 1\n 3 1\n\n\t5",
       "", 1, 1, 2, 3, {"Si", "O"}, {2, 1}, 3, {0, 2, 4}},
      {"index list, index 0 comes first", "run.cfg\n1\n2\n3\nSi 2\nO 1\n3\n0\n5\n", "", 1, 1, 2, 3,
       {"Si", "O"}, {2, 1}, 3, {-1, 2, 4}},
      {"index list, later values never read", "run.cfg\n1\n2\n3\nSi 1\nO 1\n9\n4\nnot an index\n",
       "", 1, 1, 2, 3, {"Si", "O"}, {1, 1}, 2, {3, 8}},
      {"index list, all counts 0", "run.cfg\n1\n2\n3\nSi 0\nO 0\n", "", 1, 1, 2, 3, {"Si", "O"},
       {0, 0}, 0, {}},
      {"index list, a type without atoms", "run.cfg\n1\n3\n3\nSi 1\nO 0\nC 2\n7\n2\n6\n", "", 1,
       1, 3, 3, {"Si", "O", "C"}, {1, 0, 2}, 3, {1, 5, 6}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ForBothLineEnds(c.text, [&](const ParRead& read) {
      EXPECT_FALSE(read.quit);
      EXPECT_EQ(read.out, c.out);
      EXPECT_EQ(read.err, "");
      EXPECT_EQ(read.cfg_name, c.text.substr(0, c.text.find_first_of(" \n")));
      EXPECT_EQ(read.state.input_kind, c.kind);
      EXPECT_EQ(read.state.nconf, c.nconf);
      EXPECT_EQ(read.state.ntypes_par, c.ntypes);
      EXPECT_EQ(read.state.choose_part, c.choose_part);
      EXPECT_EQ(read.state.type_symbol, c.symbols);
      EXPECT_EQ(read.state.nused, c.nused);
      EXPECT_EQ(read.state.nused_total, c.nused_total);
      EXPECT_EQ(read.state.selected_index, c.selected);
    });
  }
}

TEST(ParameterFileAccepted, SlabLimitsOrdered) {
  const struct {
    const char* line4;
    int axis;
    double min;
    double max;
  } cases[] = {{"4  1  0.5 -0.7  the y slab", 1, -0.7, 0.5},
               {"4 0 -1 1", 0, -1.0, 1.0},
               {"4 2 0.3 0.3", 2, 0.3, 0.3}};
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

// Stops that the broken inputs of the end-to-end tests do not reach. A number too large for its
// field is a failed read like any other: the field keeps its value, and the run stops at the
// next check of the stream, with no message about its value.
TEST(ParameterFileFatal, StopsWithTheWholeMessage) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::string out;
  } cases[] = {
      {"missing symbol for option 4", "run.cfg\n1\n2\n4 0 0 1\nSi\n", kTypeEnd},
      {"no index list, no line end", "run.cfg\n1\n2\n3\nSi 2\nO 1", kTypeEnd},
      {"no line end after counts of 0", "run.cfg\n1\n2\n3\nSi 0\nO 0", kTypeEnd},
      {"type line where an index belongs", "run.cfg\n1\n1\n3\nSi 2\nO 1\n1\n2\n", kTypeFormat},
      {"letters for the number of types", "run.cfg\n1\nabc\n2\n", kChooseRange + kFinalFormat},
      {"no type line, file ends on line 4", "run.cfg\n1\n0\n2", kFinalEnd},
      {"too many configurations", "run.cfg\n3000000000\n2\n1\nSi 1\nO 1\n",
       kChooseRange + kFinalFormat},
      {"too large an axis", "run.cfg\n1\n2\n4 5000000000 0 1\nSi\nO\n", kTypeFormat},
      {"too large a limit", "run.cfg\n1\n2\n4 1 1e999 0.5\nSi\nO\n", kTypeFormat},
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
