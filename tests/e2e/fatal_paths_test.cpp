// Runs that stop: each case gives the folder it starts from, the exact console output after the
// help text, and the output files written before the stop (usually none). Every stop ends with
// the quit prompt on standard error and status 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/config_writer.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {
using FileMap = std::map<std::string, std::string>;

struct FatalCase {
  std::string name;
  FileMap inputs;
  std::string out;       // standard output after the help text
  FileMap outputs = {};  // files written before the stop
  std::vector<std::string> folders = {};
  FileMap links = {};  // name -> target
  std::vector<std::string> args = {"p.par"};
  std::string input = "";
};

void PrintTo(const FatalCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kWarning = "****WARNING****\n";
const std::string kParameterFileNotOpen =
    kWarning +
    "SimpleCfg::GetCrystalMakerPar CrystalMaker parameter file is not open for reading!\n";
const std::string kConfigurationNotOpen =
    kWarning + "SimpleCfg::GetParams_cfg - *.cfg file is not open for reading!\n";
const std::string kCannotCreate = "Sorry, cannot create SimpleCfg.\n";
const std::string kBadExtension =
    "Unrecognized file extension for input file, has to be either *.cfg, *.cfg_coll or *.bcf!\n"
    "Cannot run this way, exit...\n";
const std::string kBadAxis =
    "The value of the axis perpendicular to the cutting planes can be 0,1 or 2!\n"
    "Cannot run this way, exiting...\n";
const std::string kBadLimit =
    "The limiting values for the reduced coordinates along the selected axis has to be between "
    "-1 and +1!\n"
    "Cannot run this way, exiting...\n";
const std::string kOptionCorrected =
    "GetCrystalMakerPar: The value of the choose_part option is outside the acceptable range "
    "(1-4)! It will be set to default 1!\n";
const std::string kCannotRun = "Cannot run this way, exiting...\n";
const std::string kSaveRetry =
    kWarning +
    "SimpleCfg::SaveCrystalMaker - file could not be opened for saving!\n"
    "If the file is used by another application, close it first.\n"
    "Try again? (Press any key!)\n";
const std::string kNoReply =
    "No reply can be read from the console, cannot run this way, exiting...\n";

std::string Progress(int number, const std::string& out_name,
                     const std::string& cfg = "sample.cfg") {
  return ProgressText(number, cfg, out_name);
}

// Line `number` (from 1) of text replaced by `line`.
std::string ReplaceLine(const std::string& text, int number, const std::string& line) {
  std::size_t begin = 0;
  for (int n = 1; n < number; ++n) begin = text.find('\n', begin) + 1;
  const std::size_t end = text.find('\n', begin);
  return text.substr(0, begin) + line + text.substr(end);
}

// The first `count` lines of text, each with its line end.
std::string FirstLines(const std::string& text, int count) {
  std::size_t end = 0;
  for (int n = 0; n < count; ++n) end = text.find('\n', end) + 1;
  return text.substr(0, end);
}

std::vector<FatalCase> Cases() {
  const Configuration conf = RandomConfiguration({3, 2}, 12.5, 21);
  const std::string cfg = TextConfiguration(conf);
  const std::string par = "sample.cfg\n1\n2\n2\nSi 3\nO 2\n";
  const auto with_par = [&](const std::string& parameters) {
    return FileMap{{"sample.cfg", cfg}, {"p.par", parameters}};
  };
  const auto with_cfg = [&](const std::string& configuration) {
    return FileMap{{"sample.cfg", configuration}, {"p.par", par}};
  };
  // Header line 18 holds the count of the first type; the coordinates start at line 26.
  const int coordinates_line = 18 + 4 * 2;

  const Configuration three_types = RandomConfiguration({2, 2, 1}, 12.5, 22);
  const Configuration negative_type = RandomConfiguration({-1, 4}, 12.5, 23);

  const std::string coll_par = "run_coll.cfg\n2\n2\n2\nSi 3\nO 2\n";
  const Configuration first = RandomConfiguration({3, 2}, 6.0, 24);
  const FileMap first_written = {{"run_coll0000.cmtx", ExpectedCmtxAll(first, {"Si", "O"})}};
  const std::string coll_progress = Progress(1, "run_coll0000.cmtx", "run_coll.cfg") +
                                    Progress(2, "run_coll0001.cmtx", "run_coll.cfg");
  const std::string coll_closing =
      "All configurations of a *_coll.cfg file must have the same numbers of atoms, cannot run "
      "this way, exiting...\n";
  const auto collection = [&](const std::vector<int>& second_ni) {
    return FileMap{
        {"run_coll.cfg", CollectionFile({first, RandomConfiguration(second_ni, 6.0, 25)})},
        {"p.par", coll_par}};
  };

  return {
      // Parameter file.
      {"ParameterFileMissing", with_par(par), kParameterFileNotOpen, {}, {}, {}, {"missing.par"}},
      {"ParameterFileIsFolder", {{"sample.cfg", cfg}}, kParameterFileNotOpen, {}, {"p.par"}},
      {"ParameterFileEmpty", with_par(""), kBadExtension},
      {"NameWithoutDot", with_par("sample\n1\n2\n2\nSi 3\nO 2\n"), kBadExtension},
      {"UpperCaseExtension",
       {{"sample.CFG", cfg}, {"p.par", "sample.CFG\n1\n2\n2\nSi 3\nO 2\n"}},
       kBadExtension},
      {"TwoExtensions",
       {{"sample.cfg.old", cfg}, {"p.par", "sample.cfg.old\n1\n2\n2\nSi 3\nO 2\n"}},
       kBadExtension},
      {"CurrentFolderPrefix", with_par("./sample.cfg\n1\n2\n2\nSi 3\nO 2\n"), kBadExtension},
      {"FolderWithDot",
       {{"v1.2/sample.cfg", cfg}, {"p.par", "v1.2/sample.cfg\n1\n2\n2\nSi 3\nO 2\n"}},
       kBadExtension,
       {},
       {"v1.2"}},
      {"AxisThree", with_par("sample.cfg\n1\n2\n4 3 -0.5 0.5\nSi\nO\n"), kBadAxis},
      {"AxisMinusOne", with_par("sample.cfg\n1\n2\n4 -1 -0.5 0.5\nSi\nO\n"), kBadAxis},
      {"LowerLimitBelowMinusOne", with_par("sample.cfg\n1\n2\n4 1 -1.5 0.5\nSi\nO\n"), kBadLimit},
      {"UpperLimitAboveOne", with_par("sample.cfg\n1\n2\n4 2 0 1.0001\nSi\nO\n"), kBadLimit},
      {"FirstLimitAboveOne", with_par("sample.cfg\n1\n2\n4 0 1.0001 0.5\nSi\nO\n"), kBadLimit},
      {"OnlyFirstThreeLines", with_par("sample.cfg\n1\n2\n"),
       kOptionCorrected + LoadFailure("Simple_Cfg::GetCrystalMakerPar", true)},
      {"LettersForACount", with_par("sample.cfg\n1\n2\n2\nSi abc\nO 2\n"),
       LoadFailure("Simple_Cfg::GetCrystalMakerPar", false)},
      {"UsedCountsAboveIntRange", with_par("sample.cfg\n1\n2\n2\nSi 2147483647\nO 1\n"),
       "The total number of particles to use is larger than 2147483647 in the parameter file!\n" +
           kCannotRun},
      // Configuration header.
      {"TypeCountMismatch", with_cfg(TextConfiguration(three_types)), TypeCountMismatch(2, 3)},
      {"ConfigurationFileMissing", {{"p.par", par}}, kConfigurationNotOpen + kCannotCreate},
      {"ConfigurationFileIsFolder",
       {{"p.par", par}},
       kConfigurationNotOpen + kCannotCreate,
       {},
       {"sample.cfg"}},
      // The type count cannot be read after a failed atom count, so it stays 0.
      {"AtomCountNotANumber", with_cfg(ReplaceLine(cfg, 7, "  many molecules")),
       TypeCountMismatch(2, 0)},
      {"BoxLengthNotANumber", with_cfg(ReplaceLine(cfg, 14, "  box 12.5")),
       LoadFailure("SimpleCfg::GetParameters_cfg", false)},
      {"HeaderEndsAfterBoxLength", with_cfg(FirstLines(cfg, 14)),
       LoadFailure("SimpleCfg::GetParameters_cfg", true)},
      {"NegativeAtomCount", with_cfg(ReplaceLine(cfg, 7, "     -5 molecules")), kCannotCreate},
      {"TypeCountsAddUpToMore", with_cfg(ReplaceLine(cfg, 7, "      4 molecules")),
       "The numbers of atoms of the types add up to 5, but the total number of atoms is 4 in the "
       "configuration file!\n" +
           kCannotRun},
      // A negative type size is refused without first lowering the used count to it.
      {"NegativeTypeCount",
       {{"sample.cfg", TextConfiguration(negative_type)},
        {"p.par", "sample.cfg\n1\n2\n2\nSi 0\nO 2\n"}},
       "The number of atoms of type 1 (type index begin with 1) is -1 in the configuration file, "
       "which is negative!\n" +
           kCannotRun},
      // Coordinates.
      {"CoordinateNotANumber", with_cfg(ReplaceLine(cfg, coordinates_line + 2, "  0.1 x 0.3")),
       Progress(1, "sample.cmtx") + LoadFailure("SimpleCfg::Load", false)},
      {"CoordinatesCutShort", with_cfg(FirstLines(cfg, coordinates_line + 3)),
       Progress(1, "sample.cmtx") + LoadFailure("SimpleCfg::Load", true)},
      // A later configuration of a collection with other counts than the first.
      {"SecondConfigurationHasMoreAtoms", collection({3, 3}),
       coll_progress +
           "The 2. configuration of the file has 6 atoms of 2 types, but the first configuration "
           "has 5 atoms of 2 types!\n" +
           coll_closing,
       first_written},
      {"SecondConfigurationHasMoreTypes", collection({3, 1, 1}),
       coll_progress +
           "The 2. configuration of the file has 5 atoms of 3 types, but the first configuration "
           "has 5 atoms of 2 types!\n" +
           coll_closing,
       first_written},
      {"SecondConfigurationSplitsTypesOtherwise", collection({2, 3}),
       coll_progress +
           "The 2. configuration of the file has 2 atoms of type 1 (type index begin with 1), but "
           "the first configuration has 3 atoms of type 1 (type index begin with 1)!\n" +
           coll_closing,
       first_written},
      // Output file.
      {"OutputNameIsFolder",
       with_par(par),
       Progress(1, "sample.cmtx") + kSaveRetry + kNoReply,
       {},
       {"sample.cmtx"}},
      {"OutputNameIsFolderAfterOneRetry",
       with_par(par),
       Progress(1, "sample.cmtx") + kSaveRetry + kSaveRetry + kNoReply,
       {},
       {"sample.cmtx"},
       {},
       {"p.par"},
       "y\n"},
      {"OutputCannotBeWritten",
       with_par(par),
       Progress(1, "sample.cmtx") + kWarning +
           "SimpleCfg::SaveCrystalMaker - writing the file sample.cmtx has failed!\n" + kCannotRun,
       {},
       {},
       {{"sample.cmtx", "/dev/full"}}},
  };
}

// Every regular file in the folder and below it, by its path relative to the folder. A symbolic
// link to something that is not a regular file is left out.
FileMap AllFiles(const ScratchDir& dir) {
  FileMap files = dir.Files();
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), dir.path()).generic_string()] = ReadFile(entry.path());
    }
  }
  return files;
}

class FatalPath : public ::testing::TestWithParam<FatalCase> {};

TEST_P(FatalPath, StopsWithItsMessageAndStatusOne) {
  const FatalCase& c = GetParam();
  ScratchDir dir;
  for (const std::string& folder : c.folders) fs::create_directories(dir.File(folder));
  for (const auto& [name, content] : c.inputs) dir.Write(name, content);
  for (const auto& [name, target] : c.links) fs::create_symlink(target, dir.File(name));

  const RunResult run = RunConverter(dir, c.args, c.input);

  FileMap files = c.inputs;
  files.insert(c.outputs.begin(), c.outputs.end());
  EXPECT_EQ(run.out, HelpText() + c.out);
  EXPECT_EQ(run.err, "Quit (y)?->\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(AllFiles(dir), files);
}

INSTANTIATE_TEST_SUITE_P(Fatal, FatalPath, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FatalCase>& param_info) {
                           return param_info.param.name;
                         });

}  // namespace
