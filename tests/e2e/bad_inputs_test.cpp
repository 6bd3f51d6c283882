// Broken inputs from tests/data/bad, each run through the executable: the exit status, the whole
// standard output and error, and exactly the files the run leaves behind. A run that stops must
// stop with the quit prompt and must not leave an output file for the configuration it stopped
// in; files written for earlier configurations stay complete.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/config_writer.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The configuration that every checked-in text and binary file describes (or starts to).
Configuration Good() {
  Configuration conf;
  conf.ni = {3, 2};
  conf.box = 10.0;
  conf.coords = {-0.5, 0.25,  0.75,  0.125,  -0.25,  0.5,   0.0,   -1.0,
                 1.0,  0.375, 0.625, -0.875, -0.125, 0.875, 0.0625};
  return conf;
}

// The later configurations of the checked-in collections.
Configuration Scaled(double factor) {
  Configuration conf = Good();
  for (double& value : conf.coords) value *= factor;
  return conf;
}

const std::vector<std::string> kSymbols = {"Si", "O"};

std::string CountsAddUpStop(long long sum, long long ntotal) {
  return "The numbers of atoms of the types add up to " + std::to_string(sum) +
         ", but the total number of atoms is " + std::to_string(ntotal) +
         " in the configuration file!\nCannot run this way, exiting...\n";
}

// A negative type size is refused when the configuration is built, without lowering the used
// count to it first.
std::string NegativeTypeStop(int type, int count) {
  return "The number of atoms of type " + std::to_string(type) + " (type index begin with 1) is " +
         std::to_string(count) +
         " in the configuration file, which is negative!\nCannot run this way, exiting...\n";
}

const char kUnknownExtension[] =
    "Unrecognized file extension for input file, has to be either *.cfg, *.cfg_coll or *.bcf!\n"
    "Cannot run this way, exit...\n";
const char kChooseReset[] =
    "GetCrystalMakerPar: The value of the choose_part option is outside the acceptable range "
    "(1-4)! It will be set to default 1!\n";
const char kTextNotOpen[] =
    "****WARNING****\nSimpleCfg::GetParams_cfg - *.cfg file is not open for reading!\n";
const char kCannotCreate[] = "Sorry, cannot create SimpleCfg.\n";

std::string Progress(const std::string& cfg, const std::string& out, int number = 1) {
  return ProgressText(number, cfg, out);
}

// The parameter file for a broken configuration: every atom of two types, option 2.
std::string AllAtoms(const std::string& cfg, int nconf = 1) {
  return cfg + "\n" + std::to_string(nconf) + "\n2\n2\nSi 3\nO 2\n";
}

// The 32-bit little-endian integer that four bytes of a file are read as.
long long WordOf(const std::string& four) {
  std::uint32_t bits = 0;
  for (std::size_t b = 4; b-- > 0;) bits = (bits << 8) | static_cast<unsigned char>(four[b]);
  return static_cast<std::int32_t>(bits);
}

std::string LongSymbol() { return std::string(100000, 'X'); }

struct BadInput {
  std::string name;        // a file of tests/data/bad, or the name of a case made by `make`
  std::string parameters;  // the parameter file run, naming `name`; empty: `name` is run itself
  int status;
  std::vector<std::string> outs;               // accepted standard outputs after the help text
  std::map<std::string, std::string> written;  // the files the run leaves besides its inputs
  void (*make)(const ScratchDir&) = nullptr;   // makes the input instead of copying a file
};

void PrintTo(const BadInput& input, std::ostream* os) { *os << input.name; }

std::vector<BadInput> Cases() {
  const Configuration good = Good();
  const std::string finish = FinishText();
  std::vector<BadInput> cases = {
      // Text configurations: short files, junk where numbers belong, impossible counts.
      {"empty.cfg", AllAtoms("empty.cfg"), 1, {TypeCountMismatch(2, 0)}, {}},
      {"header_cut_after_line_5.cfg",
       AllAtoms("header_cut_after_line_5.cfg"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      {"header_cut_after_ntotal.cfg",
       AllAtoms("header_cut_after_ntotal.cfg"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      {"header_cut_after_ntypes.cfg",
       AllAtoms("header_cut_after_ntypes.cfg"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_cfg", true)},
       {}},
      {"header_cut_after_box.cfg",
       AllAtoms("header_cut_after_box.cfg"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_cfg", true)},
       {}},
      {"ntotal_letters.cfg", AllAtoms("ntotal_letters.cfg"), 1, {TypeCountMismatch(2, 0)}, {}},
      {"ntypes_letters.cfg", AllAtoms("ntypes_letters.cfg"), 1, {TypeCountMismatch(2, 0)}, {}},
      {"ntypes_3_in_header.cfg",
       AllAtoms("ntypes_3_in_header.cfg"),
       1,
       {TypeCountMismatch(2, 3)},
       {}},
      {"ntypes_huge.cfg", AllAtoms("ntypes_huge.cfg"), 1, {TypeCountMismatch(2, 2000000000)}, {}},
      // A number too large for an int is a failed read that leaves its field as it was.
      {"ntotal_overflows_int.cfg",
       AllAtoms("ntotal_overflows_int.cfg"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      {"ntypes_overflows_int.cfg",
       AllAtoms("ntypes_overflows_int.cfg"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      {"ntotal_huge_counts_differ.cfg",
       AllAtoms("ntotal_huge_counts_differ.cfg"),
       1,
       {CountsAddUpStop(5, 2000000000)},
       {}},
      // 48 GB of coordinates: refused by the allocator, or granted untouched and then the file
      // runs short; either way nothing is written.
      {"ntotal_huge_one_type.cfg",
       "ntotal_huge_one_type.cfg\n1\n1\n2\nSi 3\n",
       1,
       {kCannotCreate, Progress("ntotal_huge_one_type.cfg", "ntotal_huge_one_type.cmtx") +
                           LoadFailure("SimpleCfg::Load", true)},
       {}},
      {"ntotal_negative.cfg", AllAtoms("ntotal_negative.cfg"), 1, {kCannotCreate}, {}},
      {"box_letters.cfg",
       AllAtoms("box_letters.cfg"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_cfg", false)},
       {}},
      {"type_count_letters.cfg",
       AllAtoms("type_count_letters.cfg"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_cfg", false)},
       {}},
      {"type_count_overflows_int.cfg",
       AllAtoms("type_count_overflows_int.cfg"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_cfg", false)},
       {}},
      {"type_count_negative.cfg",
       AllAtoms("type_count_negative.cfg"),
       1,
       {NegativeTypeStop(2, -1)},
       {}},
      {"type_counts_add_up_wrong.cfg",
       AllAtoms("type_counts_add_up_wrong.cfg"),
       1,
       {CountsAddUpStop(6, 5)},
       {}},
      {"header_cut_in_type_blocks.cfg",
       AllAtoms("header_cut_in_type_blocks.cfg"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_cfg", true)},
       {}},
      {"coords_truncated.cfg",
       AllAtoms("coords_truncated.cfg"),
       1,
       {Progress("coords_truncated.cfg", "coords_truncated.cmtx") +
        LoadFailure("SimpleCfg::Load", true)},
       {}},
      {"coords_letters.cfg",
       AllAtoms("coords_letters.cfg"),
       1,
       {Progress("coords_letters.cfg", "coords_letters.cmtx") +
        LoadFailure("SimpleCfg::Load", false)},
       {}},
      {"coords_double_sign.cfg",
       AllAtoms("coords_double_sign.cfg"),
       1,
       {Progress("coords_double_sign.cfg", "coords_double_sign.cmtx") +
        LoadFailure("SimpleCfg::Load", false)},
       {}},
      {"coords_decimal_comma.cfg",
       AllAtoms("coords_decimal_comma.cfg"),
       1,
       {Progress("coords_decimal_comma.cfg", "coords_decimal_comma.cmtx") +
        LoadFailure("SimpleCfg::Load", false)},
       {}},
      // Two line feeds in 512 bytes: the six free lines already run past the end.
      {"binary_junk.cfg", AllAtoms("binary_junk.cfg"), 1, {TypeCountMismatch(2, 0)}, {}},
      // Carriage returns alone end no line: the whole file is one line.
      {"cr_only_line_ends.cfg",
       AllAtoms("cr_only_line_ends.cfg"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      {"crlf_lf_mixed.cfg",
       AllAtoms("crlf_lf_mixed.cfg"),
       0,
       {Progress("crlf_lf_mixed.cfg", "crlf_lf_mixed.cmtx") + finish},
       {{"crlf_lf_mixed.cmtx", ExpectedCmtxAll(good, kSymbols)}}},

      // Collections of three configurations.
      {"third_conf_cut_coll.cfg",
       AllAtoms("third_conf_cut_coll.cfg", 3),
       1,
       {Progress("third_conf_cut_coll.cfg", "third_conf_cut_coll0000.cmtx", 1) +
        Progress("third_conf_cut_coll.cfg", "third_conf_cut_coll0001.cmtx", 2) +
        Progress("third_conf_cut_coll.cfg", "third_conf_cut_coll0002.cmtx", 3) +
        LoadFailure("SimpleCfg::Load", true)},
       {{"third_conf_cut_coll0000.cmtx", ExpectedCmtxAll(good, kSymbols)},
        {"third_conf_cut_coll0001.cmtx", ExpectedCmtxAll(Scaled(0.5), kSymbols)}}},
      {"two_confs_only_coll.cfg",
       AllAtoms("two_confs_only_coll.cfg", 3),
       1,
       {Progress("two_confs_only_coll.cfg", "two_confs_only_coll0000.cmtx", 1) +
        Progress("two_confs_only_coll.cfg", "two_confs_only_coll0001.cmtx", 2) +
        Progress("two_confs_only_coll.cfg", "two_confs_only_coll0002.cmtx", 3) + kTextNotOpen +
        "The *.cfg file was found earlier, but now it is not available, cannot continue, "
        "exiting...\n"},
       {{"two_confs_only_coll0000.cmtx", ExpectedCmtxAll(good, kSymbols)},
        {"two_confs_only_coll0001.cmtx", ExpectedCmtxAll(Scaled(0.5), kSymbols)}}},
      {"second_conf_other_counts_coll.cfg",
       AllAtoms("second_conf_other_counts_coll.cfg", 3),
       1,
       {Progress("second_conf_other_counts_coll.cfg", "second_conf_other_counts_coll0000.cmtx", 1) +
        Progress("second_conf_other_counts_coll.cfg", "second_conf_other_counts_coll0001.cmtx", 2) +
        ChangedCounts(2, "4 atoms of 2 types", "5 atoms of 2 types")},
       {{"second_conf_other_counts_coll0000.cmtx", ExpectedCmtxAll(good, kSymbols)}}},
      // Without the line between them, the second header is read one line late: its type
      // count stands where the atom count belongs.
      {"no_separator_line_coll.cfg",
       AllAtoms("no_separator_line_coll.cfg", 3),
       1,
       {Progress("no_separator_line_coll.cfg", "no_separator_line_coll0000.cmtx", 1) +
        Progress("no_separator_line_coll.cfg", "no_separator_line_coll0001.cmtx", 2) +
        ChangedCounts(2, "2 atoms of 1 types", "5 atoms of 2 types")},
       {{"no_separator_line_coll0000.cmtx", ExpectedCmtxAll(good, kSymbols)}}},

      // Binary configurations: every field cut short, impossible counts.
      {"empty.bcf", AllAtoms("empty.bcf"), 1, {TypeCountMismatch(2, 0)}, {}},
      {"bcf_header_cut_in_ntotal.bcf",
       AllAtoms("bcf_header_cut_in_ntotal.bcf"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      // Two bytes of the type count still make 2, so the header read goes on to the end.
      {"bcf_header_cut_in_ntypes.bcf",
       AllAtoms("bcf_header_cut_in_ntypes.bcf"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_bcf", true)},
       {}},
      {"bcf_header_cut_in_ni.bcf",
       AllAtoms("bcf_header_cut_in_ni.bcf"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_bcf", true)},
       {}},
      {"bcf_header_cut_in_box.bcf",
       AllAtoms("bcf_header_cut_in_box.bcf"),
       1,
       {LoadFailure("SimpleCfg::GetParameters_bcf", true)},
       {}},
      {"bcf_coords_truncated.bcf",
       AllAtoms("bcf_coords_truncated.bcf"),
       1,
       {Progress("bcf_coords_truncated.bcf", "bcf_coords_truncated.cmtx") +
        LoadFailure("SimpleCfg::Load_binary", true)},
       {}},
      {"bcf_lead_word_then_nothing.bcf",
       AllAtoms("bcf_lead_word_then_nothing.bcf"),
       1,
       {TypeCountMismatch(2, 0)},
       {}},
      {"bcf_ntypes_3.bcf", AllAtoms("bcf_ntypes_3.bcf"), 1, {TypeCountMismatch(2, 3)}, {}},
      {"bcf_ntypes_huge.bcf",
       AllAtoms("bcf_ntypes_huge.bcf"),
       1,
       {TypeCountMismatch(2, 2000000000)},
       {}},
      {"bcf_ntotal_huge_counts_differ.bcf",
       AllAtoms("bcf_ntotal_huge_counts_differ.bcf"),
       1,
       {CountsAddUpStop(5, 2000000000)},
       {}},
      {"bcf_type_count_negative.bcf",
       AllAtoms("bcf_type_count_negative.bcf"),
       1,
       {NegativeTypeStop(2, -1)},
       {}},
      // A text file read as binary: " (Ve" is the atom count, "rsio" the type count.
      {"bcf_text_instead_of_binary.bcf",
       AllAtoms("bcf_text_instead_of_binary.bcf"),
       1,
       {TypeCountMismatch(2, WordOf("rsio"))},
       {}},

      // Parameter files; good.cfg, which they name, is a sound configuration.
      {"params_empty.par", "", 1, {kUnknownExtension}, {}},
      {"params_only_the_name.par",
       "",
       1,
       {kChooseReset + LoadFailure("SimpleCfg::GetCrystalMakerPar", true)},
       {}},
      {"params_truncated_in_type_lines.par",
       "",
       1,
       {LoadFailure("Simple_Cfg::GetCrystalMakerPar", true)},
       {}},
      // The missing upper limit stays 0, inside the range; the first type line then fails.
      {"params_option4_limit_missing.par",
       "",
       1,
       {LoadFailure("Simple_Cfg::GetCrystalMakerPar", true)},
       {}},
      {"params_no_final_line_end.par",
       "",
       0,
       {Progress("good.cfg", "good.cmtx") + finish},
       {{"good.cmtx", ExpectedCmtxAll(good, kSymbols)}}},
      {"params_axis_3.par",
       "",
       1,
       {"The value of the axis perpendicular to the cutting planes can be 0,1 or 2!\n"
        "Cannot run this way, exiting...\n"},
       {}},
      {"params_limit_below_minus_1.par",
       "",
       1,
       {"The limiting values for the reduced coordinates along the selected axis has to be "
        "between -1 and +1!\nCannot run this way, exiting...\n"},
       {}},
      // Nothing after the failed count is read, so only the closing check reports it.
      {"params_nconf_letters.par",
       "",
       1,
       {kChooseReset + LoadFailure("SimpleCfg::GetCrystalMakerPar", false)},
       {}},
      // ntypes_par stays 0, so no type line is read and the closing check reports.
      {"params_ntypes_overflows_int.par",
       "",
       1,
       {kChooseReset + LoadFailure("SimpleCfg::GetCrystalMakerPar", false)},
       {}},
      {"params_count_letters.par",
       "",
       1,
       {LoadFailure("Simple_Cfg::GetCrystalMakerPar", false)},
       {}},
      {"params_count_sign_only.par",
       "",
       1,
       {LoadFailure("Simple_Cfg::GetCrystalMakerPar", false)},
       {}},
      {"params_choose_part_junk.par",
       "",
       1,
       {kChooseReset + LoadFailure("Simple_Cfg::GetCrystalMakerPar", false)},
       {}},
      {"params_index_list_short.par",
       "",
       1,
       {LoadFailure("Simple_Cfg::GetCrystalMakerPar", true)},
       {}},
      {"params_index_out_of_range.par",
       "",
       1,
       {Progress("good.cfg", "good.cmtx") +
        "****WARNING****\nThe atom index 9 read from the parameter file for CrystalMaker for a 2. "
        "type atom is out of range for this type. The range is from 4 to 5!\n"
        "Check the configuration file! Cannot run this way, exiting...\n"},
       {}},
      {"params_index_repeated.par",
       "",
       1,
       {Progress("good.cfg", "good.cmtx") +
        "****WARNING****\nThe atom index 2 is given more than once in the parameter file for "
        "CrystalMaker!\nCheck the parameter file! Cannot run this way, exiting...\n"},
       {}},
      {"params_extension_upper_case.par", "", 1, {kUnknownExtension}, {}},
      {"params_folder_part_with_dot.par", "", 1, {kUnknownExtension}, {}},
      // The name ends at the NUL: "good" has no extension, and no file named "good" is touched.
      {"params_name_with_nul.par", "", 1, {kUnknownExtension}, {}},
      {"params_names_missing_text_file.par",
       "",
       1,
       {kTextNotOpen + std::string(kCannotCreate)},
       {}},
      {"params_names_missing_binary_file.par",
       "",
       1,
       {"****WARNING****\nSimpleCfg::GetParams_bcf *.bcf file is not open for reading!\n"
        "Cannot run this way, exiting\n"},
       {}},
      // folder.cfg is a folder in every run's scratch folder.
      {"params_names_folder.par", "", 1, {kTextNotOpen + std::string(kCannotCreate)}, {}},
      {"params_count_negative.par",
       "",
       0,
       {"The number of particles to use for type 1 (type index begin with 1) is -2 in the "
        "parameter file, which is negative! It will be taken as 0.\n" +
        Progress("good.cfg", "good.cmtx") + finish},
       {{"good.cmtx", ExpectedCmtx(good, kSymbols, {3, 4})}}},
      {"params_counts_overflow_total.par",
       "",
       1,
       {"The total number of particles to use is larger than 2147483647 in the parameter "
        "file!\nCannot run this way, exiting...\n"},
       {}},
      {"params_truncated_after_ntypes.par",
       "",
       1,
       {kChooseReset + LoadFailure("Simple_Cfg::GetCrystalMakerPar", true)},
       {}},
      {"params_crlf_lf_mixed.par",
       "",
       0,
       {Progress("good.cfg", "good.cmtx") + finish},
       {{"good.cmtx", ExpectedCmtx(good, kSymbols, {0, 2, 4})}}},
  };

  BadInput folder{"params_folder.par",
                  "",
                  1,
                  {"****WARNING****\nSimpleCfg::GetCrystalMakerPar CrystalMaker parameter file "
                   "is not open for reading!\n"},
                  {}};
  folder.make = [](const ScratchDir& dir) { fs::create_directory(dir.File("params_folder.par")); };
  cases.push_back(folder);

  // Names have no length limit: the symbol is written whole, twice on each of its lines.
  BadInput symbol{"params_symbol_100000_chars.par",
                  "",
                  0,
                  {Progress("good.cfg", "good.cmtx") + finish},
                  {{"good.cmtx", ExpectedCmtxAll(good, {LongSymbol(), "O"})}}};
  symbol.make = [](const ScratchDir& dir) {
    dir.Write("params_symbol_100000_chars.par", "good.cfg\n1\n2\n2\n" + LongSymbol() + " 3\nO 2\n");
  };
  cases.push_back(symbol);
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<BadInput>& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

class BadInputRun : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputRun, StopsOrGoesOnAsTabled) {
  const BadInput& input = GetParam();
  ScratchDir dir;
  dir.Write("good.cfg", TextConfiguration(Good()));
  fs::create_directory(dir.File("folder.cfg"));
  if (input.make != nullptr) {
    input.make(dir);
  } else {
    fs::copy_file(fs::path(CFG2CMTX_SOURCE_DIR) / "tests/data/bad" / input.name,
                  dir.File(input.name));
  }
  std::string run_name = input.name;
  if (!input.parameters.empty()) {
    run_name = "run.par";
    dir.Write(run_name, input.parameters);
  }
  std::set<std::string> inputs;
  for (const auto& entry : dir.Files()) inputs.insert(entry.first);

  const RunResult run = RunConverter(dir, {run_name});

  EXPECT_EQ(run.status, input.status);
  bool out_accepted = false;
  for (const std::string& out : input.outs) out_accepted |= run.out == HelpText() + out;
  EXPECT_TRUE(out_accepted) << "standard output:\n" << run.out.substr(HelpText().size());
  EXPECT_EQ(run.err, input.status == 1 ? "Quit (y)?->\n" : "");
  EXPECT_EQ(Written(dir, inputs), input.written);
}

INSTANTIATE_TEST_SUITE_P(BadInputs, BadInputRun, ::testing::ValuesIn(Cases()), CaseName);

// Every checked-in broken input is run above.
TEST(BadInputsFolder, EveryFileHasACase) {
  std::map<std::string, bool> tabled;
  for (const BadInput& input : Cases()) tabled[input.name] = true;
  const fs::path folder = fs::path(CFG2CMTX_SOURCE_DIR) / "tests/data/bad";
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    if (file != "README.md") {
      EXPECT_TRUE(tabled.count(file) == 1) << file << " is never run";
    }
  }
}

}  // namespace
