// The binary configuration reader on in-memory files: every way a header can be cut short, and
// the load with its comparison against the header read. The header reads of whole files are
// checked end to end (binary_test, bad_inputs_test).
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
bool ReadHeader(const std::string& bytes) {
  testing_support::ContentFile in(bytes);
  try {
    SimpleCfg::GetParameters_bcf(in);
  } catch (const QuitCalled&) {
    return true;
  }
  return false;
}

const char kIgnored[] =
    "The binary file will be ignored, the data from the .cfg file will be used!\n";

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
    testing_support::ContentFile in(bytes);
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
      0x0000000000000000u, 0x8000000000000000u, 0x0000000000000001u, 0x8000000000000001u,
      0x000FFFFFFFFFFFFFu, 0x0010000000000000u, 0x7FEFFFFFFFFFFFFFu, 0xFFEFFFFFFFFFFFFFu,
      0x7FF0000000000000u, 0xFFF0000000000000u, 0x7FF8000000001234u, 0x7FF0000000000001u,
      0x3FF0000000000000u, 0xBFE0000000000000u, 0x3FB999999999999Au, 0x4341C37937E08000u,
      0xC0FE240C9FBE76C9u, 0x3E112E0BE826D695u,  // +-0, subnormals, extremes, inf, NaNs, ...
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

// Load_binary reports a disagreement and returns 0, the coordinates untouched; the conversion
// loop then stops (the header read and the load of a run see one file, so only here can they
// disagree).
TEST_F(BinaryLoad, DisagreeingHeaderIsIgnoredAndStopsTheConversionLoop) {
  const std::string stop =
      "No configuration could be loaded from the binary file, cannot run this way, exiting...\n";
  // The header read saw 5 atoms of types (2, 3).
  const struct {
    const char* what;
    std::string file;
    std::string lines;
  } cases[] = {
      {"atom count", Header(8, 4, {2, 2}, 1.0).data,
       "INCONSISTENCY! The number of atoms is 5 from the .cfg file, and \n"
       "4 from the binary .bcf file!\n"},
      {"type count", Header(4, 5, {2, 2, 1}, 1.0).data,
       "INCONSISTENCY! The number of atom types is 2 from the .cfg file, and \n"
       "3 from the binary .bcf file!\n"},
      {"count of type 2", Header(0, 5, {2, -3}, 1.0).data,
       "INCONSISTENCY! The number of atoms for type 2 is 3 from the .cfg file, and \n"
       "-3 from the binary .bcf file! (Starting with 1)\n"},
      {"both type counts, the first is named", Header(4, 5, {4, 1}, 1.0).data,
       "INCONSISTENCY! The number of atoms for type 1 is 2 from the .cfg file, and \n"
       "4 from the binary .bcf file! (Starting with 1)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // A whole file, coordinates included: it is the disagreement alone that refuses it.
    const std::string file = c.file + std::string(120, '\0');
    Prepare({2, 3});
    EXPECT_EQ(Load(file), 0);
    EXPECT_EQ(capture_.TakeOutput(), c.lines + kIgnored);
    EXPECT_TRUE(CoordsUntouched());
    Prepare({2, 3});
    testing_support::ContentFile in(file);
    EXPECT_THROW(LoadConfiguration(*cfg_, in, 0), QuitCalled);
    EXPECT_EQ(capture_.TakeOutput(), c.lines + kIgnored + stop);
    EXPECT_TRUE(CoordsUntouched());
  }
}

TEST_F(BinaryLoad, UnusableStreamLeavesTheCoordinates) {
  std::ifstream never_opened;
  testing_support::ContentFile failed(Header(0, 5, {2, 3}, 1.0).data + std::string(120, '\0'),
                                      std::ios::in | std::ios::binary);
  failed.setstate(std::ios::failbit);
  std::istream* const streams[] = {&never_opened, &failed};
  for (std::istream* in : streams) {
    Prepare({2, 3});
    EXPECT_EQ(Load(*in), 0);
    EXPECT_EQ(capture_.TakeOutput(),
              "SimpleCfg::Load_binary - file not open or non-existing.\n"
              "The configurations from the text type .cfg file will be used!\n");
    EXPECT_TRUE(CoordsUntouched());
  }
}

// Cut inside the box length (the parameters do not load) or inside the coordinates.
TEST_F(BinaryLoad, FileCutShortStops) {
  for (int lead : {0, 4, 8}) {
    const std::string header = Header(lead, 5, {2, 3}, 1.0).data;
    for (std::size_t length = header.size() - 8; length < header.size() + 120; ++length) {
      SCOPED_TRACE("lead " + std::to_string(lead) + ", " + std::to_string(length) + " bytes");
      Prepare({2, 3});
      EXPECT_EQ(Load((header + std::string(120, '\x11')).substr(0, length)), -1);
      if (length < header.size()) {
        EXPECT_EQ(capture_.TakeOutput(),
                  "Loading of the main parameters of the configurations from the .bcf file has "
                  "failed!\n" +
                      LoadFailure("SimpleCfg::::GetParameters_bcf", true));
        EXPECT_TRUE(CoordsUntouched());
      } else {
        EXPECT_EQ(capture_.TakeOutput(), LoadFailure("SimpleCfg::Load_binary", true));
      }
    }
  }
}

}  // namespace
