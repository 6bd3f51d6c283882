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
  FileMap inputs;        // p.par is run, whether it is there or not
  std::string out;       // standard output after the help text
  FileMap outputs = {};  // files written before the stop
  FileMap links = {};    // name -> target; a target "<folder>" makes a folder of the name
};

void PrintTo(const FatalCase& c, std::ostream* os) { *os << c.name; }

const std::string kWarning = "****WARNING****\n";
const std::string kCannotRun = "Cannot run this way, exiting...\n";
const std::string kCannotCreate = "Sorry, cannot create SimpleCfg.\n";
const std::string kBadExtension =
    "Unrecognized file extension for input file, has to be either *.cfg, *.cfg_coll or *.bcf!\n"
    "Cannot run this way, exit...\n";
const std::string kBadAxis =
    "The value of the axis perpendicular to the cutting planes can be 0,1 or 2!\n" + kCannotRun;
const std::string kBadLimit =
    "The limiting values for the reduced coordinates along the selected axis has to be between "
    "-1 and +1!\n" +
    kCannotRun;
const std::string kProgress = ProgressText(1, "sample.cfg", "sample.cmtx");

// Line `number` (from 1) of text replaced by `line`.
std::string ReplaceLine(const std::string& text, int number, const std::string& line) {
  std::size_t begin = 0;
  for (int n = 1; n < number; ++n) begin = text.find('\n', begin) + 1;
  return text.substr(0, begin) + line + text.substr(text.find('\n', begin));
}

std::vector<FatalCase> Cases() {
  const std::string cfg = TextConfiguration(RandomConfiguration({3, 2}, 12.5, 21));
  const std::string par = "sample.cfg\n1\n2\n2\nSi 3\nO 2\n";
  const auto with_par = [&](const std::string& parameters) {
    return FileMap{{"sample.cfg", cfg}, {"p.par", parameters}};
  };
  const auto with_cfg = [&](const std::string& configuration) {
    return FileMap{{"sample.cfg", configuration}, {"p.par", par}};
  };
  const Configuration first = RandomConfiguration({3, 2}, 6.0, 24);
  const auto second_differs = [&](const std::string& name, const std::vector<int>& second_ni,
                                  const std::string& has, const std::string& first_has) {
    return FatalCase{
        name,
        {{"run_coll.cfg", CollectionFile({first, RandomConfiguration(second_ni, 6.0, 25)})},
         {"p.par", "run_coll.cfg\n2\n2\n2\nSi 3\nO 2\n"}},
        ProgressText(1, "run_coll.cfg", "run_coll0000.cmtx") +
            ProgressText(2, "run_coll.cfg", "run_coll0001.cmtx") + ChangedCounts(2, has, first_has),
        {{"run_coll0000.cmtx", ExpectedCmtxAll(first, {"Si", "O"})}}};
  };

  // In the configuration, line 7 holds the atom count, line 14 the box length; the coordinates
  // start at line 26.
  return {
      // Parameter file.
      {"ParameterFileMissing",
       {{"sample.cfg", cfg}},
       kWarning +
           "SimpleCfg::GetCrystalMakerPar CrystalMaker parameter file is not open for reading!\n"},
      {"ParameterFileEmpty", with_par(""), kBadExtension},
      {"NameWithoutDot", with_par("sample\n1\n2\n2\nSi 3\nO 2\n"), kBadExtension},
      {"AxisThree", with_par("sample.cfg\n1\n2\n4 3 -0.5 0.5\nSi\nO\n"), kBadAxis},
      {"AxisMinusOne", with_par("sample.cfg\n1\n2\n4 -1 -0.5 0.5\nSi\nO\n"), kBadAxis},
      {"LowerLimitBelowMinusOne", with_par("sample.cfg\n1\n2\n4 1 -1.5 0.5\nSi\nO\n"), kBadLimit},
      {"UpperLimitAboveOne", with_par("sample.cfg\n1\n2\n4 2 0 1.0001\nSi\nO\n"), kBadLimit},
      {"OnlyFirstThreeLines", with_par("sample.cfg\n1\n2\n"),
       "GetCrystalMakerPar: The value of the choose_part option is outside the acceptable range "
       "(1-4)! It will be set to default 1!\n" +
           LoadFailure("Simple_Cfg::GetCrystalMakerPar", true)},
      {"UsedCountsAboveIntRange", with_par("sample.cfg\n1\n2\n2\nSi 2147483647\nO 1\n"),
       "The total number of particles to use is larger than 2147483647 in the parameter file!\n" +
           kCannotRun},
      // Configuration header.
      {"TypeCountMismatch", with_cfg(TextConfiguration(RandomConfiguration({2, 2, 1}, 12.5, 22))),
       TypeCountMismatch(2, 3)},
      {"ConfigurationFileMissing",
       {{"p.par", par}},
       kWarning + "SimpleCfg::GetParams_cfg - *.cfg file is not open for reading!\n" +
           kCannotCreate},
      {"BoxLengthNotANumber", with_cfg(ReplaceLine(cfg, 14, "  box 12.5")),
       LoadFailure("SimpleCfg::GetParameters_cfg", false)},
      {"TypeCountsAddUpToMore", with_cfg(ReplaceLine(cfg, 7, "      4 molecules")),
       "The numbers of atoms of the types add up to 5, but the total number of atoms is 4 in the "
       "configuration file!\n" +
           kCannotRun},
      // A negative type size is refused without first lowering the used count to it.
      {"NegativeTypeCount",
       {{"sample.cfg", TextConfiguration(RandomConfiguration({-1, 4}, 12.5, 23))},
        {"p.par", "sample.cfg\n1\n2\n2\nSi 0\nO 2\n"}},
       "The number of atoms of type 1 (type index begin with 1) is -1 in the configuration file, "
       "which is negative!\n" +
           kCannotRun},
      // Coordinates, and a later configuration of a collection with other counts.
      {"CoordinateNotANumber", with_cfg(ReplaceLine(cfg, 28, "  0.1 x 0.3")),
       kProgress + LoadFailure("SimpleCfg::Load", false)},
      second_differs("SecondConfigurationHasMoreAtoms", {3, 3}, "6 atoms of 2 types",
                     "5 atoms of 2 types"),
      second_differs("SecondConfigurationSplitsTypesOtherwise", {2, 3},
                     "2 atoms of type 1 (type index begin with 1)",
                     "3 atoms of type 1 (type index begin with 1)"),
      // Output file: a folder in its place and the console ended, or a full device.
      {"OutputNameIsFolder",
       with_par(par),
       kProgress + kWarning +
           "SimpleCfg::SaveCrystalMaker - file could not be opened for saving!\n"
           "If the file is used by another application, close it first.\n"
           "Try again? (Press any key!)\n"
           "No reply can be read from the console, cannot run this way, exiting...\n",
       {},
       {{"sample.cmtx", "<folder>"}}},
      {"OutputCannotBeWritten",
       with_par(par),
       kProgress + kWarning +
           "SimpleCfg::SaveCrystalMaker - writing the file sample.cmtx has failed!\n" + kCannotRun,
       {},
       {{"sample.cmtx", "/dev/full"}}},
  };
}

class FatalPath : public ::testing::TestWithParam<FatalCase> {};

TEST_P(FatalPath, StopsWithItsMessageAndStatusOne) {
  const FatalCase& c = GetParam();
  ScratchDir dir;
  for (const auto& [name, content] : c.inputs) dir.Write(name, content);
  for (const auto& [name, target] : c.links) {
    if (target == "<folder>") {
      fs::create_directory(dir.File(name));
    } else {
      fs::create_symlink(target, dir.File(name));
    }
  }

  const RunResult run = RunConverter(dir, {"p.par"});

  FileMap files = c.inputs;
  files.insert(c.outputs.begin(), c.outputs.end());
  EXPECT_EQ(run.out, HelpText() + c.out);
  EXPECT_EQ(run.err, "Quit (y)?->\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(dir.Files(), files);
}

INSTANTIATE_TEST_SUITE_P(Fatal, FatalPath, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FatalCase>& param_info) {
                           return param_info.param.name;
                         });

}  // namespace
