// The binary configuration reader on in-memory files: the header read with its checks, the load
// with its comparison against the header, and every way a file can be cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/conversion.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using testing_support::LoadFailure;
using testing_support::QuitCalled;
using testing_support::QuitCapture;
using testing_support::TypeCountMismatch;
using testing_support::UsedCountLowered;

namespace {

// Little-endian fields, written byte by byte so the test does not share the reader's code.
struct Bytes {
  std::string data;
  Bytes& Int(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int b = 0; b < 4; ++b) data.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
    return *this;
  }
  Bytes& Bits(std::uint64_t bits) {
    for (int b = 0; b < 8; ++b) data.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
    return *this;
  }
  Bytes& Real(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, 8);
    return Bits(bits);
  }
};

// lead 0 writes no leading word; the type count is ni.size().
Bytes Header(int lead, int ntotal, const std::vector<int>& ni, double box) {
  Bytes bytes;
  if (lead != 0) bytes.Int(lead);
  bytes.Int(ntotal).Int(static_cast<int>(ni.size()));
  for (int n : ni) bytes.Int(n);
  return bytes.Real(box);
}

int Sum(const std::vector<int>& ni) {
  int total = 0;
  for (int n : ni) total += n;
  return total;
}

void SetParameters(const std::vector<int>& nused) {
  cfg_state.input_kind = 2;
  cfg_state.nconf = 1;
  cfg_state.ntypes_par = static_cast<int>(nused.size());
  cfg_state.nused = nused;
}

// True when the header read stopped the run.
bool ReadHeader(std::istream& in) {
  try {
    SimpleCfg::GetParameters_bcf(in);
  } catch (const QuitCalled&) {
    return true;
  }
  return false;
}

bool ReadHeader(const std::string& bytes) {
  std::istringstream in(bytes, std::ios::in | std::ios::binary);
  return ReadHeader(in);
}

const char kIgnored[] =
    "The binary file will be ignored, the data from the .cfg file will be used!\n";

// ---------------------------------------------------------------------------------------------
// Header read

struct HeaderCase {
  const char* name;
  int lead;
  std::vector<int> ni;
  std::vector<int> nused;
  std::vector<int> nused_after;
  std::string output;
};

class BinaryHeaderRead : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BinaryHeaderRead, FillsTheCountsAndLowersTooLargeUsedCounts) {
  const HeaderCase& c = GetParam();
  QuitCapture capture;
  SetParameters(c.nused);
  // Bytes after the header (here a coordinate and some junk) are not the header's business.
  const Bytes file = Header(c.lead, Sum(c.ni), c.ni, 17.25).Real(0.5).Int(-7);
  ASSERT_FALSE(ReadHeader(file.data)) << capture.TakeOutput();
  EXPECT_EQ(capture.TakeOutput(), c.output);
  EXPECT_EQ(cfg_state.ntotal, Sum(c.ni));
  EXPECT_EQ(cfg_state.ntypes, static_cast<int>(c.ni.size()));
  EXPECT_EQ(cfg_state.ni, c.ni);
  std::vector<int> starts{0};
  for (int n : c.ni) starts.push_back(starts.back() + n);
  EXPECT_EQ(cfg_state.type_start, starts);
  EXPECT_EQ(cfg_state.box_scale, 17.25);
  EXPECT_EQ(cfg_state.nused, c.nused_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BinaryHeaderRead,
    ::testing::Values(
        HeaderCase{"NoLeadingWord", 0, {3, 2}, {3, 1}, {3, 1}, ""},
        HeaderCase{"LeadingWord4", 4, {600, 400}, {10, 400}, {10, 400}, ""},
        HeaderCase{"LeadingWord8", 8, {1, 2, 3}, {0, 0, 0}, {0, 0, 0}, ""},
        // Only a leading word lets a file hold exactly 4 or 8 atoms.
        HeaderCase{"FourAtomsBehindWord4", 4, {4}, {4}, {4}, ""},
        HeaderCase{"EightAtomsBehindWord8", 8, {5, 3}, {1, 1}, {1, 1}, ""},
        HeaderCase{"NoAtoms", 0, {0}, {0}, {0}, ""},
        HeaderCase{"UsedCountsLowered",
                   0,
                   {8, 2, 5},
                   {10, 2, 7},
                   {8, 2, 5},
                   UsedCountLowered(1, 10, 8) + UsedCountLowered(3, 7, 5)},
        HeaderCase{
            "UsedCountLoweredToNothing", 8, {0, 9}, {1, 9}, {0, 9}, UsedCountLowered(1, 1, 0)}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

struct TypeCountCase {
  int lead;
  int par;
  int file;
};

TEST(BinaryHeaderTypeCount, StopsWhenTheParameterFileDisagrees) {
  const TypeCountCase cases[] = {{0, 2, 3}, {4, 3, 1}, {8, 1, 2000000000}, {0, 1, -1}, {4, 2, 0}};
  for (const TypeCountCase& c : cases) {
    SCOPED_TRACE("lead " + std::to_string(c.lead) + ", parameter file " + std::to_string(c.par) +
                 " types, binary file " + std::to_string(c.file));
    QuitCapture capture;
    SetParameters(std::vector<int>(static_cast<std::size_t>(c.par), 1));
    Bytes file;
    if (c.lead != 0) file.Int(c.lead);
    file.Int(30).Int(c.file).Int(10).Int(20).Int(0).Real(1.0);
    EXPECT_TRUE(ReadHeader(file.data));
    EXPECT_EQ(capture.TakeOutput(), TypeCountMismatch(c.par, c.file));
    // Nothing after the type count was taken in.
    EXPECT_TRUE(cfg_state.ni.empty());
    EXPECT_EQ(cfg_state.box_scale, 0.0);
  }
}

// Every length short of a whole header. A count of types cut short keeps the bytes that were
// read, so one byte of the little-endian 2 is already 2 and agrees with the parameter file.
TEST(BinaryHeaderCutShort, EveryShortLengthStops) {
  for (int lead : {0, 4, 8}) {
    const std::string whole = Header(lead, 5, {2, 3}, 4.0).data;
    const std::size_t ntypes_at = lead == 0 ? 4 : 8;
    const std::size_t first_count_end = ntypes_at + 8;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      SCOPED_TRACE("lead " + std::to_string(lead) + ", " + std::to_string(length) + " of " +
                   std::to_string(whole.size()) + " bytes");
      QuitCapture capture;
      SetParameters({4, 1});
      EXPECT_TRUE(ReadHeader(whole.substr(0, length)));
      std::string expected;
      if (length <= ntypes_at) {
        expected = TypeCountMismatch(2, 0);
      } else {
        if (length >= first_count_end) expected = UsedCountLowered(1, 4, 2);
        expected += LoadFailure("SimpleCfg::GetParameters_bcf", true);
      }
      EXPECT_EQ(capture.TakeOutput(), expected);
    }
  }
}

TEST(BinaryHeaderNotOpen, StopsWithTheOpenWarning) {
  const std::string expected =
      "****WARNING****\nSimpleCfg::GetParams_bcf *.bcf file is not open for reading!\n"
      "Cannot run this way, exiting\n";
  QuitCapture capture;
  {
    SCOPED_TRACE("stream never opened");
    SetParameters({1});
    std::ifstream never_opened;
    EXPECT_TRUE(ReadHeader(never_opened));
    EXPECT_EQ(capture.TakeOutput(), expected);
  }
  {
    SCOPED_TRACE("open of a missing file");
    std::ifstream missing;
    OpenForReadBinary(missing, "no_such_folder_here/missing.bcf");
    EXPECT_TRUE(ReadHeader(missing));
    EXPECT_EQ(capture.TakeOutput(), expected);
  }
  {
    SCOPED_TRACE("stream already failed");
    std::istringstream failed(Header(0, 1, {1}, 1.0).data);
    failed.setstate(std::ios::failbit);
    EXPECT_TRUE(ReadHeader(failed));
    EXPECT_EQ(capture.TakeOutput(), expected);
    EXPECT_EQ(cfg_state.ntotal, 0);
  }
}

// ---------------------------------------------------------------------------------------------
// Load

// cfg_state from a consistent header, then the configuration object with every coordinate set
// to a marker, so that a load that must not touch them can be checked.
class BinaryLoad : public ::testing::Test {
 protected:
  void Prepare(const std::vector<int>& ni, double box = 3.5) {
    cfg_.reset();
    capture_.TakeOutput();  // the destructor line of an earlier object
    SetParameters(std::vector<int>(ni.size(), 0));
    ASSERT_FALSE(ReadHeader(Header(0, Sum(ni), ni, box).data));
    cfg_ = std::make_unique<SimpleCfg>();
    marker_.resize(3 * static_cast<std::size_t>(Sum(ni)));
    for (std::size_t v = 0; v < marker_.size(); ++v) marker_[v] = -1000.0 - static_cast<double>(v);
    std::copy(marker_.begin(), marker_.end(), cfg_->coords);
    ASSERT_EQ(capture_.TakeOutput(), "");
  }

  // Load_binary's result, or -1 when it stopped the run.
  int Load(std::istream& in) {
    try {
      return cfg_->Load_binary(in);
    } catch (const QuitCalled&) {
      return -1;
    }
  }

  int Load(const std::string& bytes) {
    std::istringstream in(bytes, std::ios::in | std::ios::binary);
    return Load(in);
  }

  bool CoordsUntouched() const {
    return std::memcmp(cfg_->coords, marker_.data(), marker_.size() * sizeof(double)) == 0;
  }

  QuitCapture capture_;
  std::unique_ptr<SimpleCfg> cfg_;
  std::vector<double> marker_;
};

TEST_F(BinaryLoad, CopiesTheCoordinatesBitForBit) {
  const std::vector<std::uint64_t> patterns = {
      0x0000000000000000u, 0x8000000000000000u,  // +0, -0
      0x0000000000000001u, 0x8000000000000001u,  // smallest subnormals
      0x000FFFFFFFFFFFFFu, 0x0010000000000000u,  // largest subnormal, smallest normal
      0x7FEFFFFFFFFFFFFFu, 0xFFEFFFFFFFFFFFFFu,  // largest finite values
      0x7FF0000000000000u, 0xFFF0000000000000u,  // infinities
      0x7FF8000000001234u, 0x7FF0000000000001u,  // NaNs with a payload, quiet and signalling
      0x3FF0000000000000u, 0xBFE0000000000000u,  // 1, -0.5
      0x3FB999999999999Au, 0x4341C37937E08000u,  // 0.1, 1e16
      0xC0FE240C9FBE76C9u, 0x3E112E0BE826D695u,  // -123456.789, 1e-9
  };
  for (int lead : {0, 4, 8}) {
    SCOPED_TRACE("leading word " + std::to_string(lead));
    Prepare({2, 4}, 6.25);
    // The load's own box length is thrown away: the header read's value holds.
    Bytes file = Header(lead, 6, {2, 4}, 99.0);
    for (std::uint64_t bits : patterns) file.Bits(bits);
    file.Int(12345);  // anything after the coordinates is not read
    EXPECT_EQ(Load(file.data), 1);
    EXPECT_EQ(capture_.TakeOutput(), "");
    EXPECT_EQ(std::memcmp(cfg_->coords, patterns.data(), patterns.size() * 8), 0);
    EXPECT_EQ(cfg_state.box_scale, 6.25);
  }
}

struct DisagreementCase {
  const char* what;
  std::string file;
  std::string lines;
};

// The header read saw 5 atoms of types (2, 3).
std::vector<DisagreementCase> Disagreements() {
  return {
      {"atom count", Header(0, 6, {2, 3}, 1.0).data,
       "INCONSISTENCY! The number of atoms is 5 from the .cfg file, and \n"
       "6 from the binary .bcf file!\n"},
      {"atom count behind a leading word", Header(8, 4, {2, 2}, 1.0).data,
       "INCONSISTENCY! The number of atoms is 5 from the .cfg file, and \n"
       "4 from the binary .bcf file!\n"},
      {"type count", Header(4, 5, {2, 2, 1}, 1.0).data,
       "INCONSISTENCY! The number of atom types is 2 from the .cfg file, and \n"
       "3 from the binary .bcf file!\n"},
      {"count of type 1", Header(0, 5, {1, 4}, 1.0).data,
       "INCONSISTENCY! The number of atoms for type 1 is 2 from the .cfg file, and \n"
       "1 from the binary .bcf file! (Starting with 1)\n"},
      {"count of type 2", Header(0, 5, {2, -3}, 1.0).data,
       "INCONSISTENCY! The number of atoms for type 2 is 3 from the .cfg file, and \n"
       "-3 from the binary .bcf file! (Starting with 1)\n"},
      {"both type counts, the first is named", Header(4, 5, {4, 1}, 1.0).data,
       "INCONSISTENCY! The number of atoms for type 1 is 2 from the .cfg file, and \n"
       "4 from the binary .bcf file! (Starting with 1)\n"},
  };
}

TEST_F(BinaryLoad, DisagreeingHeaderLeavesTheCoordinates) {
  for (const DisagreementCase& c : Disagreements()) {
    SCOPED_TRACE(c.what);
    Prepare({2, 3});
    // A whole file, coordinates included: it is the disagreement alone that refuses it.
    Bytes file{c.file};
    for (int v = 0; v < 15; ++v) file.Real(0.25);
    EXPECT_EQ(Load(file.data), 0);
    EXPECT_EQ(capture_.TakeOutput(), c.lines + kIgnored);
    EXPECT_TRUE(CoordsUntouched());
  }
}

TEST_F(BinaryLoad, UnusableStreamLeavesTheCoordinates) {
  const std::string expected =
      "SimpleCfg::Load_binary - file not open or non-existing.\n"
      "The configurations from the text type .cfg file will be used!\n";
  const std::string whole = Header(0, 5, {2, 3}, 1.0).data + std::string(120, '\0');
  {
    SCOPED_TRACE("stream never opened");
    Prepare({2, 3});
    std::ifstream never_opened;
    EXPECT_EQ(Load(never_opened), 0);
    EXPECT_EQ(capture_.TakeOutput(), expected);
    EXPECT_TRUE(CoordsUntouched());
  }
  {
    SCOPED_TRACE("stream already failed");
    Prepare({2, 3});
    std::istringstream failed(whole, std::ios::in | std::ios::binary);
    failed.setstate(std::ios::failbit);
    EXPECT_EQ(Load(failed), 0);
    EXPECT_EQ(capture_.TakeOutput(), expected);
    EXPECT_TRUE(CoordsUntouched());
  }
}

// Cut inside the box length, or right before it: the counts agree, the parameters do not load.
TEST_F(BinaryLoad, FileCutBeforeTheCoordinatesStops) {
  for (int lead : {0, 4}) {
    const std::string whole = Header(lead, 5, {2, 3}, 1.0).data;
    for (std::size_t length = whole.size() - 8; length < whole.size(); ++length) {
      SCOPED_TRACE("lead " + std::to_string(lead) + ", " + std::to_string(length) + " bytes");
      Prepare({2, 3});
      EXPECT_EQ(Load(whole.substr(0, length)), -1);
      EXPECT_EQ(capture_.TakeOutput(),
                "Loading of the main parameters of the configurations from the .bcf file has "
                "failed!\n" +
                    LoadFailure("SimpleCfg::::GetParameters_bcf", true));
      EXPECT_TRUE(CoordsUntouched());
      }
  }
}

TEST_F(BinaryLoad, FileCutInsideTheCoordinatesStops) {
  const std::string header = Header(8, 5, {2, 3}, 1.0).data;
  for (std::size_t coordinate_bytes : std::vector<std::size_t>{0, 1, 8, 60, 119}) {
    SCOPED_TRACE(std::to_string(coordinate_bytes) + " of 120 coordinate bytes");
    Prepare({2, 3});
    EXPECT_EQ(Load(header + std::string(coordinate_bytes, '\x11')), -1);
    EXPECT_EQ(capture_.TakeOutput(), LoadFailure("SimpleCfg::Load_binary", true));
  }
}

// The header read and the load of a run see one file, so only here can the load disagree.
TEST_F(BinaryLoad, ConversionLoopStopsWhenNothingWasLoaded) {
  const std::string stop =
      "No configuration could be loaded from the binary file, cannot run this way, exiting...\n";
  for (const DisagreementCase& c : Disagreements()) {
    SCOPED_TRACE(c.what);
    Prepare({2, 3});
    std::istringstream in(c.file + std::string(120, '\0'), std::ios::in | std::ios::binary);
    EXPECT_THROW(LoadConfiguration(*cfg_, in, 0), QuitCalled);
    EXPECT_EQ(capture_.TakeOutput(), c.lines + kIgnored + stop);
    EXPECT_TRUE(CoordsUntouched());
  }
}

// Once, without the quit hook: the stop really ends the process with status 1.
TEST(BinaryReaderDeathTest, CutCoordinatesEndTheProcess) {
  EXPECT_EXIT(
      {
        ResetCfgState();
        SetParameters({0, 0});
        const std::string header = Header(0, 5, {2, 3}, 1.0).data;
        std::istringstream first(header, std::ios::in | std::ios::binary);
        SimpleCfg::GetParameters_bcf(first);
        SimpleCfg cfg;
        std::istringstream second(header + std::string(50, '\0'),
                                  std::ios::in | std::ios::binary);
        cfg.Load_binary(second);
      },
      ::testing::ExitedWithCode(1), "Quit \\(y\\)\\?->");
}

}  // namespace
