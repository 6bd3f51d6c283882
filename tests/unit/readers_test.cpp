// The readers where whole runs cannot reach them cheaply: a binary header cut at every length, a
// load from a stream that is not open, and a failed opening seen by the text reader. (Files that
// change between the header read and the load are case folders, served through a named pipe.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"

namespace {

// What action printed on standard output, and whether it ended in a fatal stop.
struct Seen {
  std::string out;
  bool stopped = false;
};
Seen Watch(const std::function<void()>& action) {
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

// A binary stream over content written to a file of the test's own (the readers take only
// streams of open files; tests run side by side as processes, one file open at a time each).
std::ifstream ContentFile(const std::string& content) {
  const std::string name =
      std::string("unit-") + testing::UnitTest::GetInstance()->current_test_info()->name() + ".bcf";
  std::ofstream(name, std::ios::binary) << content;
  return std::ifstream(name, std::ios::binary);
}

// Little-endian fields, written byte by byte apart from the reader's code.
std::string Bytes(std::uint64_t bits, int count) {
  std::string out;
  for (int b = 0; b < count; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

// A header of 5 atoms of types (2, 3) in a box of 4; lead 0 writes no leading word.
std::string Header(std::uint64_t lead) {
  return (lead != 0 ? Bytes(lead, 4) : "") + Bytes(5, 4) + Bytes(2, 4) + Bytes(2, 4) + Bytes(3, 4) +
         Bytes(0x4010000000000000u, 8);
}

// The header read of a run whose parameter file names two types.
void ReadHeader(const std::string& bytes) {
  ResetCfgState();
  cfg_state.input_kind = kBinary;
  cfg_state.ntypes_par = 2;
  cfg_state.nused = {1, 1};
  std::ifstream in = ContentFile(bytes);
  SimpleCfg::GetParameters_bcf(in);
}

// A count of types cut short keeps the bytes that were read: one byte of the little-endian 2
// already agrees with the parameter file, and the read goes on to the end of the file.
TEST(BinaryHeader, CutAtEveryLengthStops) {
  for (int lead : {0, 4, 8}) {
    const std::string whole = Header(static_cast<std::uint64_t>(lead));
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      SCOPED_TRACE("leading word " + std::to_string(lead) + ", " + std::to_string(length) +
                   " bytes");
      const Seen seen = Watch([&] { ReadHeader(whole.substr(0, length)); });
      EXPECT_EQ(seen.stopped, length < whole.size());
      if (length == whole.size()) {
        EXPECT_EQ(seen.out, "");
        EXPECT_EQ(cfg_state.type_start, (std::vector<int>{0, 2, 5}));
        EXPECT_EQ(cfg_state.box_scale, 4.0);
      } else if (length <= (lead == 0 ? 4u : 8u)) {
        EXPECT_EQ(seen.out,
                  "The number of atom types (2) in the parametr file is not the same, as the "
                  "number of types \nin the configuration file (0). Cannot run this way, "
                  "exiting...\n");
      } else {
        EXPECT_EQ(seen.out,
                  "****WARNING****\nSimpleCfg::GetParameters_bcf\nEnd of file was reached during "
                  "loading!\nLoading was not successful, cannot run this way, exiting\n");
      }
    }
  }
}

// A load takes a whole file whose header agrees, and reports a stream that is not open, loading
// nothing (the conversion opens the file again for the load: only a file gone in between could
// give that).
TEST(BinaryLoad, LoadsAWholeFileAndRefusesAStreamNotOpen) {
  std::ifstream never_opened;
  const Seen seen = Watch([&] {
    ReadHeader(Header(0));
    SimpleCfg cfg;
    for (std::size_t k = 0; k < 2; ++k) {
      EXPECT_EQ(cfg.type_coords[k],
                cfg.coords + 3 * static_cast<std::size_t>(cfg_state.type_start[k]));
    }
    cfg.coords[14] = -7.0;
    EXPECT_EQ(cfg.Load_binary(never_opened), 0);
    EXPECT_EQ(cfg.coords[14], -7.0);
    std::ifstream whole = ContentFile(Header(8) + std::string(120, '\0'));
    EXPECT_EQ(cfg.Load_binary(whole), 1);
    EXPECT_EQ(cfg.coords[14], 0.0);
  });
  EXPECT_EQ(
      seen.out,
      "SimpleCfg::Load_binary - file not open or non-existing.\n"
      "The configurations from the text type .cfg file will be used!\nSimpleCfg destructor\n");
}

// An opening that fails (a folder counts as a file that cannot be opened) leaves the stream
// failed; the check reports it and leaves the stream good, for a caller that goes on.
TEST(TextHeader, ReportsAFailedOpeningAndLeavesTheStreamGood) {
  std::ifstream in;
  OpenForRead(in, ".");
  EXPECT_TRUE(in.fail());
  EXPECT_EQ(Watch([&] { EXPECT_EQ(SimpleCfg::GetParameters_cfg(in), 0); }).out,
            "****WARNING****\nSimpleCfg::GetParams_cfg - *.cfg file is not open for reading!\n");
  EXPECT_TRUE(in.good());
}

}  // namespace
