// Shared test helpers: scratch folders, running the built converter in one, observing fatal
// stops inside the test process, and files as whole strings.
#ifndef CFG2CMTX_TESTS_SUPPORT_TEST_SUPPORT_H
#define CFG2CMTX_TESTS_SUPPORT_TEST_SUPPORT_H

#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

// A fresh empty folder under the build tree, removed again with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Every regular file in the folder (not below), name -> content.
  std::map<std::string, std::string> Files() const;

 private:
  std::string path_;
};

// Every regular file of dir whose name is not among inputs, name -> content.
std::map<std::string, std::string> Written(const ScratchDir& dir,
                                           const std::set<std::string>& inputs);

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};

// Runs the built cfg2cmtx in dir with the given arguments and standard input (its whole
// content; the input ends after it).
RunResult RunConverter(const ScratchDir& dir, const std::vector<std::string>& args,
                       const std::string& input = "");

// The 43 lines printed at every start.
std::string HelpText();

// The lines that end a run normally (finish prompt and destructor line).
std::string FinishText();

// The stdout lines printed for converting configuration `number` (from 1) to out_name.
std::string ProgressText(int number, const std::string& cfg_name, const std::string& out_name);

// Thrown by the quit hook that QuitCapture installs.
struct QuitCalled {};

// While alive, a fatal stop throws QuitCalled instead of ending the process, and standard
// output is captured.
class QuitCapture {
 public:
  QuitCapture();
  ~QuitCapture();
  QuitCapture(const QuitCapture&) = delete;
  QuitCapture& operator=(const QuitCapture&) = delete;
  // Standard output since construction (or the last call).
  std::string TakeOutput();

 private:
  bool capturing_ = true;
};

// What a piece of code printed, and whether it ended in a fatal stop.
struct Observed {
  std::string out;
  std::string err;
  bool quit = false;
};

// Runs action inside a QuitCapture with standard error captured as well, then `then` (if
// given) while the capture still holds: before the configuration state is reset and with the
// output already taken. gtest assertions belong after the call, since standard output is
// captured while it runs.
Observed Observe(const std::function<void()>& action, const std::function<void()>& then = {});

// A file stream over the given content, written to a fresh file of the scratch area: the readers
// take only streams of open files.
class ContentFile : public std::ifstream {
 public:
  explicit ContentFile(const std::string& content,
                       std::ios::openmode mode = std::ios::in | std::ios::binary);
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// text with a carriage return before every line feed.
std::string WithCrLf(const std::string& text);

}  // namespace testing_support

#endif
