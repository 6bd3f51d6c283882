// The check that the page runs before it offers a run must meet every stop a run meets before
// it writes its first file: over every case folder and example whose inputs it can set up (files
// and folders; not pipes, links, consoles or typed names), its verdict is the exit status.
#include "driver/run_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "config/cfg_state.h"

namespace {
namespace fs = std::filesystem;

// Cases whose run stops where no check can look, grouped by the reason.
const std::string kStopsLater =
    // a later configuration is missing, cut short, or of other counts
    " coll_fewer_configurations_than_requested coll_third_configuration_cut_short"
    " coll_second_configuration_has_fewer_atoms coll_second_configuration_has_more_atoms"
    " coll_second_configuration_has_more_types coll_second_configuration_splits_types_otherwise"
    " coll_second_configuration_splits_later_types_otherwise"
    // a later configuration's header cannot be read
    " coll_second_configuration_atoms_of_type_unreadable"
    " coll_second_configuration_number_of_types_unreadable"
    // a later configuration's box differs from the first one's
    " xyz_collection_box_changes xyz_collection_box_length_changes"
    // the output file cannot be written
    " out_name_is_folder out_temporary_name_is_folder xyz_folder_in_the_way ";

struct Case {
  std::string par_name;
  bool xyz = false;
  int status = -1;
  bool can_set_up = true;
};

// Sets the case's inputs up in the current folder, and reads what the check needs.
Case SetUpCase(const fs::path& folder) {
  Case run;
  if (fs::exists(folder / "in")) fs::copy(folder / "in", ".", fs::copy_options::recursive);
  std::ifstream directives(folder / "case");
  for (std::string line; std::getline(directives, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string key;
    std::string first;
    words >> key >> first;
    if (key == "args") run.par_name = first;
    if (key == "program") run.xyz = first == "cfg2xyz";
    if (key == "status") run.status = std::stoi(first);
    if (key == "dir") fs::create_directories(fs::u8path(first));
    for (std::string file; key == "inputs" && words >> file;)
      fs::copy_file(folder / first / file, file, fs::copy_options::overwrite_existing);
    std::string name;
    if (key == "copy" && words >> name) {
      if (fs::u8path(name).has_parent_path())
        fs::create_directories(fs::u8path(name).parent_path());
      fs::copy_file(folder / fs::u8path(first), fs::u8path(name));
    }
    if (key == "link" || key == "fifo" || key == "console" || key == "repeat") {
      run.can_set_up = false;
    }
  }
  run.can_set_up = run.can_set_up && !run.par_name.empty();
  return run;
}

TEST(CheckRun, StopsWhereTheCaseStopsBeforeItsFirstFile) {
  // Absolute before the test moves into each scratch folder: on Windows a path without a drive
  // would then be taken on the scratch folder's drive.
  const fs::path tests = fs::absolute(fs::path(CFG2CMTX_UNIT_DATA) / ".." / "..");
  std::vector<fs::directory_entry> folders(fs::directory_iterator(tests / "cases"), {});
  folders.insert(folders.end(), fs::directory_iterator(tests / ".." / "examples" / "expected"), {});
  const fs::path home = fs::current_path();
  int checked = 0;
  for (const auto& entry : folders) {
    const std::string name = entry.path().filename().string();
    const fs::path scratch = fs::temp_directory_path() / ("cfg2cmtx-check-" + name);
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    fs::current_path(scratch);
    const Case run = SetUpCase(entry.path());
    if (run.can_set_up) {
      const bool ok = !CheckRun(run.par_name, run.xyz ? kToExtendedXyz : kToCrystalMaker).stopped;
      const bool later = kStopsLater.find(" " + name + " ") != std::string::npos;
      EXPECT_TRUE(later ? ok && run.status == 1 : ok == (run.status == 0)) << name;
      ++checked;
    }
    fs::current_path(home);
    fs::remove_all(scratch);
  }
  EXPECT_GT(checked, 110);
}

// What the page asks before the run: the name a parameter file gives, and the header with the
// number of types that the file itself says, each as far as the program's own reading goes.
TEST(CheckRun, NameAndHeaderAsTheProgramReadsThem) {
  const fs::path sample =
      fs::absolute(fs::path(CFG2CMTX_UNIT_DATA) / ".." / ".." / "data" / "sample");
  const std::string par = (sample / "p.par").string();
  const std::string cfg = (sample / "sample.cfg").string();
  std::ofstream((fs::temp_directory_path() / "cfg2cmtx-axis.par").string())
      << "a.cfg\n1\n1\n4 3 0 1\n";
  const NamedFile good = NameInParameterFile(par);
  const NamedFile axis =
      NameInParameterFile((fs::temp_directory_path() / "cfg2cmtx-axis.par").string());
  EXPECT_EQ(std::make_tuple(good.name, good.needed, axis.name, axis.needed),
            std::make_tuple(std::string("sample.cfg"), true, std::string("a.cfg"), false));
  const ContainedRun header = ReadHeaderAsRun(cfg);
  EXPECT_FALSE(header.stopped) << header.console;
  EXPECT_EQ(cfg_state.ni, (std::vector<int>{3, 2}));
  EXPECT_TRUE(ReadHeaderAsRun((sample / "missing.cfg").string()).stopped);
}

}  // namespace
