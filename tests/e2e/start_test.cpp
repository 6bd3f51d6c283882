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

enum class Outcome { kSample, kOther, kStop };  // p.par (sample.cfg), q.par (other.cfg), no file

struct StartCase {
  std::string name;
  std::vector<std::string> args;  // "LONG" stands for the 124-character parameter file name
  std::string input;
  Outcome outcome;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class Start : public ::testing::TestWithParam<StartCase> {};

// Two parameter files that lead to different outputs, so that the file actually used shows.
TEST_P(Start, ConvertsWhatTheChosenParameterFileNamesOrStops) {
  const StartCase& c = GetParam();
  ScratchDir dir;
  const Configuration sample = RandomConfiguration({3, 2}, 12.5, 11);
  const Configuration other = RandomConfiguration({2, 4}, 7.25, 12);
  const std::string long_par_name = std::string(120, 'p') + ".par";
  std::map<std::string, std::string> files = {{"sample.cfg", TextConfiguration(sample)},
                                              {"other.cfg", TextConfiguration(other)},
                                              {"p.par", "sample.cfg\n1\n2\n2\nSi 3\nO 2\n"},
                                              {"q.par", "other.cfg\n1\n2\n2\nAl 2\nN 4\n"},
                                              {long_par_name, "sample.cfg\n1\n2\n2\nSi 3\nO 2\n"}};
  for (const auto& [name, content] : files) dir.Write(name, content);
  std::vector<std::string> args = c.args;
  for (std::string& arg : args) {
    if (arg == "LONG") arg = long_par_name;
  }

  const RunResult run = RunConverter(dir, args, c.input);

  const std::string help = HelpText() + (args.empty() ? kPrompt : "");
  if (c.outcome == Outcome::kStop) {
    EXPECT_EQ(run.out, help + kParameterFileNotOpen);
    EXPECT_EQ(run.err, "Quit (y)?->\n");
    EXPECT_EQ(run.status, 1);
  } else {
    const bool other_run = c.outcome == Outcome::kOther;
    const std::string base = other_run ? "other" : "sample";
    files[base + ".cmtx"] =
        other_run ? ExpectedCmtxAll(other, {"Al", "N"}) : ExpectedCmtxAll(sample, {"Si", "O"});
    EXPECT_EQ(run.out, help + ProgressText(1, base + ".cfg", base + ".cmtx") + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
  }
  EXPECT_EQ(dir.Files(), files);
}

INSTANTIATE_TEST_SUITE_P(
    Start, Start,
    ::testing::Values(
        StartCase{"Argument", {"p.par"}, "", Outcome::kSample},
        StartCase{"FirstArgumentBeforeOthersAndConsoleInput",
                  {"q.par", "p.par", "--verbose"},
                  "p.par\n",
                  Outcome::kOther},
        StartCase{"LongArgument", {"LONG"}, "", Outcome::kSample},
        StartCase{"TypedAtPrompt", {}, "p.par\n", Outcome::kSample},
        StartCase{"TypedAfterBlankLinesWithReply", {}, " \n\n\t q.par\ny\n", Outcome::kOther},
        StartCase{"TypedWithoutLineEnd", {}, "q.par", Outcome::kOther},
        StartCase{"InputEmpty", {}, "", Outcome::kStop},
        StartCase{"InputOnlyBlanks", {}, "  \n\t\n", Outcome::kStop}),
    [](const ::testing::TestParamInfo<StartCase>& param_info) { return param_info.param.name; });

}  // namespace
