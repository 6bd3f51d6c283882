// What the unit tests share: watching a call that may end in a fatal stop, and files of content
// that the readers open as they open configuration files.
#ifndef CFG2CMTX_TESTS_UNIT_SUPPORT_H
#define CFG2CMTX_TESTS_UNIT_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>

#include "driver/console.h"

// What an action printed on standard output, and whether it ended in a fatal stop.
struct Seen {
  std::string out;
  bool stopped = false;
};

inline Seen Watch(const std::function<void()>& action) {
  struct Stopped {};
  Seen seen;
  std::cin.setstate(std::ios::eofbit);   // the quit prompt must not wait for a reply
  SetQuitHook([] { throw Stopped{}; });  // and a fatal stop comes back here
  testing::internal::CaptureStdout();
  try {
    action();
  } catch (const Stopped&) {
    seen.stopped = true;
  }
  seen.out = testing::internal::GetCapturedStdout();
  return seen;
}

// A file of the given bytes in the temporary folder, opened in binary mode as the readers take
// it (they read only streams of open files), and removed again when the test is done with it.
class ContentFile {
 public:
  explicit ContentFile(const std::string& content) {
    static int files = 0;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("cfg2cmtx-unit-") + test->test_suite_name() + "-" + test->name() + "-" +
             std::to_string(++files));
    std::ofstream(path_, std::ios::binary) << content;
    stream.open(path_, std::ios::binary);
  }
  ~ContentFile() {
    stream.close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ContentFile(const ContentFile&) = delete;
  ContentFile& operator=(const ContentFile&) = delete;

  std::ifstream stream;

 private:
  std::filesystem::path path_;
};

// A little-endian field of `count` bytes, written byte by byte apart from the reader's code.
inline std::string Bytes(std::uint64_t bits, int count) {
  std::string out;
  for (int b = 0; b < count; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

#endif
