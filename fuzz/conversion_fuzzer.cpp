// Fuzz target: a whole run of the program, from the parameter file to the output files. The case
// folders pin down what known inputs give; this harness looks for inputs that break what every
// run must keep: no crash or memory fault, the inputs unchanged, and after a completed run every
// announced output file whole, with one line per chosen atom, and the check that the page runs
// before a run agreeing with the run.
//
// Input: the parameter file, a NUL byte, then the configuration file, saved under the name that
// the parameter file gives. Without a NUL byte there is no configuration file. A name with a
// folder part is not run, so that nothing outside the harness's own folder is touched.
//
// Built with CFG2CMTX_REPLAY, the harness has a main that runs it over the files of a folder, in
// name order: the corpus replay of the test suite.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "driver/contained_call.h"
#include "driver/conversion.h"
#include "driver/program.h"
#include "driver/run_check.h"
#include "params/parameter_file.h"

// An absurd atom count is refused by the program's own allocation check: the sanitizer must hand
// back null, and above 1 GB its bookkeeping alone takes seconds.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {
namespace fs = std::filesystem;

fs::path work_folder;

void Check(bool kept, const char* what) {
  if (kept) return;
  std::fprintf(stderr, "cfg2cmtx fuzz invariant broken: %s\n", what);
  std::abort();
}

std::string ReadFile(const std::string& name) {
  std::ostringstream content;
  content << std::ifstream(name, std::ios::binary).rdbuf();
  return content.str();
}

// A quit prompt that prints nothing, and a fresh working folder, into which the conversion
// writes. Each run is contained: its console is gathered, and a fatal stop returns.
void Prepare() {
  std::cerr.setstate(std::ios::badbit);
  work_folder =
      fs::temp_directory_path() / ("cfg2cmtx-fuzz-" + std::to_string(std::random_device()()));
  fs::create_directories(work_folder);
  fs::current_path(work_folder);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = (Prepare(), true);
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string parameters = input.substr(0, nul);
  std::string cfg_name;
  std::istringstream(parameters) >> cfg_name;
  if (!prepared || cfg_name.find_first_of("/\\:") != std::string::npos) return 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path(), error);
  std::ofstream("run.par", std::ios::binary) << parameters;
  const std::string configuration = nul == std::string::npos ? "" : input.substr(nul + 1);
  if (nul != std::string::npos && InputKindOf(cfg_name) != 0) {
    std::ofstream(cfg_name, std::ios::binary) << configuration;
  }
  // A name too long for the file system leaves no file, as a missing one would.
  const bool written = fs::is_regular_file(cfg_name, error) && ReadFile(cfg_name) == configuration;
  const bool check_stopped = CheckRun("run.par", kToCrystalMaker).stopped;
  ResetCfgState();
  const char* const argv[] = {"cfg2cmtx", "run.par"};
  const ContainedRun run = RunContained([&] { RunProgram(2, argv, kToCrystalMaker); });
  // The page's check meets every stop of a run before its first file; only a later
  // configuration can stop a run that it passed.
  Check(check_stopped == run.stopped || (run.stopped && cfg_state.nconf > 1),
        "the check and the run disagree");
  const CfgState& s = cfg_state;
  long long atoms = 2;  // MOLE and ATOM
  for (std::size_t k = 0; !run.stopped && k < s.nused.size(); ++k) {
    atoms += std::clamp(s.nused[k], 0, s.ni[k]);
  }
  for (int i = 0; !run.stopped && i < s.nconf; ++i) {
    const std::string text = ReadFile(OutputFileName(BaseNameOf(cfg_name), i, s.nconf, ".cmtx"));
    Check(text.compare(0, 10, "MOLE\nATOM\n") == 0, "output without its keyword lines");
    Check(text.back() == '\n', "output ends inside a line");
    // The slab of earlier configurations was chosen from their own coordinates.
    Check(std::count(text.begin(), text.end(), '\n') == atoms ||
              (s.choose_part == kSlab && i < s.nconf - 1),
          "output without one line per chosen atom");
  }
  Check(ReadFile("run.par") == parameters, "the parameter file was changed");
  Check(!written || ReadFile(cfg_name) == configuration, "the configuration file was changed");
  return 0;
}

#if defined(CFG2CMTX_REPLAY)
int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::vector<fs::path> files(fs::directory_iterator(fs::absolute(argv[1])), {});
  std::sort(files.begin(), files.end());  // the same order every time
  for (const fs::path& file : files) {
    std::fprintf(stderr, "replaying %s\n", file.string().c_str());
    const std::string bytes = ReadFile(file.string());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(work_folder);
}
#endif
