#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/cfg_state.h"
#include "driver/console.h"

namespace fs = std::filesystem;

namespace testing_support {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string WithCrLf(const std::string& text) {
  std::string converted;
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

ContentFile::ContentFile(const std::string& content, std::ios::openmode mode) {
  static std::atomic<int> counter{0};
  fs::create_directories(CFG2CMTX_SCRATCH_DIR);
  const std::string path = std::string(CFG2CMTX_SCRATCH_DIR) + "/content." +
                           std::to_string(static_cast<long>(::getpid())) + "." +
                           std::to_string(counter++);
  WriteFile(path, content);
  open(path, mode);
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                     : std::string("scratch");
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  path_ = std::string(CFG2CMTX_SCRATCH_DIR) + "/" + name + "." +
          std::to_string(static_cast<long>(::getpid())) + "." + std::to_string(counter++);
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // Keep the folder of a failed test for a look at what was written.
  if (!::testing::Test::HasFailure()) fs::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& name, const std::string& content) const {
  WriteFile(File(name), content);
}

std::string ScratchDir::Read(const std::string& name) const { return ReadFile(File(name)); }

bool ScratchDir::Exists(const std::string& name) const {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(File(name), ignored));
}

std::map<std::string, std::string> ScratchDir::Files() const {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(path_)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadFile(entry.path());
  }
  return files;
}

std::map<std::string, std::string> Written(const ScratchDir& dir,
                                           const std::set<std::string>& inputs) {
  std::map<std::string, std::string> written;
  for (const auto& [name, content] : dir.Files()) {
    if (inputs.count(name) == 0) written[name] = content;
  }
  return written;
}

namespace {
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}
}  // namespace

RunResult RunConverter(const ScratchDir& dir, const std::vector<std::string>& args,
                       const std::string& input) {
  const std::string io = dir.path() + "/../" + fs::path(dir.path()).filename().string();
  WriteFile(io + ".stdin", input);
  std::string command = "cd " + Quote(dir.path()) + " && " + Quote(CFG2CMTX_EXE);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command +=
      " <" + Quote(io + ".stdin") + " >" + Quote(io + ".stdout") + " 2>" + Quote(io + ".stderr");
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.out = ReadFile(io + ".stdout");
  result.err = ReadFile(io + ".stderr");
  for (const char* ext : {".stdin", ".stdout", ".stderr"}) fs::remove(io + ext);
  return result;
}

std::string HelpText() {
  static const char* const kLines[] = {
      "This program creates CrytalMaker *.cmtx text format configuration file from ",
      "version 3 format  Tamber file.\n",
      "It requires a parameter file containing information for the building of the ",
      "CrystalMaker configuration file.",
      "1. line: has to contain the full name of the configuration file. It can be a ",
      "       -text type *.cfg file containing one configuration ",
      "       -text type *_coll.cfg file containing consecutively several ",
      "        configurations",
      "       -binary *.bcf file conaining one configuration.",
      "     The name of the output file will be derived from the input file name, ",
      "     cutting the extension, inserting the frame index in case of multiple ",
      "     configurations, and adding the cmtx extension.",
      "2. line: number of configurations to convert, always 1 except for *_coll.cfg",
      "         file.",
      "3. line: the number of atom types in the configuration",
      "4. line: integer option switch regarding how the particles should",
      "         be selected, if not all the particles of a type will be used.",
      "         If the option switch=4, than one more integer ",
      "         and two real numbers have to follow in the same line, see later.\n",
      "   option 1: The indices of the specified number of atoms for each type will",
      "             be spread among the atoms of this type with as equal step as ",
      "             possible. As usually atoms with similar indices are close to ",
      "             each other, especially if no swaps were used during the ",
      "             simulation, this way the particles can be found everywhere in ",
      "             the simulation box.",
      "   option 2: The first given number of atoms will be used from a type. ",
      "             (Most probably atoms close to each other are chosen this way!)",
      "   option 3: Atoms of given indices specified at the end the parameter file",
      "             will be selected. (Index can range from 1 -> ntotal, has to  ",
      "             follow the order of atom types.)",
      "   option 4: Only particles between two parallel planes will be saved into the",
      "             file. The planes have to be parallel to one of the sides of the ",
      "             simulation box! There have to be an integer after option 4 to ",
      "             specify which axis is perpendicular to the plane (x:0, y:1, z:2),",
      "             followed by two real numbers (between -1 and +1) to specify the ",
      "             reduced coordinates,between which the atoms will be outputted.",
      "             Example for this line of the parameter file choosing the atoms,",
      "             with reduced y-coordinates between -0.7 -> 0.5:   4  1  -0.7 0.5  ",
      "\nAfter this it has to be as many lines as atom types, in each line containing:",
      "its chemical SYMBOL, the NUMBER OF PARTICLES used from this type.",
      "\nIn case of option 3 there has to follow the indices of the atoms to select one",
      "index in each line. Indexing starts with 1, first the indices for the first ",
      "atom type, then the second and so on.",
  };
  std::string text;
  for (const char* line : kLines) text += std::string(line) + "\n";
  return text;
}

std::string FinishText() { return " Finished execution, quit (y)? ->\nSimpleCfg destructor\n"; }

std::string ProgressText(int number, const std::string& cfg_name, const std::string& out_name) {
  return "\nConverting the " + std::to_string(number) + " configuration of the " + cfg_name +
         " file to CrystalMaker format configuration file " + out_name + "\n";
}

namespace {
void ThrowQuit() { throw QuitCalled{}; }
}  // namespace

QuitCapture::QuitCapture() {
  ResetCfgState();
  SetQuitHook(&ThrowQuit);
  ::testing::internal::CaptureStdout();
}

QuitCapture::~QuitCapture() {
  SetQuitHook(nullptr);
  if (capturing_) ::testing::internal::GetCapturedStdout();
  ResetCfgState();
}

std::string QuitCapture::TakeOutput() {
  std::string out = ::testing::internal::GetCapturedStdout();
  ::testing::internal::CaptureStdout();
  return out;
}

Observed Observe(const std::function<void()>& action, const std::function<void()>& then) {
  Observed seen;
  QuitCapture capture;
  ::testing::internal::CaptureStderr();
  try {
    action();
  } catch (const QuitCalled&) {
    seen.quit = true;
  }
  seen.err = ::testing::internal::GetCapturedStderr();
  seen.out = capture.TakeOutput();
  if (then) then();
  return seen;
}

}  // namespace testing_support
