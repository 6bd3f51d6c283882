// Fuzz target: a whole run of the program, from the parameter file to the output files.
//
// Input: the parameter file, a NUL byte, then the configuration file, which is saved under the
// name that the parameter file gives on its first line (as the program reads it). Without a NUL
// byte there is no configuration file. A name with a folder part is not run, so that nothing is
// read or written outside the harness's own folder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "config/cfg_state.h"
#include "driver/conversion.h"
#include "driver/program.h"
#include "harness_support.h"
#include "params/parameter_file.h"

using fuzz_support::Fail;

namespace {
void WriteFile(const std::string& name, const std::string& content) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

long long LineCount(const std::string& text) {
  return static_cast<long long>(std::count(text.begin(), text.end(), '\n'));
}

// Every file that a completed run announces exists, is whole, and holds one line per chosen atom.
void CheckOutputs(const std::string& base_name) {
  const CfgState& s = cfg_state;
  for (int i = 0; i < s.nconf; ++i) {
    const std::string name = OutputFileName(base_name, i, s.nconf);
    if (!std::filesystem::is_regular_file(name)) Fail("output file missing: " + name);
    const std::string text = ReadFile(name);
    if (text.compare(0, 10, "MOLE\nATOM\n") != 0) Fail("output without its keyword lines");
    if (text.back() != '\n') Fail("output ends inside a line");
    for (std::size_t end = text.find('\n', 10); end != std::string::npos;
         end = text.find('\n', end + 1)) {
      if (text[end - 1] != ' ') Fail("atom line without its closing blank");
    }
    long long atoms = 0;
    for (std::size_t k = 0; k < s.nused.size(); ++k) {
      int used = s.nused[k];
      if (used < 0) used = 0;
      if (used > s.ni[k]) used = s.ni[k];
      atoms += used;
    }
    // The slab of earlier configurations was chosen from their own coordinates.
    const bool counts_hold = s.choose_part != 4 || i == s.nconf - 1;
    if (counts_hold && LineCount(text) != 2 + atoms) {
      Fail("output " + name + " does not hold one line per chosen atom");
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Prepare();
  const std::string input = fuzz_support::Bytes(data, size);
  const std::size_t nul = input.find('\0');
  const std::string parameters = input.substr(0, nul);
  std::string cfg_name;
  std::istringstream(parameters) >> cfg_name;
  if (cfg_name.find('/') != std::string::npos) return 0;

  fuzz_support::ClearWorkFolder();
  WriteFile("run.par", parameters);
  const std::string configuration = nul == std::string::npos ? "" : input.substr(nul + 1);
  bool configuration_written = false;
  if (nul != std::string::npos && InputKindOf(cfg_name) != 0) {
    WriteFile(cfg_name, configuration);
    // A name too long for the file system leaves no file, as a missing one would.
    configuration_written = ReadFile(cfg_name) == configuration;
  }
  const char* const argv[] = {"cfg2cmtx", "run.par"};
  const bool completed = fuzz_support::RunGuarded([&] { RunProgram(2, argv); });
  if (completed) CheckOutputs(BaseNameOf(cfg_name));
  // The program only ever reads its inputs.
  if (ReadFile("run.par") != parameters) Fail("the parameter file was changed");
  if (configuration_written && ReadFile(cfg_name) != configuration) {
    Fail("the configuration file was changed");
  }
  fuzz_support::ResetState();
  fuzz_support::ClearWorkFolder();
  return 0;
}
