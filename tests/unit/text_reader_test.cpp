// The text configuration reader: the header read with its checks against the parameter file,
// and the loads of one configuration or of each configuration of a collection.
#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "support/config_writer.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {
// The text layout with the given items at the head of line 7 (atoms), line 8 (types), line 14
// (box) and the first line of each type block; an item may start with line ends of its own.
std::string Layout(const std::string& ntotal, const std::string& ntypes, const std::string& box,
                   const std::vector<std::string>& counts, const std::string& coords) {
  std::string text = "free 1\nfree 2\n\nfree 4\nfree 5\nfree 6\n";
  text += ntotal + " molecules of all types\n" + ntypes + " types of molecules\n";
  text += "free 9\nfree 10\n\nfree 12\nfree 13\n";
  text += box + "  0.0  0.0\nfree 15\nfree 16\n\n";
  for (const std::string& count : counts) text += count + " molecules of type\nfree\nfree\n\n";
  return text + coords;
}

struct HeaderRead : Observed {
  int result = -1;
  CfgState state;
};

HeaderRead ReadHeader(std::istream& in, int ntypes_par, const std::vector<int>& nused) {
  HeaderRead read;
  Observed& seen = read;
  seen = Observe(
      [&] {
        cfg_state.ntypes_par = ntypes_par;
        cfg_state.nused = nused;
        read.result = SimpleCfg::GetParameters_cfg(in);
      },
      [&] { read.state = cfg_state; });
  return read;
}

HeaderRead ReadHeader(const std::string& text, int ntypes_par, const std::vector<int>& nused) {
  std::istringstream in(text);
  return ReadHeader(in, ntypes_par, nused);
}

struct Loaded {
  std::string out;
  bool quit = false;
  std::vector<std::vector<double>> coords;  // after each load that returned
  std::vector<double> final_coords;         // the array as the run left it
  CfgState state;
};

// What the conversion loop does with a text file: header read, one configuration object, then
// nconf loads with two skipped lines between them.
Loaded LoadAll(std::istream& in, const std::string& text, int ntypes, int nconf) {
  Loaded loaded;
  QuitCapture capture;
  ::testing::internal::CaptureStderr();
  cfg_state.ntypes_par = ntypes;
  cfg_state.nused.assign(static_cast<std::size_t>(ntypes), 0);
  std::unique_ptr<SimpleCfg> cfg;
  std::size_t values = 0;
  try {
    std::istringstream header(text);
    SimpleCfg::GetParameters_cfg(header);
    values = 3 * static_cast<std::size_t>(cfg_state.ntotal);
    cfg = std::make_unique<SimpleCfg>();
    std::fill(cfg->coords, cfg->coords + values, -7.0);
    for (int i = 0; i < nconf; ++i) {
      cfg->Load(in, i + 1);
      loaded.coords.emplace_back(cfg->coords, cfg->coords + values);
      if (i < nconf - 1) {
        SkipLine(in);
        SkipLine(in);
      }
    }
  } catch (const QuitCalled&) {
    loaded.quit = true;
  }
  if (cfg) loaded.final_coords.assign(cfg->coords, cfg->coords + values);
  ::testing::internal::GetCapturedStderr();
  loaded.out = capture.TakeOutput();
  loaded.state = cfg_state;
  return loaded;
}

Loaded LoadAll(const std::string& text, int ntypes, int nconf) {
  std::istringstream in(text);
  return LoadAll(in, text, ntypes, nconf);
}

const char kNotOpen[] =
    "****WARNING****\nSimpleCfg::GetParams_cfg - *.cfg file is not open for reading!\n";
const char kGone[] =
    "The *.cfg file was found earlier, but now it is not available, cannot continue, "
    "exiting...\n";
const std::string kCoords = "0.1 0.2 0.3\n-0.4 -0.5 -0.6\n0.7 0.8 0.9\n";
}  // namespace

TEST(TextReaderHeader, ReadsCountsBoxAndTypeRuns) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    int ntypes_par;
    std::vector<int> nused;
    std::string out;
    int ntotal;
    std::vector<int> ni;
    std::vector<int> type_start;
    double box;
    std::vector<int> nused_after;
  } cases[] = {
      {"written configuration", TextConfiguration(RandomConfiguration({3, 0, 2}, 12.5, 3)), 3,
       {1, 0, 2}, "", 5, {3, 0, 2}, {0, 3, 3, 5}, 12.5, {1, 0, 2}},
      {"counts lowered to the type sizes", TextConfiguration(RandomConfiguration({8, 3, 5}, 2, 4)),
       3, {10, 3, 6}, UsedCountLowered(1, 10, 8) + UsedCountLowered(3, 6, 5), 16, {8, 3, 5},
       {0, 8, 11, 16}, 2.0, {8, 3, 5}},
      {"box length with a fraction", Layout("3", "1", "25.6", {"3"}, kCoords), 1, {3}, "", 3, {3},
       {0, 3}, 25.6, {3}},
      {"box length without a leading digit", Layout("3", "1", ".5", {"3"}, kCoords), 1, {0}, "", 3,
       {3}, {0, 3}, 0.5, {0}},
      {"blank lines before numbers shift the lines after them",
       Layout("\n 3", "\n\n2", "\n7.25", {"\n1", "\n\n\n  2"}, kCoords), 2, {5, 2},
       UsedCountLowered(1, 5, 1), 3, {1, 2}, {0, 1, 3}, 7.25, {1, 2}},
      {"one type", Layout("3", "1", "1e1", {"3"}, ""), 1, {3}, "", 3, {3}, {0, 3}, 10.0, {3}},
      {"no atoms and no types", Layout("0", "0", "4.5", {}, ""), 0, {}, "", 0, {}, {0}, 4.5, {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (const bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (crlf ? ", CR LF" : ", LF"));
      const HeaderRead read = ReadHeader(crlf ? WithCrLf(c.text) : c.text, c.ntypes_par, c.nused);
      EXPECT_FALSE(read.quit);
      EXPECT_EQ(read.result, 1);
      EXPECT_EQ(read.out, c.out);
      EXPECT_EQ(read.state.ntotal, c.ntotal);
      EXPECT_EQ(read.state.ntypes, c.ntypes_par);
      EXPECT_EQ(read.state.ni, c.ni);
      EXPECT_EQ(read.state.type_start, c.type_start);
      EXPECT_EQ(read.state.box_scale, c.box);
      EXPECT_EQ(read.state.nused, c.nused_after);
    }
  }
}

TEST(TextReaderHeader, StopsOnAWrongOrUnreadableHeader) {
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    int ntypes_par;
    std::vector<int> nused;
    std::string out;
  } cases[] = {
      {"more types than the parameter file", Layout("5", "3", "10", {"1", "2", "2"}, ""), 2, {1, 1},
       TypeCountMismatch(2, 3)},
      {"fewer types than the parameter file", Layout("5", "1", "10", {"5"}, ""), 2, {1, 1},
       TypeCountMismatch(2, 1)},
      {"atom count unreadable", Layout("many", "2", "10", {"1", "2"}, ""), 2, {1, 1},
       TypeCountMismatch(2, 0)},
      {"type count unreadable", Layout("3", "two", "10", {"1", "2"}, ""), 2, {1, 1},
       TypeCountMismatch(2, 0)},
      {"box length unreadable", Layout("3", "2", "box", {"1", "2"}, ""), 2, {1, 1},
       LoadFailure("SimpleCfg::GetParameters_cfg", false)},
      // The unread count of type 2 is no count: it is not compared with the used count.
      {"type size unreadable", Layout("3", "2", "10", {"1", "x"}, ""), 2, {1, 9},
       LoadFailure("SimpleCfg::GetParameters_cfg", false)},
      {"file ends in the type blocks",
       "1\n2\n3\n4\n5\n6\n3\n2\n9\n10\n11\n12\n13\n10\n1\n2\n3\n4\n", 2, {1, 5},
       LoadFailure("SimpleCfg::GetParameters_cfg", true)},
      {"empty file", "", 1, {1}, TypeCountMismatch(1, 0)},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HeaderRead read = ReadHeader(c.text, c.ntypes_par, c.nused);
    EXPECT_TRUE(read.quit);
    EXPECT_EQ(read.out, c.out);
    EXPECT_EQ(read.err, "Quit (y)?->\n");
  }
}

// The last count is read whole before the file ends in the lines after it, so it is checked
// against the used count like any other before the read check stops the run.
TEST(TextReaderHeader, CountReadBeforeTheFileEndsIsStillChecked) {
  const HeaderRead read = ReadHeader(Layout("3", "1", "10", {}, "3 molecules of type\n"), 1, {5});
  EXPECT_TRUE(read.quit);
  EXPECT_EQ(read.out, UsedCountLowered(1, 5, 3) + LoadFailure("SimpleCfg::GetParameters_cfg", true))
      << "a type count that was read must get its used-count correction even when a later skip "
         "runs into the end of the file";
}

// A number too large for its field is a failed read: the field keeps its value (0 here), as for
// any other text that is not a number.
TEST(TextReaderHeader, OverflowingTypeCountIsAFailedRead) {
  const HeaderRead read = ReadHeader(Layout("3", "3000000000", "10", {"1", "2"}, ""), 2, {1, 1});
  EXPECT_TRUE(read.quit);
  EXPECT_EQ(read.out, TypeCountMismatch(2, 0))
      << "the unread type count must stay 0 instead of taking the largest int";
}

TEST(TextReaderHeader, FileNotOpenSetsNothing) {
  ScratchDir dir;
  std::ifstream in;
  OpenForRead(in, dir.File("missing.cfg"));
  const HeaderRead read = ReadHeader(in, 2, {1, 1});
  EXPECT_FALSE(read.quit);
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.out, kNotOpen);
  EXPECT_EQ(read.state.ntotal, 0);
  EXPECT_TRUE(read.state.ni.empty());
  EXPECT_TRUE(read.state.type_start.empty());
}

TEST(TextReaderLoad, ReadsEveryConfigurationExactly) {
  const Configuration first = RandomConfiguration({4, 1, 3}, 7.5, 11);
  const Configuration second = RandomConfiguration({4, 1, 3}, 7.5, 12);
  const Configuration third = RandomConfiguration({4, 1, 3}, 7.5, 13);
  std::string no_final_newline = TextConfiguration(first);
  no_final_newline.pop_back();
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    int ntypes;
    int nconf;
    std::vector<std::vector<double>> expected;
  } cases[] = {
      {"one configuration", TextConfiguration(first), 3, 1, {first.coords}},
      {"no line end after the last number", no_final_newline, 3, 1, {first.coords}},
      {"collection of three", CollectionFile({first, second, third}), 3, 3,
       {first.coords, second.coords, third.coords}},
      {"coordinates spread over lines at will",
       Layout("3", "2", "10", {"1", "2"}, "0.1\n0.2 0.3 -0.4\n\n-0.5\n-0.6 0.7 0.8 0.9"), 2, 1,
       {{0.1, 0.2, 0.3, -0.4, -0.5, -0.6, 0.7, 0.8, 0.9}}},
      {"box length read as a whole number", Layout("3", "1", "25.6", {"3"}, kCoords), 1, 1,
       {{0.1, 0.2, 0.3, -0.4, -0.5, -0.6, 0.7, 0.8, 0.9}}},
      {"blank lines before numbers", Layout("\n 3", "\n\n1", "\n7.25", {"\n\n3"}, kCoords), 1, 1,
       {{0.1, 0.2, 0.3, -0.4, -0.5, -0.6, 0.7, 0.8, 0.9}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (const bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (crlf ? ", CR LF" : ", LF"));
      const Loaded loaded = LoadAll(crlf ? WithCrLf(c.text) : c.text, c.ntypes, c.nconf);
      EXPECT_FALSE(loaded.quit);
      EXPECT_EQ(loaded.out, "");
      EXPECT_EQ(loaded.coords, c.expected);
    }
  }
}

TEST(TextReaderLoad, RefusesALaterConfigurationWithOtherCounts) {
  const Configuration first = RandomConfiguration({3, 2}, 5, 21);
  const Configuration same = RandomConfiguration({3, 2}, 5, 22);
  // clang-format off
  const struct {
    const char* name;
    Configuration other;
    int position;  // from 1
    std::string out;
  } cases[] = {
      {"more atoms", RandomConfiguration({3, 3}, 5, 23), 2,
       ChangedCounts(2, "6 atoms of 2 types", "5 atoms of 2 types")},
      {"more types", RandomConfiguration({3, 1, 1}, 5, 24), 2,
       ChangedCounts(2, "5 atoms of 3 types", "5 atoms of 2 types")},
      {"other type sizes", RandomConfiguration({2, 3}, 5, 25), 2,
       ChangedCounts(2, "2 atoms of type 1 (type index begin with 1)", "3 atoms of type 1 (type index begin with 1)")},
      {"third configuration", RandomConfiguration({3, 1}, 5, 26), 3,
       ChangedCounts(3, "4 atoms of 2 types", "5 atoms of 2 types")},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Configuration> confs{first, same};
    confs.insert(confs.begin() + (c.position - 1), c.other);
    const Loaded loaded = LoadAll(CollectionFile(confs), 2, 3);
    EXPECT_TRUE(loaded.quit);
    EXPECT_EQ(loaded.out, c.out);
    // The arrays and the counts stay those of the first header; the coordinates those of the
    // last configuration that was loaded.
    EXPECT_EQ(loaded.state.ntotal, 5);
    EXPECT_EQ(loaded.state.ntypes, 2);
    EXPECT_EQ(loaded.state.ni, (std::vector<int>{3, 2}));
    EXPECT_EQ(loaded.final_coords, c.position == 2 ? first.coords : same.coords);
  }
}

TEST(TextReaderLoad, StopsWhenAConfigurationCannotBeRead) {
  const Configuration conf = RandomConfiguration({2, 1}, 4, 31);
  std::string short_coords = TextConfiguration(conf);
  short_coords.resize(short_coords.rfind('\n', short_coords.size() - 2));
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    int ntypes;
    int nconf;
    std::string out;
  } cases[] = {
      {"box length without a leading digit", Layout("3", "1", ".5", {"3"}, kCoords), 1, 1,
       LoadFailure("SimpleCfg::Load", false)},
      {"letters among the coordinates",
       Layout("3", "1", "2", {"3"}, "0.1 0.2 0.3\n0.4 zero 0.6\n0.7 0.8 0.9\n"), 1, 1,
       LoadFailure("SimpleCfg::Load", false)},
      {"file ends among the coordinates", short_coords, 2, 1, LoadFailure("SimpleCfg::Load", true)},
      {"fewer configurations than requested", CollectionFile({conf, conf}), 2, 3,
       std::string(kNotOpen) + kGone},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Loaded loaded = LoadAll(c.text, c.ntypes, c.nconf);
    EXPECT_TRUE(loaded.quit);
    EXPECT_EQ(loaded.out, c.out);
  }
}
