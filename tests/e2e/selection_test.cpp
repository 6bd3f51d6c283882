// The atom choices of options 1, 3 and 4 seen from outside: whole console output, exit status and
// every file in the run's folder, with the expected atoms worked out here from the configuration
// the test wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
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

const std::vector<std::string> kSymbols{"Si", "O", "Na", "Cl", "Ge"};

// Type lines hold "symbol count", or the symbol alone when counts is empty (option 4).
std::string ParFile(const std::string& cfg_name, int nconf, const std::string& option_line,
                    std::size_t ntypes, const std::vector<int>& counts,
                    const std::string& indices = "") {
  std::string text = cfg_name + "\n" + std::to_string(nconf) + "\n" + std::to_string(ntypes) +
                     "\n" + option_line + "\n";
  for (std::size_t i = 0; i < ntypes; ++i) {
    text += kSymbols[i] + (counts.empty() ? "" : " " + std::to_string(counts[i])) + "\n";
  }
  return text + indices;
}

// The output file of configuration `index` (from 0); a run here has fewer than ten.
std::string OutputName(const std::string& base, int index, int nconf) {
  return base + (nconf <= 1 ? "" : "000" + std::to_string(index)) + ".cmtx";
}

// Runs p.par over cfg_name in dir and checks the whole run: `before` and `after` the progress
// lines, then the finish lines and the inputs with `outputs` in the folder, or, when the run
// stops, the quit prompt and only the inputs.
void RunAndExpect(const ScratchDir& dir, const std::string& cfg_name, int nconf,
                  const std::string& before, const std::string& after, const Files& outputs,
                  bool stops = false) {
  Files expected = dir.Files();
  const RunResult run = RunConverter(dir, {"p.par"});
  std::string progress;
  for (int i = 0; i < nconf; ++i) {
    progress +=
        ProgressText(i + 1, cfg_name, OutputName(cfg_name.substr(0, cfg_name.find('.')), i, nconf));
  }
  EXPECT_EQ(run.out, HelpText() + before + progress + after + (stops ? "" : FinishText()));
  EXPECT_EQ(run.err, stops ? "Quit (y)?->\n" : "");
  EXPECT_EQ(run.status, stops ? 1 : 0);
  for (const auto& [name, content] : outputs) expected[name] = content;
  EXPECT_EQ(dir.Files(), expected);
}

// ---------------------------------------------------------------------------------------------
// Options 1 and 3 on one configuration

struct SingleRow {
  std::string label;
  std::vector<int> ni;
  std::string option;
  std::vector<int> counts;
  std::string indices;
  std::string before;  // header messages before the progress line
  std::string after;   // after it: the refusal of a list, or the warning about "index"
  std::vector<int> atoms;
};

void PrintTo(const SingleRow& row, std::ostream* os) { *os << row.label; }

const char kIndexWarning[] =
    "****WARNING**** The file index could not be written, the conversion goes on without it.\n";

class SelectionE2eSingle : public ::testing::TestWithParam<SingleRow> {};

TEST_P(SelectionE2eSingle, WritesTheChosenAtomsOrStops) {
  const SingleRow& row = GetParam();
  ScratchDir dir;
  const Configuration conf = RandomConfiguration(row.ni, 10.0, 5);
  dir.Write("sample.cfg", TextConfiguration(conf));
  dir.Write("p.par", ParFile("sample.cfg", 1, row.option, row.ni.size(), row.counts, row.indices));
  SCOPED_TRACE(row.label + "\n" + dir.Read("p.par"));
  const bool stops = row.option == "3" && !row.after.empty();
  Files outputs;
  if (!stops) outputs["sample.cmtx"] = ExpectedCmtx(conf, kSymbols, row.atoms);
  if (row.after == kIndexWarning) {
    fs::create_directory(dir.File("index"));
  } else if (row.option == "1") {
    // An older, longer "index" is replaced whole.
    dir.Write("index", "an older index file that is longer than the new one\n1\n2\n3\n4\n5\n");
    outputs["index"] = Lines(row.atoms);
  }
  RunAndExpect(dir, "sample.cfg", 1, row.before, row.after, outputs, stops);
  if (row.after == kIndexWarning) {
    EXPECT_TRUE(fs::is_empty(dir.File("index")));
  }
}

// Option 3 over types of 4 and 3 atoms: one-based 1-4 and 5-7.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SelectionE2eSingle, ::testing::Values(
    SingleRow{"spread, a type left out, a count lowered", {6, 5, 4}, "1", {2, 0, 9}, "",
              UsedCountLowered(3, 9, 4), "", {0, 5, 11, 12, 13, 14}},
    SingleRow{"spread, index cannot be opened", {7, 3}, "1", {1, 1}, "", "", kIndexWarning,
              {0, 7}},
    SingleRow{"unsorted list", {4, 3}, "3", {2, 1}, "3\n6\n1\n", "", "", {0, 2, 5}},
    SingleRow{"atom of the next type", {4, 3}, "3", {2, 1}, "1\n5\n6\n", "",
              IndexOutOfRange("5", 1, 1, 4), {}},
    SingleRow{"index 0", {4, 3}, "3", {2, 1}, "2\n0\n6\n", "", IndexOutOfRange("0", 1, 1, 4), {}},
    // The message repeats the index exactly as the parameter file gives it.
    SingleRow{"most negative index", {4, 3}, "3", {2, 1}, "-2147483648\n2\n6\n", "",
              IndexOutOfRange("-2147483648", 1, 1, 4), {}},
    SingleRow{"repeated index", {4, 3}, "3", {2, 1}, "2\n2\n6\n", "", IndexRepeated(2), {}}));
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
    par = ParFile("run_coll.cfg", 3, "1", 2, {3, 5});
    atoms.assign(3, {0, 4, 9, 10, 13, 16, 19, 21});
    outputs["index"] = Lines(atoms[0]);
  } else if (option == 3) {
    par = ParFile("run_coll.cfg", 3, "3", 2, {2, 2}, "12\n1\n7\n15\n");
    atoms.assign(3, {0, 6, 11, 14});
  } else {
    // Atoms of the first configuration on both planes and just beyond them; the third
    // configuration has every atom beyond the slab.
    const std::pair<int, double> placed[] = {
        {0, -0.5}, {3, 0.25}, {5, std::nextafter(0.25, 1.0)}, {9, std::nextafter(-0.5, -1.0)}};
    for (const auto& [atom, x] : placed) confs[0].coords[3 * static_cast<std::size_t>(atom)] = x;
    for (std::size_t a = 0; a < 22; ++a) confs[2].coords[3 * a] = 0.9;
    par = ParFile("run_coll.cfg", 3, "4 0 -0.5 0.25", 2, {});
    for (const Configuration& conf : confs) atoms.push_back(SlabAtoms(conf, 0, -0.5, 0.25));
    ASSERT_NE(atoms[0], atoms[1]);
    ASSERT_FALSE(atoms[1].empty());
    ASSERT_TRUE(atoms[2].empty());
  }
  ScratchDir dir;
  dir.Write("run_coll.cfg", CollectionFile(confs));
  dir.Write("p.par", par);
  for (int k = 0; k < 3; ++k) {
    const auto at = static_cast<std::size_t>(k);
    outputs[OutputName("run_coll", k, 3)] = ExpectedCmtx(confs[at], kSymbols, atoms[at]);
  }
  if (option == 4) {
    EXPECT_EQ(outputs["run_coll0002.cmtx"], "MOLE\nATOM\n");
  }
  RunAndExpect(dir, "run_coll.cfg", 3, "", "", outputs);
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
  // Seeds divisible by 4 take the binary form, which holds one configuration.
  const bool binary = seed % 4 == 0;
  const int nconf = binary ? 1 : 2;
  const std::string cfg_name = binary ? "rand.bcf" : "rand_coll.cfg";
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
    dir.Write("p.par", ParFile(cfg_name, nconf, option_line, ni.size(),
                               option == 4 ? std::vector<int>{} : counts, indices));
    SCOPED_TRACE("seed " + std::to_string(seed) + ", parameter file begins:\n" +
                 dir.Read("p.par").substr(0, 300));
    Files outputs;
    for (std::size_t k = 0; k < confs.size(); ++k) {
      outputs[OutputName(binary ? "rand" : "rand_coll", static_cast<int>(k), nconf)] =
          ExpectedCmtx(confs[k], kSymbols, atoms[k]);
    }
    if (option == 1) outputs["index"] = Lines(atoms[0]);
    RunAndExpect(dir, cfg_name, nconf, "", "", outputs);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SelectionE2eRandom, ::testing::Values(1U, 4U));

}  // namespace
