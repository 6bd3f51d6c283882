// Shared plumbing of the fuzz harnesses: a quiet console, fatal stops turned into exceptions, a
// private working folder, and a way to report a broken invariant as a crash the fuzzer keeps.
#ifndef CFG2CMTX_FUZZ_HARNESS_SUPPORT_H
#define CFG2CMTX_FUZZ_HARNESS_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace fuzz_support {

// Thrown by the quit hook: a fatal stop of the program is an ordinary outcome for a harness.
struct QuitThrown {};

// Once per process: standard input emptied, standard output and error silenced (unless
// CFG2CMTX_FUZZ_VERBOSE is set), the quit hook installed and a fresh temporary folder made the
// working directory. Later calls do nothing.
void Prepare();

// Runs body; false when it ended in a fatal stop. The program state is reset before and after.
template <class Body>
bool RunGuarded(Body&& body);

// Removes everything in the working folder, so that one input cannot influence the next.
void ClearWorkFolder();

// Reports a broken invariant on the real standard error and aborts.
[[noreturn]] void Fail(const std::string& what);

std::string Bytes(const std::uint8_t* data, std::size_t size);

// Writes content to the file name in the working folder and opens it for reading (binary).
void OpenContent(std::ifstream& in, const std::string& name, const std::string& content);

void ResetState();

template <class Body>
bool RunGuarded(Body&& body) {
  ResetState();
  bool completed = true;
  try {
    body();
  } catch (const QuitThrown&) {
    completed = false;
  }
  return completed;
}

}  // namespace fuzz_support

// Every harness links this entry; the replay driver and libFuzzer both call it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#endif
