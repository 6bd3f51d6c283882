// The text configuration reader: the header read with its checks against the parameter file,
// and the loads of one configuration or of each configuration of a collection. The stops on
// broken files are checked end to end (bad_inputs_test, fatal_paths_test); here only those that
// no broken input reaches.
#include <gtest/gtest.h>

#include <cstddef>
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

struct Loaded : Observed {
  std::vector<std::vector<double>> coords;  // after each load that returned
  CfgState state;
};

// What the conversion loop does with a text file: header read, one configuration object, then
// nconf loads with two skipped lines between them; nused gives the parameter file's types.
Loaded LoadAll(const std::string& text, const std::vector<int>& nused, int nconf) {
  Loaded loaded;
  testing_support::ContentFile in(text, std::ios::in);
  std::unique_ptr<SimpleCfg> cfg;
  Observed& seen = loaded;
  seen = Observe(
      [&] {
        cfg_state.ntypes_par = static_cast<int>(nused.size());
        cfg_state.nused = nused;
        testing_support::ContentFile header(text, std::ios::in);
        SimpleCfg::GetParameters_cfg(header);
        const std::size_t values = 3 * static_cast<std::size_t>(cfg_state.ntotal);
        cfg = std::make_unique<SimpleCfg>();
        for (int i = 0; i < nconf; ++i) {
          if (i > 0) {
            SkipLine(in);
            SkipLine(in);
          }
          cfg->Load(in, i + 1);
          loaded.coords.emplace_back(cfg->coords, cfg->coords + values);
        }
      },
      [&] {
        loaded.state = cfg_state;
        cfg.reset();
      });
  return loaded;
}

const std::string kCoords = "0.1 0.2 0.3\n-0.4 -0.5 -0.6\n0.7 0.8 0.9\n";
const std::vector<double> kCoordValues{0.1, 0.2, 0.3, -0.4, -0.5, -0.6, 0.7, 0.8, 0.9};
}  // namespace

TEST(TextReader, ReadsTheHeaderAndEveryConfigurationExactly) {
  const Configuration lowered = RandomConfiguration({8, 0, 5}, 12.5, 4);
  const Configuration first = RandomConfiguration({4, 1, 3}, 7.5, 11);
  const Configuration second = RandomConfiguration({4, 1, 3}, 7.5, 12);
  const Configuration third = RandomConfiguration({4, 1, 3}, 7.5, 13);
  std::string no_final_newline = TextConfiguration(first);
  no_final_newline.pop_back();
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::vector<int> nused;  // one per type of the parameter file
    int nconf;
    std::string out;
    int ntotal;
    std::vector<int> ni;
    double box;
    std::vector<int> nused_after;
    std::vector<std::vector<double>> coords;
  } cases[] = {
      {"counts lowered to the type sizes", TextConfiguration(lowered), {10, 0, 6}, 1,
       UsedCountLowered(1, 10, 8) + UsedCountLowered(3, 6, 5), 13, {8, 0, 5}, 12.5, {8, 0, 5},
       {lowered.coords}},
      {"no line end after the last number", no_final_newline, {0, 0, 0}, 1, "", 8, {4, 1, 3}, 7.5,
       {0, 0, 0}, {first.coords}},
      {"collection of three", CollectionFile({first, second, third}), {0, 0, 0}, 3, "", 8,
       {4, 1, 3}, 7.5, {0, 0, 0}, {first.coords, second.coords, third.coords}},
      {"coordinates spread over lines at will",
       Layout("3", "2", "10", {"1", "2"}, "0.1\n0.2 0.3 -0.4\n\n-0.5\n-0.6 0.7 0.8 0.9"), {0, 0}, 1,
       "", 3, {1, 2}, 10.0, {0, 0}, {kCoordValues}},
      // Each configuration reads the box length again, as a whole number.
      {"box length with a fraction", Layout("3", "1", "25.6", {"3"}, kCoords), {0}, 1, "", 3, {3},
       25.6, {0}, {kCoordValues}},
      {"blank lines before numbers shift the lines after them",
       Layout("\n 3", "\n\n2", "\n7.25", {"\n1", "\n\n\n  2"}, kCoords), {5, 2}, 1,
       UsedCountLowered(1, 5, 1), 3, {1, 2}, 7.25, {1, 2}, {kCoordValues}},
      {"no atoms and no types", Layout("0", "0", "4.5", {}, ""), {}, 1, "", 0, {}, 4.5, {}, {{}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int> type_start{0};
    for (int n : c.ni) type_start.push_back(type_start.back() + n);
    for (const bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (crlf ? ", CR LF" : ", LF"));
      const Loaded loaded = LoadAll(crlf ? WithCrLf(c.text) : c.text, c.nused, c.nconf);
      EXPECT_FALSE(loaded.quit);
      EXPECT_EQ(loaded.out, c.out);
      EXPECT_EQ(loaded.state.ntotal, c.ntotal);
      EXPECT_EQ(loaded.state.ni, c.ni);
      EXPECT_EQ(loaded.state.type_start, type_start);
      EXPECT_EQ(loaded.state.box_scale, c.box);
      EXPECT_EQ(loaded.state.nused, c.nused_after);
      EXPECT_EQ(loaded.coords, c.coords);
    }
  }
}

// Stops that no broken input of the end-to-end tests reaches. The box length is read again as a
// whole number, which ".5" is not; a later configuration with other counts is named, here the
// third; and the last type count, read whole before the file ends in the lines after it, still
// gets its used-count correction before the read check stops the run.
TEST(TextReader, StopsWhenAConfigurationCannotBeRead) {
  const Configuration conf = RandomConfiguration({3, 2}, 5, 21);
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    std::vector<int> nused;  // one per type of the parameter file
    int nconf;
    std::string out;
  } cases[] = {
      {"box length without a leading digit", Layout("3", "1", ".5", {"3"}, kCoords), {0}, 1,
       LoadFailure("SimpleCfg::Load", false)},
      {"fewer atoms in the third", CollectionFile({conf, conf, RandomConfiguration({3, 1}, 5, 26)}),
       {0, 0}, 3, ChangedCounts(3, "4 atoms of 2 types", "5 atoms of 2 types")},
      {"file ends right after the last count", Layout("3", "1", "10", {}, "3 molecules of type\n"),
       {5}, 1, UsedCountLowered(1, 5, 3) + LoadFailure("SimpleCfg::GetParameters_cfg", true)},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Loaded loaded = LoadAll(c.text, c.nused, c.nconf);
    EXPECT_TRUE(loaded.quit);
    EXPECT_EQ(loaded.out, c.out);
    EXPECT_EQ(loaded.err, "Quit (y)?->\n");
  }
}
