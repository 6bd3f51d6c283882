// Whole runs over text configurations (*.cfg and *_coll.cfg) that succeed: console output, exit
// status and every file left in the folder and below it, byte for byte.
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

struct RunCase {
  std::string name;
  FileMap inputs;       // p.par among them; a name may lead into a folder
  std::string out;      // standard output between the help text and the finish lines
  FileMap outputs;      // the files the run adds
  std::string input{};  // standard input
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

std::vector<RunCase> Cases() {
  const std::vector<std::string> si_o = {"Si", "O"};
  const Configuration lowered = RandomConfiguration({4, 3, 5}, 9.75, 101);
  const std::vector<Configuration> three = {RandomConfiguration({4, 3}, 20.0, 201),
                                            RandomConfiguration({4, 3}, 20.0, 202),
                                            RandomConfiguration({4, 3}, 20.0, 203)};
  const Configuration small = RandomConfiguration({3, 2}, 12.5, 401);
  const std::vector<Configuration> two = {RandomConfiguration({3, 4}, 15.5, 601),
                                          RandomConfiguration({3, 4}, 15.5, 602)};
  // 300 characters; no single path component exceeds the system limit.
  const std::string far_cfg = std::string(150, 'd') + "/" + std::string(145, 'r') + ".cfg";
  const std::string far_cmtx = far_cfg.substr(0, far_cfg.size() - 4) + ".cmtx";
  std::string symbol(100000, 'X');
  symbol.front() = 'A';
  symbol.back() = 'z';

  return {
      {"OneConfigurationLowersACountAboveItsTypeSize",
       {{"sample.cfg", TextConfiguration(lowered)},
        {"p.par", "sample.cfg\n1\n3\n2\nSi 2\nO 7  too many\nNa 5\n"}},
       UsedCountLowered(2, 7, 3) + ProgressText(1, "sample.cfg", "sample.cmtx"),
       {{"sample.cmtx",
         ExpectedCmtx(lowered, {"Si", "O", "Na"}, {0, 1, 4, 5, 6, 7, 8, 9, 10, 11})}}},
      {"CollectionOfThreeGivesOneFilePerConfiguration",
       {{"run_coll.cfg", CollectionFile(three)}, {"p.par", "run_coll.cfg\n3\n2\n2\nSi 3\nO 2\n"}},
       ProgressText(1, "run_coll.cfg", "run_coll0000.cmtx") +
           ProgressText(2, "run_coll.cfg", "run_coll0001.cmtx") +
           ProgressText(3, "run_coll.cfg", "run_coll0002.cmtx"),
       {{"run_coll0000.cmtx", ExpectedCmtx(three[0], si_o, {0, 1, 2, 4, 5})},
        {"run_coll0001.cmtx", ExpectedCmtx(three[1], si_o, {0, 1, 2, 4, 5})},
        {"run_coll0002.cmtx", ExpectedCmtx(three[2], si_o, {0, 1, 2, 4, 5})}}},
      {"NoConfigurationRequestedWritesNothing",
       {{"run_coll.cfg", TextConfiguration(small)},
        {"p.par", "run_coll.cfg\n0\n2\n2\nSi 3\nO 2\n"}},
       "",
       {}},
      {"CarriageReturnLineEndsReadLikeLineFeeds",
       {{"run_coll.cfg", WithCrLf(CollectionFile(two))},
        {"p.par", WithCrLf("run_coll.cfg\n2\n2\n2\nSi 3\nO 1\n")}},
       ProgressText(1, "run_coll.cfg", "run_coll0000.cmtx") +
           ProgressText(2, "run_coll.cfg", "run_coll0001.cmtx"),
       {{"run_coll0000.cmtx", ExpectedCmtx(two[0], si_o, {0, 1, 2, 3})},
        {"run_coll0001.cmtx", ExpectedCmtx(two[1], si_o, {0, 1, 2, 3})}}},
      {"AnyReplyAtTheFinishPromptEndsWithSuccess",
       {{"sample.cfg", TextConfiguration(small)}, {"p.par", "sample.cfg\n1\n2\n2\nSi 3\nO 2\n"}},
       ProgressText(1, "sample.cfg", "sample.cmtx"),
       {{"sample.cmtx", ExpectedCmtxAll(small, si_o)}},
       "n\nmore\n"},
      {"OutputGoesBesideAConfigurationInAnotherFolder",
       {{far_cfg, TextConfiguration(small)}, {"p.par", far_cfg + "\n1\n2\n2\nSi 3\nO 2\n"}},
       ProgressText(1, far_cfg, far_cmtx),
       {{far_cmtx, ExpectedCmtxAll(small, si_o)}}},
      // The negative count adds nothing to the index list: only one index is read.
      {"NegativeCountOnATypeLineCountsAsZero",
       {{"sample.cfg", TextConfiguration(small)},
        {"p.par", "sample.cfg\n1\n2\n3\nSi -1\nO 1\n5\n"}},
       "The number of particles to use for type 1 (type index begin with 1) is -1 in the "
       "parameter file, which is negative! It will be taken as 0.\n" +
           ProgressText(1, "sample.cfg", "sample.cmtx"),
       {{"sample.cmtx", ExpectedCmtx(small, si_o, {4})}}},
      {"VeryLongSymbolIsWrittenWhole",
       {{"sample.cfg", TextConfiguration(small)},
        {"p.par", "sample.cfg\n1\n2\n2\n" + symbol + " 2\nO 1\n"}},
       ProgressText(1, "sample.cfg", "sample.cmtx"),
       {{"sample.cmtx", ExpectedCmtx(small, {symbol, "O"}, {0, 1, 3})}}},
  };
}

// Every regular file in the folder and below it, by its path relative to the folder.
FileMap AllFiles(const ScratchDir& dir) {
  FileMap files;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), dir.path()).generic_string()] = ReadFile(entry.path());
    }
  }
  return files;
}

class TextConversion : public ::testing::TestWithParam<RunCase> {};

TEST_P(TextConversion, WritesExactlyTheExpectedFiles) {
  const RunCase& c = GetParam();
  ScratchDir dir;
  for (const auto& [name, content] : c.inputs) {
    fs::create_directories(fs::path(dir.File(name)).parent_path());
    dir.Write(name, content);
  }

  const RunResult run = RunConverter(dir, {"p.par"}, c.input);

  FileMap files = c.inputs;
  files.insert(c.outputs.begin(), c.outputs.end());
  EXPECT_EQ(run.out, HelpText() + c.out + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(AllFiles(dir), files);
}

INSTANTIATE_TEST_SUITE_P(Text, TextConversion, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<RunCase>& param_info) {
                           return param_info.param.name;
                         });

}  // namespace
