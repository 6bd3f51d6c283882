// Whole runs over text configurations (*.cfg and *_coll.cfg): console output, exit status and
// every file left in the folder, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/config_writer.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {
using FileMap = std::map<std::string, std::string>;

const char kSingleFileCorrection[] =
    "In case of a single text type (*.cfg) or a binary (*.bcf) file there can be just one "
    "configuration in a file, setting number of configuration to 1!\n";

void WriteAll(const ScratchDir& dir, const FileMap& files) {
  for (const auto& [name, content] : files) dir.Write(name, content);
}

FileMap FilesIn(const std::string& folder) {
  FileMap files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadFile(entry.path());
  }
  return files;
}

// Atoms first..first+count-1.
std::vector<int> Atoms(int first, int count) {
  std::vector<int> atoms;
  for (int a = first; a < first + count; ++a) atoms.push_back(a);
  return atoms;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(TextConversion, OneConfigurationLowersACountAboveItsTypeSize) {
  ScratchDir dir;
  const Configuration conf = RandomConfiguration({4, 3, 5}, 9.75, 101);
  const FileMap inputs = {{"sample.cfg", TextConfiguration(conf)},
                          {"p.par", "sample.cfg\n1\n3\n2\nSi 2\nO 7  too many\nNa 5\n"}};
  WriteAll(dir, inputs);

  const RunResult run = RunConverter(dir, {"p.par"});

  FileMap files = inputs;
  files["sample.cmtx"] =
      ExpectedCmtx(conf, {"Si", "O", "Na"}, Join(Join(Atoms(0, 2), Atoms(4, 3)), Atoms(7, 5)));
  EXPECT_EQ(run.out,
            HelpText() +
                "The number of used atoms for type 2 (type index begin with 1) is 7, which is "
                "greater than\n"
                "the total number of particles for this type, which is 3! Setting the  number "
                "of used particles\n"
                "to 3.\n" +
                ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.Files(), files);
}

TEST(TextConversion, CollectionOfThreeGivesOneFilePerConfiguration) {
  ScratchDir dir;
  const std::vector<Configuration> confs = {RandomConfiguration({4, 3}, 20.0, 201),
                                            RandomConfiguration({4, 3}, 20.0, 202),
                                            RandomConfiguration({4, 3}, 20.0, 203)};
  const FileMap inputs = {{"run_coll.cfg", CollectionFile(confs)},
                          {"p.par", "run_coll.cfg\n3\n2\n2\nSi 3\nO 2\n"}};
  WriteAll(dir, inputs);

  const RunResult run = RunConverter(dir, {"p.par"});

  FileMap files = inputs;
  std::string progress;
  for (int i = 0; i < 3; ++i) {
    const std::string out_name = "run_coll000" + std::to_string(i) + ".cmtx";
    progress += ProgressText(i + 1, "run_coll.cfg", out_name);
    files[out_name] = ExpectedCmtx(confs[static_cast<std::size_t>(i)], {"Si", "O"},
                                   Join(Atoms(0, 3), Atoms(4, 2)));
  }
  EXPECT_EQ(run.out, HelpText() + progress + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.Files(), files);
}

TEST(TextConversion, SingleFileConvertsOneConfigurationWhateverTheCount) {
  ScratchDir dir;
  const Configuration conf = RandomConfiguration({3, 2}, 12.5, 301);
  const FileMap inputs = {{"sample.cfg", TextConfiguration(conf)},
                          {"p.par", "sample.cfg\n5\n2\n2\nSi 3\nO 2\n"}};
  WriteAll(dir, inputs);

  const RunResult run = RunConverter(dir, {"p.par"});

  FileMap files = inputs;
  files["sample.cmtx"] = ExpectedCmtxAll(conf, {"Si", "O"});
  EXPECT_EQ(run.out, HelpText() + kSingleFileCorrection +
                         ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.Files(), files);
}

TEST(TextConversion, NoConfigurationRequestedWritesNothing) {
  const Configuration conf = RandomConfiguration({3, 2}, 12.5, 401);
  const struct {
    const char* cfg_name;
    const char* nconf;
  } cases[] = {
      {"sample.cfg", "0"}, {"sample.cfg", "-3"}, {"run_coll.cfg", "0"}, {"run_coll.cfg", "-1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cfg_name) + " with nconf " + c.nconf);
    ScratchDir dir;
    const FileMap inputs = {
        {c.cfg_name, TextConfiguration(conf)},
        {"p.par", std::string(c.cfg_name) + "\n" + c.nconf + "\n2\n2\nSi 3\nO 2\n"}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"});

    EXPECT_EQ(run.out, HelpText() + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Files(), inputs);
  }
}

TEST(TextConversion, CollectionShorterThanRequestedKeepsTheFilesWritten) {
  const std::vector<Configuration> confs = {RandomConfiguration({2, 3}, 8.0, 501),
                                            RandomConfiguration({2, 3}, 8.0, 502)};
  const std::string warning = "****WARNING****\n";
  const struct {
    const char* name;
    std::string tail;  // after the last configuration
    std::string stop;
  } cases[] = {
      // A line after the last configuration: the next load finds no header.
      {"separator line at the end", " \n",
       warning + "SimpleCfg::Load\nEnd of file was reached during loading!\n"
                 "Loading was not successful, cannot run this way, exiting\n"},
      // The skip of the separator line itself runs into the end of the file.
      {"file ends with the last coordinates", "",
       warning + "SimpleCfg::GetParams_cfg - *.cfg file is not open for reading!\n"
                 "The *.cfg file was found earlier, but now it is not available, cannot "
                 "continue, exiting...\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const FileMap inputs = {{"run_coll.cfg", CollectionFile(confs) + c.tail},
                            {"p.par", "run_coll.cfg\n4\n2\n2\nSi 2\nO 3\n"}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"});

    FileMap files = inputs;
    files["run_coll0000.cmtx"] = ExpectedCmtxAll(confs[0], {"Si", "O"});
    files["run_coll0001.cmtx"] = ExpectedCmtxAll(confs[1], {"Si", "O"});
    EXPECT_EQ(run.out, HelpText() + ProgressText(1, "run_coll.cfg", "run_coll0000.cmtx") +
                           ProgressText(2, "run_coll.cfg", "run_coll0001.cmtx") +
                           ProgressText(3, "run_coll.cfg", "run_coll0002.cmtx") + c.stop);
    EXPECT_EQ(run.err, "Quit (y)?->\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(dir.Files(), files);
  }
}

TEST(TextConversion, CarriageReturnLineEndsReadLikeLineFeeds) {
  const std::vector<Configuration> confs = {RandomConfiguration({3, 4}, 15.5, 601),
                                            RandomConfiguration({3, 4}, 15.5, 602)};
  const Configuration& single = confs[0];
  {
    SCOPED_TRACE("single configuration");
    ScratchDir dir;
    const FileMap inputs = {{"sample.cfg", WithCrLf(TextConfiguration(single))},
                            {"p.par", WithCrLf("sample.cfg\n1\n2\n2\nSi 2\nO 3\n")}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"});

    FileMap files = inputs;
    files["sample.cmtx"] = ExpectedCmtx(single, {"Si", "O"}, Join(Atoms(0, 2), Atoms(3, 3)));
    EXPECT_EQ(run.out, HelpText() + ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Files(), files);
  }
  {
    SCOPED_TRACE("collection");
    ScratchDir dir;
    const FileMap inputs = {{"run_coll.cfg", WithCrLf(CollectionFile(confs))},
                            {"p.par", WithCrLf("run_coll.cfg\n2\n2\n2\nSi 3\nO 1\n")}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"});

    FileMap files = inputs;
    files["run_coll0000.cmtx"] = ExpectedCmtx(confs[0], {"Si", "O"}, Atoms(0, 4));
    files["run_coll0001.cmtx"] = ExpectedCmtx(confs[1], {"Si", "O"}, Atoms(0, 4));
    EXPECT_EQ(run.out, HelpText() + ProgressText(1, "run_coll.cfg", "run_coll0000.cmtx") +
                           ProgressText(2, "run_coll.cfg", "run_coll0001.cmtx") + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Files(), files);
  }
}

TEST(TextConversion, AnyReplyAtTheFinishPromptEndsWithSuccess) {
  const Configuration conf = RandomConfiguration({3, 2}, 12.5, 701);
  for (const char* reply : {"", "y\n", "n\n", "  N", "q\nmore\n"}) {
    SCOPED_TRACE(std::string("reply '") + reply + "'");
    ScratchDir dir;
    const FileMap inputs = {{"sample.cfg", TextConfiguration(conf)},
                            {"p.par", "sample.cfg\n1\n2\n2\nSi 3\nO 2\n"}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"}, reply);

    FileMap files = inputs;
    files["sample.cmtx"] = ExpectedCmtxAll(conf, {"Si", "O"});
    EXPECT_EQ(run.out, HelpText() + ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Files(), files);
  }
}

TEST(TextConversion, OutputGoesBesideAConfigurationInAnotherFolder) {
  const Configuration conf = RandomConfiguration({2, 2}, 5.5, 801);
  // The second name has 300 characters; no single path component exceeds the system limit.
  const std::string long_folder(150, 'd');
  const std::string long_stem(145, 'r');
  const struct {
    std::string folder;
    std::string stem;
  } cases[] = {{"sub", "run"}, {long_folder, long_stem}};
  for (const auto& c : cases) {
    const std::string cfg_name = c.folder + "/" + c.stem + ".cfg";
    const std::string out_name = c.folder + "/" + c.stem + ".cmtx";
    SCOPED_TRACE(cfg_name);
    ScratchDir dir;
    fs::create_directory(dir.File(c.folder));
    dir.Write(cfg_name, TextConfiguration(conf));
    const FileMap inputs = {{"p.par", cfg_name + "\n1\n2\n2\nSi 2\nO 2\n"}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"});

    EXPECT_EQ(run.out, HelpText() + ProgressText(1, cfg_name, out_name) + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Files(), inputs);
    const FileMap in_folder = {{c.stem + ".cfg", TextConfiguration(conf)},
                               {c.stem + ".cmtx", ExpectedCmtxAll(conf, {"Si", "O"})}};
    EXPECT_EQ(FilesIn(dir.File(c.folder)), in_folder);
  }
}

TEST(TextConversion, NegativeCountOnATypeLineCountsAsZero) {
  const Configuration conf = RandomConfiguration({3, 2}, 12.5, 901);
  const struct {
    const char* name;
    std::string par;
    const char* count;
    std::vector<int> atoms;
  } cases[] = {
      {"first atoms", "sample.cfg\n1\n2\n2\nSi -2\nO 1\n", "-2", {3}},
      // The negative count adds nothing to the index list: only one index is read.
      {"index list", "sample.cfg\n1\n2\n3\nSi -1\nO 1\n5\n", "-1", {4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const FileMap inputs = {{"sample.cfg", TextConfiguration(conf)}, {"p.par", c.par}};
    WriteAll(dir, inputs);

    const RunResult run = RunConverter(dir, {"p.par"});

    FileMap files = inputs;
    files["sample.cmtx"] = ExpectedCmtx(conf, {"Si", "O"}, c.atoms);
    EXPECT_EQ(run.out, HelpText() +
                           "The number of particles to use for type 1 (type index begin with 1) "
                           "is " +
                           c.count +
                           " in the parameter file, which is negative! It will be taken as 0.\n" +
                           ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Files(), files);
  }
}

TEST(TextConversion, VeryLongSymbolIsWrittenWhole) {
  ScratchDir dir;
  const Configuration conf = RandomConfiguration({2, 3}, 4.0, 1001);
  std::string symbol(100000, 'X');
  symbol.front() = 'A';
  symbol.back() = 'z';
  const FileMap inputs = {{"sample.cfg", TextConfiguration(conf)},
                          {"p.par", "sample.cfg\n1\n2\n2\n" + symbol + " 2\nO 1\n"}};
  WriteAll(dir, inputs);

  const RunResult run = RunConverter(dir, {"p.par"});

  FileMap files = inputs;
  files["sample.cmtx"] = ExpectedCmtx(conf, {symbol, "O"}, {0, 1, 2});
  EXPECT_EQ(run.out, HelpText() + ProgressText(1, "sample.cfg", "sample.cmtx") + FinishText());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.Files(), files);
}

}  // namespace
