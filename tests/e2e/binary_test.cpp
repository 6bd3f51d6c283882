// Binary configurations (*.bcf) through the whole program: what the user sees, the exit status
// and the files left behind, and the same result as for the text form of the configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/config_writer.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

const char kQuitPrompt[] = "Quit (y)?->\n";
const std::vector<std::string> kSymbols = {"Si", "O", "Na", "Cl"};

std::string Int32(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string out;
  for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

std::string Real(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  std::string out;
  for (int b = 0; b < 8; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

// A header with any counts, consistent or not; lead 0 writes no leading word.
std::string Header(int lead, int ntotal, const std::vector<int>& ni, double box) {
  std::string out = lead != 0 ? Int32(lead) : "";
  out += Int32(ntotal) + Int32(static_cast<int>(ni.size()));
  for (int n : ni) out += Int32(n);
  return out + Real(box);
}

// Option 1 to 3 parameter file with one count per type.
std::string Parameters(const std::string& cfg_name, int nconf, int option,
                       const std::vector<int>& counts) {
  std::string par = cfg_name + "\n" + std::to_string(nconf) + "\n" +
                    std::to_string(counts.size()) + "\n" + std::to_string(option) + "\n";
  for (std::size_t k = 0; k < counts.size(); ++k) {
    par += kSymbols[k] + " " + std::to_string(counts[k]) + "\n";
  }
  return par;
}

std::string Progress() { return ProgressText(1, "model.bcf", "model.cmtx"); }

// ---------------------------------------------------------------------------------------------

// Problems the run can live with: reported, corrected, and the conversion goes on.
TEST(BinaryE2eCorrections, ReportedThenConverted) {
  const Configuration conf = RandomConfiguration({8, 4}, 9.0, 3);
  struct Case {
    const char* what;
    std::string par;
    std::string messages;
    std::vector<int> atoms;  // written, none and no progress line when empty
  };
  const Case cases[] = {
      {"used count above the type size", Parameters("model.bcf", 1, 2, {10, 2}),
       UsedCountLowered(1, 10, 8), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"several configurations asked of a binary file", Parameters("model.bcf", 5, 2, {1, 1}),
       "In case of a single text type (*.cfg) or a binary (*.bcf) file there can be just one "
       "configuration in a file, setting number of configuration to 1!\n",
       {0, 8}},
      {"no configuration asked", Parameters("model.bcf", 0, 2, {1, 1}), "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.Write("model.bcf", BinaryConfiguration(conf, 4));
    dir.Write("p.par", c.par);
    const RunResult run = RunConverter(dir, {"p.par"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    std::map<std::string, std::string> expected;
    if (c.atoms.empty()) {
      EXPECT_EQ(run.out, HelpText() + c.messages + FinishText());
    } else {
      EXPECT_EQ(run.out, HelpText() + c.messages + Progress() + FinishText());
      expected["model.cmtx"] = ExpectedCmtx(conf, {"Si", "O"}, c.atoms);
    }
    EXPECT_EQ(Written(dir, {"p.par", "model.bcf"}), expected);
  }
}

// ---------------------------------------------------------------------------------------------
// Fatal problems: the message, the quit prompt, status 1 and no output file.

struct FatalCase {
  const char* what;
  std::string bcf;  // the file's bytes; "<none>" for no file, "<folder>" for a folder
  std::string par;
  std::string messages;
};

std::vector<FatalCase> FatalCases() {
  const std::vector<int> two_types = {2, 3};
  const std::string whole = Header(0, 5, two_types, 2.0) + std::string(120, '\x01');
  const std::string header = whole.substr(0, 24);
  const std::string par = Parameters("model.bcf", 1, 2, {1, 1});
  const std::string open_warning =
      "****WARNING****\nSimpleCfg::GetParams_bcf *.bcf file is not open for reading!\n"
      "Cannot run this way, exiting\n";
  const std::string header_eof = LoadFailure("SimpleCfg::GetParameters_bcf", true);
  const std::string load_eof = Progress() + LoadFailure("SimpleCfg::Load_binary", true);
  const std::string refused = "Cannot run this way, exiting...\n";
  return {
      {"missing file", "<none>", par, open_warning},
      {"folder in place of the file", "<folder>", par, open_warning},
      {"more types than the parameter file", Header(0, 6, {2, 3, 1}, 2.0), par,
       TypeCountMismatch(2, 3)},
      {"huge type count in a tiny file", Int32(9) + Int32(2000000000) + Int32(9),
       Parameters("model.bcf", 1, 1, {1}), TypeCountMismatch(1, 2000000000)},
      {"empty file", "", par, TypeCountMismatch(2, 0)},
      {"only a leading word", Int32(8), par, TypeCountMismatch(2, 0)},
      // Two bytes of the little-endian 2 still read as 2 types.
      {"cut inside the type count", whole.substr(0, 6), par, header_eof},
      {"cut after the first type count", whole.substr(0, 12), par, header_eof},
      {"cut inside the box length", whole.substr(0, 20), par, header_eof},
      {"cut right before the coordinates", header, par, load_eof},
      {"cut inside the coordinates", whole.substr(0, 24 + 60), par, load_eof},
      {"one byte short", whole.substr(0, whole.size() - 1), par, load_eof},
      {"type counts below the atom count", Header(4, 5, {2, 2}, 2.0) + std::string(120, '\0'),
       par,
       "The numbers of atoms of the types add up to 4, but the total number of atoms is 5 in the "
       "configuration file!\n" +
           refused},
      {"type counts whose sum leaves the int range",
       Header(0, 2000000000, {2000000000, 2000000000}, 2.0), par,
       "The numbers of atoms of the types add up to 4000000000, but the total number of atoms "
       "is 2000000000 in the configuration file!\n" +
           refused},
      {"negative type count", Header(0, 5, {-1, 6}, 2.0) + std::string(120, '\0'), par,
       // No used count is lowered towards a negative size.
       "The number of atoms of type 1 (type index begin with 1) is -1 in the configuration "
           "file, which is negative!\n" +
           refused},
      {"negative atom count", Header(0, -5, {2, 3}, 2.0), par,
       "Sorry, cannot create SimpleCfg.\n"},
      {"negative type count in both files", Int32(3) + Int32(-1) + Real(1.0),
       "model.bcf\n1\n-1\n2\n", "Sorry, cannot create SimpleCfg.\n"},
  };
}

TEST(BinaryE2eFatal, StopsWithItsMessageAndWritesNothing) {
  for (const FatalCase& c : FatalCases()) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    if (c.bcf == "<folder>") {
      std::filesystem::create_directory(dir.File("model.bcf"));
    } else if (c.bcf != "<none>") {
      dir.Write("model.bcf", c.bcf);
    }
    dir.Write("p.par", c.par);
    const RunResult run = RunConverter(dir, {"p.par"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, HelpText() + c.messages);
    EXPECT_EQ(run.err, kQuitPrompt);
    EXPECT_EQ(Written(dir, {"p.par", "model.bcf"}), (std::map<std::string, std::string>{}));
  }
}

// 2,000,000,000 atoms need 48 GB of coordinates: either the room cannot be had, or the load
// finds the file far too short. Both must end at once with a message.
TEST(BinaryE2eFatal, HugeAtomCountInATinyFileStops) {
  ScratchDir dir;
  dir.Write("model.bcf", Header(4, 2000000000, {2000000000}, 1.0) + Real(0.5) + Real(0.5));
  dir.Write("p.par", Parameters("model.bcf", 1, 2, {3}));
  const RunResult run = RunConverter(dir, {"p.par"});
  const std::set<std::string> outcomes = {
      HelpText() + "Sorry, cannot create SimpleCfg.\n",
      HelpText() + Progress() + LoadFailure("SimpleCfg::Load_binary", true)};
  EXPECT_EQ(outcomes.count(run.out), 1u) << run.out;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kQuitPrompt);
  EXPECT_EQ(Written(dir, {"p.par", "model.bcf"}), (std::map<std::string, std::string>{}));
}

// ---------------------------------------------------------------------------------------------
// The binary and the text form of one configuration convert alike, for every option.

struct ModelCase {
  const char* name;
  std::vector<int> ni;
  double box;
  int lead;
};

const ModelCase kModels[] = {
    {"TwoTypes", {7, 5}, 23.75, 0},
    {"ThreeTypesWord4", {1, 13, 4}, 8.0, 4},
    {"OneTypeWord8", {40}, 101.5, 8},
    {"EmptyTypeAmongFour", {3, 0, 9, 2}, 0.5, 0},
    {"LargeWord4", {300, 200}, 1234.5678, 4},
    // Exactly 4 or 8 atoms can be written only behind a leading word.
    {"FourAtomsWord4", {4}, 14.5, 4},
    {"EightAtomsWord8", {6, 2}, 3.0, 8},
};

struct Conversion {
  RunResult result;
  std::map<std::string, std::string> written;
};

Conversion Convert(const std::string& cfg_name, const std::string& content,
                   const std::string& par) {
  ScratchDir dir;
  dir.Write(cfg_name, content);
  dir.Write("p.par", par);
  Conversion run{RunConverter(dir, {"p.par"}), {}};
  run.written = Written(dir, {"p.par", cfg_name});
  return run;
}

std::vector<int> IndexFileAtoms(const std::string& text) {
  std::vector<int> atoms;
  std::istringstream in(text);
  for (int atom = 0; in >> atom;) atoms.push_back(atom);
  return atoms;
}

class BinaryE2eSameAsText : public ::testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(BinaryE2eSameAsText, SameFilesForEveryOption) {
  const ModelCase& model = kModels[std::get<0>(GetParam())];
  const int option = std::get<1>(GetParam());
  const Configuration conf = RandomConfiguration(
      model.ni, model.box, static_cast<std::uint32_t>(100 + std::get<0>(GetParam())));
  const auto types = static_cast<std::ptrdiff_t>(model.ni.size());
  const std::vector<std::string> symbols(kSymbols.begin(), kSymbols.begin() + types);

  // About half of each type; option 3 lists them from the end of the type, every other atom.
  std::vector<int> counts;
  std::vector<int> listed;
  std::string tail;
  int start = 0;
  for (int n : model.ni) {
    counts.push_back((n + 1) / 2);
    for (int j = 0; j < (n + 1) / 2; ++j) {
      listed.push_back(start + n - 1 - 2 * j);
      tail += std::to_string(start + n - 2 * j) + "\n";
    }
    start += n;
  }
  std::sort(listed.begin(), listed.end());
  std::vector<int> slab;  // reduced y in [-0.4, 0.3]
  for (int a = 0; a < conf.ntotal(); ++a) {
    const double y = conf.coords[3 * static_cast<std::size_t>(a) + 1];
    if (-0.4 <= y && y <= 0.3) slab.push_back(a);
  }

  auto parameters = [&](const std::string& cfg_name) {
    if (option != 4) {
      return Parameters(cfg_name, 1, option, counts) + (option == 3 ? tail : "");
    }
    std::string par = cfg_name + "\n1\n" + std::to_string(model.ni.size()) + "\n4 1 -0.4 0.3\n";
    for (const std::string& symbol : symbols) par += symbol + "\n";
    return par;
  };
  const Conversion binary =
      Convert("model.bcf", BinaryConfiguration(conf, model.lead), parameters("model.bcf"));
  const Conversion text = Convert("model.cfg", TextConfiguration(conf), parameters("model.cfg"));

  EXPECT_EQ(binary.result.status, 0);
  EXPECT_EQ(binary.result.out, HelpText() + Progress() + FinishText());
  EXPECT_EQ(binary.result.err, "");
  EXPECT_EQ(text.result.status, 0);
  EXPECT_EQ(text.result.out,
            HelpText() + ProgressText(1, "model.cfg", "model.cmtx") + FinishText());
  EXPECT_EQ(binary.written, text.written);

  std::vector<int> atoms;
  if (option == 1) {
    ASSERT_EQ(binary.written.count("index"), 1u);
    atoms = IndexFileAtoms(binary.written.at("index"));
    EXPECT_EQ(atoms.size(), listed.size());
    // The spread always takes the first atom of a type, and its last one too when it takes two
    // or more.
    int first = 0;
    for (std::size_t k = 0; k < counts.size(); first += model.ni[k], ++k) {
      SCOPED_TRACE("type " + std::to_string(k + 1));
      const int last = first + model.ni[k] - 1;
      if (counts[k] >= 1) {
        EXPECT_EQ(std::count(atoms.begin(), atoms.end(), first), 1);
      }
      if (counts[k] >= 2) {
        EXPECT_EQ(std::count(atoms.begin(), atoms.end(), last), 1);
      }
    }
  } else if (option == 2) {
    int first = 0;
    for (std::size_t k = 0; k < counts.size(); first += model.ni[k], ++k) {
      for (int j = 0; j < counts[k]; ++j) atoms.push_back(first + j);
    }
  } else {
    atoms = option == 3 ? listed : slab;
  }
  EXPECT_EQ(binary.written.count("index"), option == 1 ? 1u : 0u);
  ASSERT_EQ(binary.written.count("model.cmtx"), 1u);
  EXPECT_EQ(binary.written.at("model.cmtx"), ExpectedCmtx(conf, symbols, atoms));
}

INSTANTIATE_TEST_SUITE_P(
    Models, BinaryE2eSameAsText,
    ::testing::Combine(::testing::Range<std::size_t>(0, std::size(kModels)),
                       ::testing::Values(1, 2, 3, 4)),
    [](const auto& param_info) {
      return std::string(kModels[std::get<0>(param_info.param)].name) + "Option" +
             std::to_string(std::get<1>(param_info.param));
    });

}  // namespace
