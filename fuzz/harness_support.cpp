#include "harness_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <system_error>

#include "config/cfg_state.h"
#include "driver/console.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CFG2CMTX_FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CFG2CMTX_FUZZ_ASAN 1
#endif

#if defined(CFG2CMTX_FUZZ_ASAN)
// The program refuses an absurd atom count by checking its allocation; the sanitizer must hand
// back null for it, as the plain allocator does, instead of reporting it. Above 1 GB the
// sanitizer's own bookkeeping (poisoning the shadow of the whole block) takes seconds, so such
// blocks are refused too: the program takes the same path as on a machine without the memory.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
#endif

namespace fuzz_support {
namespace {
namespace fs = std::filesystem;

class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Never destroyed: the standard streams flush through it at exit, after every static object.
NullBuffer* const null_buffer = new NullBuffer;
fs::path work_folder;

void ThrowQuit() { throw QuitThrown{}; }

void RemoveWorkFolder() {
  std::error_code ignored;
  if (!work_folder.empty()) fs::remove_all(work_folder, ignored);
}
}  // namespace

void Prepare() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  // A prompt must never wait: every reply read finds the end of input.
  if (std::freopen("/dev/null", "r", stdin) == nullptr) Fail("cannot empty standard input");
  if (std::getenv("CFG2CMTX_FUZZ_VERBOSE") == nullptr) {
    std::cout.rdbuf(null_buffer);
    std::cerr.rdbuf(null_buffer);
  }
  SetQuitHook(&ThrowQuit);
  std::string pattern = (fs::temp_directory_path() / "cfg2cmtx-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a working folder");
  work_folder = pattern;
  std::atexit(&RemoveWorkFolder);
  // The conversion writes its output files into the current directory.
  std::error_code error;
  fs::current_path(work_folder, error);
  if (error) Fail("cannot enter the working folder");
}

void ClearWorkFolder() {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(work_folder, ignored)) {
    fs::remove_all(entry.path(), ignored);
  }
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "cfg2cmtx fuzz invariant broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string Bytes(const std::uint8_t* data, std::size_t size) {
  return size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
}

void OpenContent(std::ifstream& in, const std::string& name, const std::string& content) {
  {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
  }
  in.open(name, std::ios::in | std::ios::binary);
}

void ResetState() {
  ResetCfgState();
  std::cin.clear();
}

}  // namespace fuzz_support
