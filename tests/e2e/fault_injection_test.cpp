// Faults of the file system around a sound conversion: a full disc under an output file, an
// output name taken by a folder, and an "index" file that cannot be written. Whole standard
// output and error, exit status, and the regular files left behind are compared.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/config_writer.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kSymbols = {"Si", "O"};

Configuration First() { return RandomConfiguration({10, 12}, 8.0, 41); }
Configuration Second() { return RandomConfiguration({10, 12}, 8.0, 42); }

std::string WriteFailure(const std::string& name) {
  return "****WARNING****\nSimpleCfg::SaveCrystalMaker - writing the file " + name +
         " has failed!\nCannot run this way, exiting...\n";
}

const char kRetry[] =
    "****WARNING****\n"
    "SimpleCfg::SaveCrystalMaker - file could not be opened for saving!\n"
    "If the file is used by another application, close it first.\n"
    "Try again? (Press any key!)\n";

const char kIndexWarning[] =
    "****WARNING**** The file index could not be written, the conversion goes on without it.\n";

// Option 1 over types of 10 and 12 atoms, 3 and 5 of them spread evenly.
const std::vector<int> kSpread = {0, 4, 9, 10, 13, 16, 19, 21};

struct Fault {
  std::string name;
  std::string parameters;
  void (*inject)(const ScratchDir&);
  std::string input;  // standard input, which ends after it
  int status;
  std::string out;  // standard output after the help text
  std::map<std::string, std::string> written;
};

void PrintTo(const Fault& fault, std::ostream* os) { *os << fault.name; }

std::vector<Fault> Faults() {
  return {
      {"disc_full",
       "model.cfg\n1\n2\n2\nSi 10\nO 12\n",
       [](const ScratchDir& dir) { fs::create_symlink("/dev/full", dir.File("model.cmtx")); },
       "",
       1,
       ProgressText(1, "model.cfg", "model.cmtx") + WriteFailure("model.cmtx"),
       {}},
      // The first file of the collection stays whole.
      {"disc_full_at_second_configuration",
       "model_coll.cfg\n2\n2\n2\nSi 10\nO 12\n",
       [](const ScratchDir& dir) {
         fs::create_symlink("/dev/full", dir.File("model_coll0001.cmtx"));
       },
       "",
       1,
       ProgressText(1, "model_coll.cfg", "model_coll0000.cmtx") +
           ProgressText(2, "model_coll.cfg", "model_coll0001.cmtx") +
           WriteFailure("model_coll0001.cmtx"),
       {{"model_coll0000.cmtx", ExpectedCmtxAll(First(), kSymbols)}}},
      // Two replies let the dialogue try twice more; then the console has ended.
      {"output_name_is_a_folder",
       "model.cfg\n1\n2\n2\nSi 10\nO 12\n",
       [](const ScratchDir& dir) { fs::create_directory(dir.File("model.cmtx")); },
       "y\ny\n",
       1,
       ProgressText(1, "model.cfg", "model.cmtx") + kRetry + kRetry + kRetry +
           "No reply can be read from the console, cannot run this way, exiting...\n",
       {}},
      {"index_is_a_folder",
       "model.cfg\n1\n2\n1\nSi 3\nO 5\n",
       [](const ScratchDir& dir) { fs::create_directory(dir.File("index")); },
       "",
       0,
       ProgressText(1, "model.cfg", "model.cmtx") + kIndexWarning + FinishText(),
       {{"model.cmtx", ExpectedCmtx(First(), kSymbols, kSpread)}}},
      {"index_on_a_full_disc",
       "model.cfg\n1\n2\n1\nSi 3\nO 5\n",
       [](const ScratchDir& dir) { fs::create_symlink("/dev/full", dir.File("index")); },
       "",
       0,
       ProgressText(1, "model.cfg", "model.cmtx") + kIndexWarning + FinishText(),
       {{"model.cmtx", ExpectedCmtx(First(), kSymbols, kSpread)}}},
  };
}

class FaultInjection : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultInjection, ReportsAndStopsOrGoesOn) {
  const Fault& fault = GetParam();
  ScratchDir dir;
  dir.Write("model.cfg", TextConfiguration(First()));
  dir.Write("model_coll.cfg", CollectionFile({First(), Second()}));
  dir.Write("run.par", fault.parameters);
  fault.inject(dir);
  const auto inputs = dir.Files();

  const RunResult run = RunConverter(dir, {"run.par"}, fault.input);

  EXPECT_EQ(run.status, fault.status);
  EXPECT_EQ(run.out, HelpText() + fault.out);
  EXPECT_EQ(run.err, fault.status == 1 ? "Quit (y)?->\n" : "");
  std::map<std::string, std::string> written;
  for (const auto& [file, content] : dir.Files()) {
    if (inputs.count(file) == 0) written[file] = content;
  }
  EXPECT_EQ(written, fault.written);
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(Faults, FaultInjection, ::testing::ValuesIn(Faults()), FaultName);

}  // namespace
