// Binary configurations (*.bcf) through the whole program: what the user sees, the exit status
// and the files left behind, and the same result as for the text form of the configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/config_writer.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

using FileMap = std::map<std::string, std::string>;
const std::vector<std::string> kSymbols = {"Si", "O", "Na", "Cl"};

std::string Int32(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string out;
  for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

// A header with any counts, consistent or not; lead 0 writes no leading word.
std::string Header(int lead, int ntotal, const std::vector<int>& ni, double box) {
  std::string out = lead != 0 ? Int32(lead) : "";
  out += Int32(ntotal) + Int32(static_cast<int>(ni.size()));
  for (int n : ni) out += Int32(n);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &box, 8);
  for (int b = 0; b < 8; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

// Option 1 to 3 parameter file with one count per type.
std::string Parameters(const std::string& cfg_name, int nconf, int option,
                       const std::vector<int>& counts) {
  std::string par = cfg_name + "\n" + std::to_string(nconf) + "\n" + std::to_string(counts.size()) +
                    "\n" + std::to_string(option) + "\n";
  for (std::size_t k = 0; k < counts.size(); ++k) {
    par += kSymbols[k] + " " + std::to_string(counts[k]) + "\n";
  }
  return par;
}

struct Conversion {
  RunResult result;
  FileMap written;
};

Conversion Convert(const std::string& cfg_name, const std::string& content,
                   const std::string& par) {
  ScratchDir dir;
  if (content != "<none>") dir.Write(cfg_name, content);
  dir.Write("p.par", par);
  Conversion run{RunConverter(dir, {"p.par"}), {}};
  run.written = Written(dir, {"p.par", cfg_name});
  return run;
}

const std::string kProgress = ProgressText(1, "model.bcf", "model.cmtx");

// Problems the run can live with: reported, corrected, and the conversion goes on.
TEST(BinaryE2eCorrections, ReportedThenConverted) {
  const Configuration conf = RandomConfiguration({8, 4}, 9.0, 3);
  const Conversion run =
      Convert("model.bcf", BinaryConfiguration(conf, 4), Parameters("model.bcf", 5, 2, {10, 2}));
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.result.err, "");
  EXPECT_EQ(run.result.out,
            HelpText() +
                "In case of a single text type (*.cfg) or a binary (*.bcf) file there can be just "
                "one configuration in a file, setting number of configuration to 1!\n" +
                UsedCountLowered(1, 10, 8) + kProgress + FinishText());
  EXPECT_EQ(
      run.written,
      (FileMap{{"model.cmtx", ExpectedCmtx(conf, {"Si", "O"}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9})}}));
}

// Fatal problems: the message, the quit prompt, status 1 and no output file.
TEST(BinaryE2eFatal, StopsWithItsMessageAndWritesNothing) {
  const std::string whole = Header(0, 5, {2, 3}, 2.0) + std::string(120, '\x01');
  const std::string par = Parameters("model.bcf", 1, 2, {1, 1});
  const std::string load_eof = kProgress + LoadFailure("SimpleCfg::Load_binary", true);
  const struct {
    const char* what;
    std::string bcf;  // the file's bytes; "<none>" for no file
    std::string messages;
    std::string or_messages{};  // another accepted output, if not empty
  } cases[] = {
      {"missing file", "<none>",
       "****WARNING****\nSimpleCfg::GetParams_bcf *.bcf file is not open for reading!\n"
       "Cannot run this way, exiting\n"},
      {"more types than the parameter file", Header(0, 6, {2, 3, 1}, 2.0), TypeCountMismatch(2, 3)},
      {"empty file", "", TypeCountMismatch(2, 0)},
      {"cut inside the box length", whole.substr(0, 20),
       LoadFailure("SimpleCfg::GetParameters_bcf", true)},
      {"cut right before the coordinates", whole.substr(0, 24), load_eof},
      {"one byte short", whole.substr(0, whole.size() - 1), load_eof},
      {"huge type count in a tiny file", Int32(9) + Int32(2000000000) + Int32(9),
       TypeCountMismatch(2, 2000000000)},
      {"type counts whose sum leaves the int range",
       Header(0, 2000000000, {2000000000, 2000000000}, 2.0),
       "The numbers of atoms of the types add up to 4000000000, but the total number of atoms "
       "is 2000000000 in the configuration file!\nCannot run this way, exiting...\n"},
      // 2,000,000,000 atoms need 48 GB of coordinates: either the room cannot be had, or the
      // load finds the file far too short.
      {"huge atom count in a tiny file",
       Header(4, 2000000000, {1000000000, 1000000000}, 1.0) + std::string(16, '\0'),
       "Sorry, cannot create SimpleCfg.\n", load_eof},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Conversion run = Convert("model.bcf", c.bcf, par);
    EXPECT_EQ(run.result.status, 1);
    if (c.or_messages.empty() || run.result.out != HelpText() + c.or_messages) {
      EXPECT_EQ(run.result.out, HelpText() + c.messages);
    }
    EXPECT_EQ(run.result.err, "Quit (y)?->\n");
    EXPECT_EQ(run.written, FileMap{});
  }
}

// The binary and the text form of one configuration convert alike, for every option. A first
// word of 4 or 8 is a leading word, so exactly 4 or 8 atoms can be written only behind one.
struct ModelCase {
  const char* name;
  std::vector<int> ni;
  double box;
  int lead;
};

const ModelCase kModels[] = {
    {"EmptyTypeAmongFour", {3, 0, 9, 2}, 0.5, 0},
    {"FourAtomsWord4", {4}, 14.5, 4},
    {"EightAtomsWord8", {6, 2}, 3.0, 8},
};

class BinaryE2eSameAsText : public ::testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(BinaryE2eSameAsText, SameFilesForEveryOption) {
  const ModelCase& model = kModels[std::get<0>(GetParam())];
  const int option = std::get<1>(GetParam());
  const Configuration conf = RandomConfiguration(
      model.ni, model.box, static_cast<std::uint32_t>(100 + std::get<0>(GetParam())));
  const auto types = static_cast<std::ptrdiff_t>(model.ni.size());
  const std::vector<std::string> symbols(kSymbols.begin(), kSymbols.begin() + types);

  // About half of each type; option 2 takes the first ones, option 3 lists them from the end of
  // the type, every other atom.
  std::vector<int> counts;
  std::vector<int> first_atoms;
  std::vector<int> listed;
  std::string tail;
  int start = 0;
  for (int n : model.ni) {
    counts.push_back((n + 1) / 2);
    for (int j = 0; j < (n + 1) / 2; ++j) {
      first_atoms.push_back(start + j);
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
  EXPECT_EQ(binary.result.out, HelpText() + kProgress + FinishText());
  EXPECT_EQ(binary.result.err, "");
  EXPECT_EQ(text.result.status, 0);
  EXPECT_EQ(text.result.out,
            HelpText() + ProgressText(1, "model.cfg", "model.cmtx") + FinishText());
  EXPECT_EQ(binary.written, text.written);

  std::vector<int> atoms;
  if (option == 1) {
    // The spread itself is checked with the selection; here the file holds what "index" lists.
    ASSERT_EQ(binary.written.count("index"), 1u);
    std::istringstream in(binary.written.at("index"));
    for (int atom = 0; in >> atom;) atoms.push_back(atom);
    EXPECT_EQ(atoms.size(), listed.size());
  } else {
    EXPECT_EQ(binary.written.count("index"), 0u);
    atoms = option == 2 ? first_atoms : option == 3 ? listed : slab;
  }
  ASSERT_EQ(binary.written.count("model.cmtx"), 1u);
  EXPECT_EQ(binary.written.at("model.cmtx"), ExpectedCmtx(conf, symbols, atoms));
}

INSTANTIATE_TEST_SUITE_P(Models, BinaryE2eSameAsText,
                         ::testing::Combine(::testing::Range<std::size_t>(0, std::size(kModels)),
                                            ::testing::Values(1, 2, 3, 4)),
                         [](const auto& param_info) {
                           return std::string(kModels[std::get<0>(param_info.param)].name) +
                                  "Option" + std::to_string(std::get<1>(param_info.param));
                         });

}  // namespace
