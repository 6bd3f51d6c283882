// The bundled examples, run as the README shows them, against their checked-in results.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

class ExampleRun : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleRun, WritesTheCheckedInResult) {
  const std::string name = GetParam();
  const fs::path examples = fs::path(CFG2CMTX_SOURCE_DIR) / "examples";
  ScratchDir dir;
  for (const auto& entry : fs::directory_iterator(examples)) {
    if (entry.is_regular_file()) fs::copy_file(entry.path(), dir.File(entry.path().filename()));
  }
  const auto inputs = dir.Files();
  const RunResult run = RunConverter(dir, {name + ".par"});
  const fs::path expected = examples / "expected" / name;
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, HelpText() + ReadFile(expected / "stdout.txt"));
  EXPECT_EQ(run.err, "");
  std::map<std::string, std::string> written;
  for (const auto& [file, content] : dir.Files()) {
    if (inputs.count(file) == 0) written[file] = content;
  }
  std::map<std::string, std::string> wanted;
  for (const auto& entry : fs::directory_iterator(expected)) {
    const std::string file = entry.path().filename().string();
    if (file != "stdout.txt") wanted[file] = ReadFile(entry.path());
  }
  EXPECT_EQ(written, wanted);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun,
                         ::testing::Values("option1", "option2", "option3", "option4", "binary"));
