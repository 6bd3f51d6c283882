// Program start: the help text, then the parameter file name from the first argument or, without
// one, typed at the prompt.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/config_writer.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {
const char kPrompt[] =
    "\nGive the name of the parameter file containing the information \n"
    "for the conversion:\n";

const char kParameterFileNotOpen[] =
    "****WARNING****\n"
    "SimpleCfg::GetCrystalMakerPar CrystalMaker parameter file is not open for reading!\n";

// Two parameter files that lead to different outputs, so that the file actually used shows.
struct StartFolder {
  Configuration sample = RandomConfiguration({3, 2}, 12.5, 11);
  Configuration other = RandomConfiguration({2, 4}, 7.25, 12);
  std::string long_par_name = std::string(120, 'p') + ".par";
  std::map<std::string, std::string> inputs;

  explicit StartFolder(const ScratchDir& dir) {
    inputs = {{"sample.cfg", TextConfiguration(sample)},
              {"other.cfg", TextConfiguration(other)},
              {"p.par", "sample.cfg\n1\n2\n2\nSi 3\nO 2\n"},
              {"q.par", "other.cfg\n1\n2\n2\nAl 2\nN 4\n"},
              {long_par_name, "sample.cfg\n1\n2\n2\nSi 3\nO 2\n"}};
    for (const auto& [name, content] : inputs) dir.Write(name, content);
  }
};

struct NamingCase {
  std::string name;
  std::vector<std::string> args;  // "LONG" stands for the 124-character parameter file name
  std::string input;
  bool prompted;
  bool converts_other;  // q.par (other.cfg) rather than p.par (sample.cfg)
};

void PrintTo(const NamingCase& c, std::ostream* os) {
  *os << c.name;
}

class StartNaming : public ::testing::TestWithParam<NamingCase> {};

TEST_P(StartNaming, ConvertsWhatTheChosenParameterFileNames) {
  const NamingCase& c = GetParam();
  ScratchDir dir;
  const StartFolder folder(dir);
  std::vector<std::string> args = c.args;
  for (std::string& arg : args) {
    if (arg == "LONG") arg = folder.long_par_name;
  }

  const RunResult run = RunConverter(dir, args, c.input);

  const std::string cfg = c.converts_other ? "other.cfg" : "sample.cfg";
  const std::string cmtx = c.converts_other ? "other.cmtx" : "sample.cmtx";
  std::map<std::string, std::string> files = folder.inputs;
  files[cmtx] = c.converts_other ? ExpectedCmtxAll(folder.other, {"Al", "N"})
                                 : ExpectedCmtxAll(folder.sample, {"Si", "O"});
  EXPECT_EQ(run.out,
            HelpText() + (c.prompted ? kPrompt : "") + ProgressText(1, cfg, cmtx) + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.Files(), files);
}

INSTANTIATE_TEST_SUITE_P(
    Start, StartNaming,
    ::testing::Values(
        NamingCase{"Argument", {"p.par"}, "", false, false},
        NamingCase{"OtherArgument", {"q.par"}, "", false, true},
        NamingCase{"FirstOfSeveralArguments", {"q.par", "p.par", "--verbose"}, "", false, true},
        NamingCase{"FirstOfTwoArguments", {"p.par", "q.par"}, "", false, false},
        NamingCase{"ArgumentBeforeConsoleInput", {"q.par"}, "p.par\n", false, true},
        NamingCase{"LongArgument", {"LONG"}, "", false, false},
        NamingCase{"TypedAtPrompt", {}, "p.par\n", true, false},
        NamingCase{"TypedAfterBlankLinesWithReply", {}, " \n\n\t q.par\ny\n", true, true},
        NamingCase{"TypedWithoutLineEnd", {}, "q.par", true, true}),
    [](const ::testing::TestParamInfo<NamingCase>& param_info) { return param_info.param.name; });

struct NoNameCase {
  std::string name;
  std::string input;
};

void PrintTo(const NoNameCase& c, std::ostream* os) {
  *os << c.name;
}

class StartWithoutUsableName : public ::testing::TestWithParam<NoNameCase> {};

TEST_P(StartWithoutUsableName, StopsAtTheParameterFile) {
  ScratchDir dir;
  const StartFolder folder(dir);

  const RunResult run = RunConverter(dir, {}, GetParam().input);

  EXPECT_EQ(run.out, HelpText() + kPrompt + kParameterFileNotOpen);
  EXPECT_EQ(run.err, "Quit (y)?->\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(dir.Files(), folder.inputs);
}

INSTANTIATE_TEST_SUITE_P(
    Start, StartWithoutUsableName,
    ::testing::Values(NoNameCase{"InputEmpty", ""}, NoNameCase{"InputOnlyBlanks", "  \n\t\n"},
                      NoNameCase{"TypedNameMissing", "missing.par\n"},
                      // Only one word is taken: the second half of a name with a blank is lost.
                      NoNameCase{"TypedNameWithBlank", "p .par\n"}),
    [](const ::testing::TestParamInfo<NoNameCase>& param_info) { return param_info.param.name; });

}  // namespace
