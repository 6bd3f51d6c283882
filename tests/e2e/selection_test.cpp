// The atom choices of options 1, 3 and 4 seen from outside: whole console output, exit status and
// every file in the run's folder, with the expected atoms worked out here from the configuration
// the test wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/config_writer.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

std::string Lines(const std::vector<int>& values) {
  std::string text;
  for (int v : values) text += std::to_string(v) + "\n";
  return text;
}

std::string Exact(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// Offsets of d atoms spread over n: the first and the last atom, steps of q = (n-1) div (d-1),
// and the (n-1) mod (d-1) steps of q+1 taken in one block once d div e plain steps have passed.
std::vector<int> EvenOffsets(int n, int d) {
  if (d <= 0) return {};
  if (d == 1) return {0};
  const int q = (n - 1) / (d - 1);
  int extra = (n - 1) % (d - 1);
  const int period = extra > 0 ? d / extra : n;
  std::vector<int> offsets{0};
  int plain_steps = 1;
  for (int k = 1; k <= d - 2; ++k) {
    int step = q;
    if (plain_steps == period && extra > 0) {
      step = q + 1;
      --extra;
    } else {
      ++plain_steps;
    }
    offsets.push_back(offsets.back() + step);
  }
  offsets.push_back(n - 1);
  return offsets;
}

std::vector<int> EvenSpreadAtoms(const std::vector<int>& ni, const std::vector<int>& counts) {
  std::vector<int> atoms;
  int start = 0;
  for (std::size_t i = 0; i < ni.size(); ++i) {
    for (int o : EvenOffsets(ni[i], std::min(counts[i], ni[i]))) atoms.push_back(start + o);
    start += ni[i];
  }
  return atoms;
}

std::vector<int> SlabAtoms(const Configuration& conf, int axis, double low, double high) {
  std::vector<int> atoms;
  for (int a = 0; a < conf.ntotal(); ++a) {
    const double x = conf.coords[3 * static_cast<std::size_t>(a) + static_cast<std::size_t>(axis)];
    if (low <= x && x <= high) atoms.push_back(a);
  }
  return atoms;
}

// Type lines hold "symbol count", or the symbol alone when counts is empty (option 4).
std::string ParFile(const std::string& cfg_name, int nconf, const std::string& option_line,
                    const std::vector<std::string>& symbols, const std::vector<int>& counts,
                    const std::string& indices = "") {
  std::string text = cfg_name + "\n" + std::to_string(nconf) + "\n" +
                     std::to_string(symbols.size()) + "\n" + option_line + "\n";
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    text += symbols[i];
    if (!counts.empty()) text += " " + std::to_string(counts[i]);
    text += "\n";
  }
  return text + indices;
}

std::string OutputName(const std::string& base, int index, int nconf) {
  if (nconf <= 1) return base + ".cmtx";
  const std::string digits = std::to_string(index);
  return base + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + ".cmtx";
}

std::string Progress(const std::string& cfg_name, const std::string& base, int nconf) {
  std::string text;
  for (int i = 0; i < nconf; ++i) {
    text += ProgressText(i + 1, cfg_name, OutputName(base, i, nconf));
  }
  return text;
}

// The folder after the run holds exactly the inputs and the given outputs.
void ExpectFolder(const ScratchDir& dir, const Files& inputs, const Files& outputs) {
  Files expected = inputs;
  for (const auto& [name, content] : outputs) expected[name] = content;
  const Files actual = dir.Files();
  for (const auto& [name, content] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end()) {
      ADD_FAILURE() << "missing file " << name;
    } else {
      EXPECT_EQ(found->second, content) << "file " << name;
    }
  }
  for (const auto& entry : actual) {
    EXPECT_EQ(expected.count(entry.first), 1U) << "unexpected file " << entry.first;
  }
}

const std::vector<std::string> kSymbols{"Si", "O", "Na", "Cl", "Ge"};

std::vector<std::string> Symbols(std::size_t ntypes) {
  return std::vector<std::string>(kSymbols.begin(),
                                  kSymbols.begin() + static_cast<std::ptrdiff_t>(ntypes));
}

// ---------------------------------------------------------------------------------------------
// Option 1 on one configuration

struct SpreadRow {
  std::string label;
  std::vector<int> ni;
  std::vector<int> counts;
  std::string header_messages;
  std::vector<int> atoms;
};

void PrintTo(const SpreadRow& row, std::ostream* os) {
  *os << row.label;
}

class SelectionE2eEvenSpread : public ::testing::TestWithParam<SpreadRow> {};

TEST_P(SelectionE2eEvenSpread, WritesTheSpreadAndTheIndexFile) {
  const SpreadRow& row = GetParam();
  ScratchDir dir;
  const Configuration conf = RandomConfiguration(row.ni, 11.25, 7);
  const auto symbols = Symbols(row.ni.size());
  dir.Write("sample.cfg", TextConfiguration(conf));
  dir.Write("p.par", ParFile("sample.cfg", 1, "1", symbols, row.counts));
  SCOPED_TRACE(row.label + "\n" + dir.Read("p.par"));
  const Files inputs = dir.Files();
  const RunResult run = RunConverter(dir, {"p.par"});
  EXPECT_EQ(run.out,
            HelpText() + row.header_messages + Progress("sample.cfg", "sample", 1) + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  ExpectFolder(
      dir, inputs,
      {{"sample.cmtx", ExpectedCmtx(conf, symbols, row.atoms)}, {"index", Lines(row.atoms)}});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Counts, SelectionE2eEvenSpread, ::testing::Values(
    SpreadRow{"two types", {10, 12}, {3, 5}, "", {0, 4, 9, 10, 13, 16, 19, 21}},
    SpreadRow{"a type left out", {6, 5, 4}, {2, 0, 4}, "", {0, 5, 11, 12, 13, 14}},
    SpreadRow{"one atom of each", {7, 3}, {1, 1}, "", {0, 7}},
    SpreadRow{"count lowered to the type size", {5, 6}, {9, 3}, UsedCountLowered(1, 9, 5),
              {0, 1, 2, 3, 4, 5, 7, 10}}));
// clang-format on

// "index" opens but takes no byte (a link to a full device), or does not open at all (a folder).
class SelectionE2eIndexFile : public ::testing::TestWithParam<std::string> {};

TEST_P(SelectionE2eIndexFile, AnUnwritableIndexOnlyCostsTheIndexFile) {
  const std::string obstacle = GetParam();
  if (obstacle == "full device" && !fs::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  ScratchDir dir;
  const Configuration conf = RandomConfiguration({10, 12}, 9.0, 3);
  dir.Write("sample.cfg", TextConfiguration(conf));
  dir.Write("p.par", ParFile("sample.cfg", 1, "1", {"Si", "O"}, {3, 5}));
  if (obstacle == "folder") {
    fs::create_directory(dir.File("index"));
  } else {
    fs::create_symlink("/dev/full", dir.File("index"));
  }
  SCOPED_TRACE(obstacle);
  const Files inputs = dir.Files();
  const RunResult run = RunConverter(dir, {"p.par"});
  EXPECT_EQ(run.out, HelpText() + Progress("sample.cfg", "sample", 1) +
                         "****WARNING**** The file index could not be written, the conversion "
                         "goes on without it.\n" +
                         FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  ExpectFolder(dir, inputs,
               {{"sample.cmtx", ExpectedCmtx(conf, {"Si", "O"}, {0, 4, 9, 10, 13, 16, 19, 21})}});
  if (obstacle == "folder") {
    EXPECT_TRUE(fs::is_empty(dir.File("index")));
  }
}

INSTANTIATE_TEST_SUITE_P(Obstacles, SelectionE2eIndexFile,
                         ::testing::Values("folder", "full device"));

// ---------------------------------------------------------------------------------------------
// Option 3 on one configuration

struct ListRow {
  std::string label;
  std::vector<int> ni;
  std::vector<int> counts;
  std::string indices;
  std::string messages;  // header messages before the progress line, or the refusal after it
  std::vector<int> atoms;
  bool refused;
};

void PrintTo(const ListRow& row, std::ostream* os) {
  *os << row.label;
}

class SelectionE2eIndexList : public ::testing::TestWithParam<ListRow> {};

TEST_P(SelectionE2eIndexList, WritesTheListedAtomsOrStops) {
  const ListRow& row = GetParam();
  ScratchDir dir;
  const Configuration conf = RandomConfiguration(row.ni, 10.0, 5);
  const auto symbols = Symbols(row.ni.size());
  dir.Write("sample.cfg", TextConfiguration(conf));
  dir.Write("p.par", ParFile("sample.cfg", 1, "3", symbols, row.counts, row.indices));
  SCOPED_TRACE(row.label + "\n" + dir.Read("p.par"));
  const Files inputs = dir.Files();
  const RunResult run = RunConverter(dir, {"p.par"});
  if (row.refused) {
    EXPECT_EQ(run.out, HelpText() + Progress("sample.cfg", "sample", 1) + row.messages);
    EXPECT_EQ(run.err, "Quit (y)?->\n");
    EXPECT_EQ(run.status, 1);
    ExpectFolder(dir, inputs, {});
  } else {
    EXPECT_EQ(run.out,
              HelpText() + row.messages + Progress("sample.cfg", "sample", 1) + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    ExpectFolder(dir, inputs, {{"sample.cmtx", ExpectedCmtx(conf, symbols, row.atoms)}});
  }
}

// Types of 4 and 3 atoms: one-based 1-4 and 5-7.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, SelectionE2eIndexList, ::testing::Values(
    ListRow{"unsorted list", {4, 3}, {2, 1}, "3\n6\n1\n", "", {0, 2, 5}, false},
    ListRow{"first type left out", {4, 3}, {0, 2}, "7\n5\n", "", {4, 6}, false},
    ListRow{"nothing listed", {4, 3}, {0, 0}, "", "", {}, false},
    ListRow{"count lowered, list longer than used", {3, 4}, {5, 1}, "1\n2\n3\n4\n5\n6\n",
            UsedCountLowered(1, 5, 3), {0, 1, 2, 3}, false},
    ListRow{"atom of the next type", {4, 3}, {2, 1}, "1\n5\n6\n", IndexOutOfRange("5", 1, 1, 4), {},
            true},
    ListRow{"index 0", {4, 3}, {2, 1}, "2\n0\n6\n", IndexOutOfRange("0", 1, 1, 4), {}, true},
    ListRow{"index above the atom count", {4, 3}, {2, 1}, "1\n2\n8\n",
            IndexOutOfRange("8", 2, 5, 7), {}, true},
    ListRow{"atom of an earlier type", {4, 3}, {0, 2}, "2\n6\n", IndexOutOfRange("2", 2, 5, 7), {},
            true},
    // The message repeats the index exactly as the parameter file gives it.
    ListRow{"most negative index", {4, 3}, {2, 1}, "-2147483648\n2\n6\n",
            IndexOutOfRange("-2147483648", 1, 1, 4), {}, true},
    ListRow{"repeated index", {4, 3}, {2, 1}, "2\n2\n6\n", IndexRepeated(2), {}, true},
    ListRow{"repeated in the second type", {4, 3}, {1, 2}, "1\n6\n6\n", IndexRepeated(6), {},
            true}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Option 4 on one configuration

struct SlabRow {
  std::string label;
  std::string option_line;
  int axis;
  double low;
  double high;
  std::vector<std::pair<int, double>> placed;  // atom, coordinate along the axis
  bool empty;
};

void PrintTo(const SlabRow& row, std::ostream* os) {
  *os << row.label;
}

class SelectionE2eSlab : public ::testing::TestWithParam<SlabRow> {};

TEST_P(SelectionE2eSlab, WritesTheAtomsBetweenThePlanes) {
  const SlabRow& row = GetParam();
  ScratchDir dir;
  Configuration conf = RandomConfiguration({5, 4, 6}, 8.5, 21);
  for (const auto& [atom, value] : row.placed) {
    conf.coords[3 * static_cast<std::size_t>(atom) + static_cast<std::size_t>(row.axis)] = value;
  }
  const auto symbols = Symbols(3);
  dir.Write("sample.cfg", TextConfiguration(conf));
  // The counts after the symbols play no part in a slab.
  dir.Write("p.par", ParFile("sample.cfg", 1, row.option_line, symbols, {1, 0, 99}));
  SCOPED_TRACE(row.label + "\n" + dir.Read("p.par"));
  const std::vector<int> atoms = SlabAtoms(conf, row.axis, row.low, row.high);
  ASSERT_EQ(atoms.empty(), row.empty);
  const Files inputs = dir.Files();
  const RunResult run = RunConverter(dir, {"p.par"});
  EXPECT_EQ(run.out, HelpText() + Progress("sample.cfg", "sample", 1) + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  ExpectFolder(dir, inputs, {{"sample.cmtx", ExpectedCmtx(conf, symbols, atoms)}});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Slabs, SelectionE2eSlab, ::testing::Values(
    SlabRow{"y between -0.7 and 0.5", "4  1  -0.7 0.5", 1, -0.7, 0.5,
            {{0, -0.7}, {3, 0.5}, {5, std::nextafter(0.5, 1.0)}, {9, std::nextafter(-0.7, -1.0)}},
            false},
    SlabRow{"limits given the other way round", "4 1 0.5 -0.7", 1, -0.7, 0.5,
            {{0, -0.7}, {14, 0.5}}, false},
    SlabRow{"whole box", "4 0 -1 1", 0, -1.0, 1.0, {{1, -1.0}, {2, 1.0}, {4, 1.5}, {6, -1.25}},
            false},
    SlabRow{"zero width", "4 2 0 0", 2, 0.0, 0.0, {{2, 0.0}, {5, -0.0}, {7, 1e-12}, {13, 0.0}},
            false},
    SlabRow{"no atom inside", "4 2 1 1", 2, 1.0, 1.0, {}, true}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Three configurations of one collection file

class SelectionE2eCollection : public ::testing::TestWithParam<int> {};

TEST_P(SelectionE2eCollection, EveryFileHoldsItsOwnConfigurationsChoice) {
  const int option = GetParam();
  SCOPED_TRACE("option " + std::to_string(option));
  std::vector<Configuration> confs;
  for (std::uint32_t seed : {41U, 42U, 43U}) {
    confs.push_back(RandomConfiguration({10, 12}, 6.5, seed));
  }
  std::vector<std::vector<int>> atoms;
  std::string par;
  Files outputs;
  if (option == 1) {
    // Chosen once from the first configuration, and "index" written once.
    par = ParFile("run_coll.cfg", 3, "1", {"Si", "O"}, {3, 5});
    atoms.assign(3, {0, 4, 9, 10, 13, 16, 19, 21});
    outputs["index"] = Lines(atoms[0]);
  } else if (option == 3) {
    par = ParFile("run_coll.cfg", 3, "3", {"Si", "O"}, {2, 2}, "12\n1\n7\n15\n");
    atoms.assign(3, {0, 6, 11, 14});
  } else {
    // The third configuration has every atom beyond the slab.
    for (std::size_t a = 0; a < 22; ++a) confs[2].coords[3 * a] = 0.9;
    par = ParFile("run_coll.cfg", 3, "4 0 -0.5 0.25", {"Si", "O"}, {});
    for (const Configuration& conf : confs) atoms.push_back(SlabAtoms(conf, 0, -0.5, 0.25));
    ASSERT_NE(atoms[0], atoms[1]);
    ASSERT_FALSE(atoms[0].empty());
    ASSERT_FALSE(atoms[1].empty());
    ASSERT_TRUE(atoms[2].empty());
  }
  ScratchDir dir;
  dir.Write("run_coll.cfg", CollectionFile(confs));
  dir.Write("p.par", par);
  const Files inputs = dir.Files();
  const RunResult run = RunConverter(dir, {"p.par"});
  EXPECT_EQ(run.out, HelpText() + Progress("run_coll.cfg", "run_coll", 3) + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  for (int k = 0; k < 3; ++k) {
    const auto at = static_cast<std::size_t>(k);
    outputs[OutputName("run_coll", k, 3)] = ExpectedCmtx(confs[at], {"Si", "O"}, atoms[at]);
  }
  if (option == 4) {
    EXPECT_EQ(outputs["run_coll0002.cmtx"], "MOLE\nATOM\n");
  }
  ExpectFolder(dir, inputs, outputs);
}

INSTANTIATE_TEST_SUITE_P(Options, SelectionE2eCollection, ::testing::Values(1, 3, 4));

// ---------------------------------------------------------------------------------------------
// Random models and random choices, against the rules worked out here

class SelectionE2eRandom : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(SelectionE2eRandom, MatchesTheRulesForEveryOption) {
  const std::uint32_t seed = GetParam();
  std::mt19937 rng(seed);
  const auto draw = [&rng](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
  };
  std::vector<int> ni(static_cast<std::size_t>(draw(3, 5)));
  for (int& n : ni) n = draw(1, 4) == 1 ? draw(1, 3) : draw(200, 1000);
  const auto symbols = Symbols(ni.size());
  // Seeds divisible by 4 take the binary form, which holds one configuration.
  const bool binary = seed % 4 == 0;
  const int nconf = binary ? 1 : 2;
  const std::string cfg_name = binary ? "rand.bcf" : "rand_coll.cfg";
  const std::string base = binary ? "rand" : "rand_coll";
  std::vector<Configuration> confs;
  for (int k = 0; k < nconf; ++k)
    confs.push_back(RandomConfiguration(ni, 4.75, seed * 10 + static_cast<std::uint32_t>(k)));
  const std::string cfg_text = binary ? BinaryConfiguration(confs[0], 4) : CollectionFile(confs);

  for (int option : {1, 3, 4}) {
    std::vector<int> counts(ni.size(), 0);
    std::vector<std::vector<int>> atoms(confs.size());
    std::string option_line = std::to_string(option);
    std::string indices;
    if (option == 1) {
      for (std::size_t i = 0; i < ni.size(); ++i) {
        const int pick = draw(0, 5);
        counts[i] = pick == 0   ? 0
                    : pick == 1 ? ni[i]
                    : pick == 2 ? std::min(2, ni[i])
                                : draw(0, ni[i]);
      }
      atoms.assign(confs.size(), EvenSpreadAtoms(ni, counts));
    } else if (option == 3) {
      std::vector<int> listed;
      int start = 0;
      for (std::size_t i = 0; i < ni.size(); ++i) {
        std::vector<int> type_atoms(static_cast<std::size_t>(ni[i]));
        for (int j = 0; j < ni[i]; ++j) type_atoms[static_cast<std::size_t>(j)] = start + j;
        std::shuffle(type_atoms.begin(), type_atoms.end(), rng);
        counts[i] = draw(0, ni[i]);
        listed.insert(listed.end(), type_atoms.begin(), type_atoms.begin() + counts[i]);
        start += ni[i];
      }
      std::shuffle(listed.begin(), listed.end(), rng);
      for (int atom : listed) indices += std::to_string(atom + 1) + "\n";
      std::sort(listed.begin(), listed.end());
      atoms.assign(confs.size(), listed);
    } else {
      const int axis = draw(0, 2);
      const auto& first = confs[0].coords;
      // Limits taken from atoms' own coordinates put atoms right on the planes.
      const auto limit = [&]() {
        return draw(0, 1) == 0
                   ? first[3 * static_cast<std::size_t>(draw(0, confs[0].ntotal() - 1)) +
                           static_cast<std::size_t>(axis)]
                   : std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
      };
      double low = limit();
      double high = limit();
      if (low > high) std::swap(low, high);
      option_line += " " + std::to_string(axis) + " " + Exact(low) + " " + Exact(high);
      for (std::size_t k = 0; k < confs.size(); ++k)
        atoms[k] = SlabAtoms(confs[k], axis, low, high);
    }

    ScratchDir dir;
    dir.Write(cfg_name, cfg_text);
    dir.Write("p.par", ParFile(cfg_name, nconf, option_line, symbols,
                               option == 4 ? std::vector<int>{} : counts, indices));
    SCOPED_TRACE("seed " + std::to_string(seed) + ", parameter file begins:\n" +
                 dir.Read("p.par").substr(0, 300));
    const Files inputs = dir.Files();
    const RunResult run = RunConverter(dir, {"p.par"});
    EXPECT_EQ(run.out, HelpText() + Progress(cfg_name, base, nconf) + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    Files outputs;
    for (std::size_t k = 0; k < confs.size(); ++k) {
      outputs[OutputName(base, static_cast<int>(k), nconf)] =
          ExpectedCmtx(confs[k], symbols, atoms[k]);
    }
    if (option == 1) outputs["index"] = Lines(atoms[0]);
    ExpectFolder(dir, inputs, outputs);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SelectionE2eRandom, ::testing::Values(1U, 2U, 3U, 4U, 5U, 8U));

}  // namespace
