// The three ways of choosing atoms that need more than the writer itself: the even spread over
// each type, the check of an index list against the type ranges, and the slab between two planes.
#include "params/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

std::string Show(const std::vector<int>& values) {
  std::ostringstream text;
  for (int v : values) text << v << ' ';
  return text.str();
}

// The header half of the state for types of the given sizes, as a header read leaves it.
void SetTypes(const std::vector<int>& ni) {
  cfg_state.ntypes = static_cast<int>(ni.size());
  cfg_state.ntypes_par = cfg_state.ntypes;
  cfg_state.ni = ni;
  cfg_state.type_start.assign(1, 0);
  for (int n : ni) cfg_state.type_start.push_back(cfg_state.type_start.back() + n);
  cfg_state.ntotal = cfg_state.type_start.back();
}

// ---------------------------------------------------------------------------------------------
// Even spread of one type

TEST(SelectionEvenRun, ChoosesTheWorkedOffsets) {
  const struct {
    int n;
    int d;
    std::vector<int> offsets;
  } cases[] = {
      {10, 4, {0, 3, 6, 9}},
      {10, 3, {0, 4, 9}},
      {7, 5, {0, 1, 3, 5, 6}},
      {12, 5, {0, 3, 6, 9, 11}},
      {20, 6, {0, 4, 8, 12, 16, 19}},
      {100, 7, {0, 16, 33, 50, 67, 83, 99}},
      {6, 6, {0, 1, 2, 3, 4, 5}},
      {1, 1, {0}},
      {9, 1, {0}},
      {9, 2, {0, 8}},
      {2, 2, {0, 1}},
      {9, 0, {}},
      {0, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("n " + std::to_string(c.n) + ", d " + std::to_string(c.d));
    const int s = 17;
    // Guard cells on both sides catch a write outside the d entries.
    std::vector<int> buffer(static_cast<std::size_t>(c.d) + 2, -99);
    FillEvenRun(buffer.data() + 1, c.d, c.n, s);
    std::vector<int> expected{-99};
    for (int o : c.offsets) expected.push_back(s + o);
    expected.push_back(-99);
    EXPECT_EQ(buffer, expected);
  }
}

TEST(SelectionEvenRun, FirstAndLastAtomWithStepsThatDifferByAtMostOne) {
  for (int n = 1; n <= 200; ++n) {
    for (int d = 2; d <= n; ++d) {
      std::vector<int> run(static_cast<std::size_t>(d), -1);
      FillEvenRun(run.data(), d, n, 5);
      SCOPED_TRACE("n " + std::to_string(n) + ", d " + std::to_string(d) + ": " + Show(run));
      std::vector<int> steps(run.size());
      std::adjacent_difference(run.begin(), run.end(), steps.begin());
      const auto [smallest, largest] = std::minmax_element(steps.begin() + 1, steps.end());
      ASSERT_EQ(run.front(), 5);
      ASSERT_EQ(run.back(), 5 + n - 1);
      ASSERT_GE(*smallest, 1);
      ASSERT_LE(*largest - *smallest, 1);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Index list check: the first bad entry is reported, the list and the counts stay as they are.

TEST(SelectionCheckIndex, ReportsTheFirstBadEntryAndStops) {
  const struct {
    std::string label;
    std::vector<int> ni;
    std::vector<int> nused;
    std::vector<int> list;  // zero-based, as the parameter file reader stores it
    std::string report;     // empty when the list passes
  } cases[] = {
      {"type without entries skipped", {3, 4, 2}, {1, 0, 2}, {2, 7, 8}, ""},
      {"longer list than the lowered counts", {3, 4}, {3, 1}, {0, 1, 2, 3, 4, 5}, ""},
      {"index 0", {3, 4}, {2, 2}, {-1, 0, 3, 4}, IndexOutOfRange(0, 1, 1, 3)},
      {"above ntotal", {3, 4}, {2, 2}, {0, 1, 3, 7}, IndexOutOfRange(8, 2, 4, 7)},
      {"atom of the previous type", {3, 4, 2}, {1, 0, 2}, {2, 5, 8}, IndexOutOfRange(6, 3, 8, 9)},
      {"repeated after an empty type", {3, 4, 2}, {1, 0, 2}, {0, 8, 8}, IndexRepeated(9)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label + ": ni " + Show(c.ni) + "nused " + Show(c.nused) + "list " +
                 Show(c.list));
    QuitCapture capture;
    SetTypes(c.ni);
    cfg_state.choose_part = 3;
    cfg_state.nused = c.nused;
    cfg_state.selected_index = c.list;
    SimpleCfg cfg;
    ::testing::internal::CaptureStderr();
    bool quit = false;
    try {
      cfg.CheckSelectedIndex();
    } catch (const QuitCalled&) {
      quit = true;
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(capture.TakeOutput(), c.report);
    EXPECT_EQ(quit, !c.report.empty());
    EXPECT_EQ(err, c.report.empty() ? "" : "Quit (y)?->\n");
    EXPECT_EQ(cfg_state.selected_index, c.list);
    EXPECT_EQ(cfg_state.nused, c.nused);
  }
}

// ---------------------------------------------------------------------------------------------
// Slab

TEST(SelectionSlab, ChoosesTheAtomsInTheClosedRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::string label;
    std::vector<int> ni;
    int axis;
    double low;
    double high;
    std::vector<double> along;  // per atom, the coordinate along the axis
    std::vector<int> chosen;
    std::vector<int> counts;
  } cases[] = {
      {"limits themselves chosen",
       {3, 3},
       0,
       -0.25,
       0.5,
       {-0.25, std::nextafter(-0.25, -1.0), 0.5, std::nextafter(0.5, 1.0), 0.0, -1.0},
       {0, 2, 4},
       {2, 1}},
      {"both limits zero",
       {2, 3},
       2,
       0.0,
       0.0,
       {0.0, 1e-300, -0.0, -1e-300, 0.0},
       {0, 2, 4},
       {1, 2}},
      {"not a number never chosen", {3, 1}, 1, -1.0, 1.0, {nan, 0.0, nan, nan}, {1}, {1, 0}},
      {"only the last type", {2, 0, 2}, 1, 0.0, 1.0, {-0.5, -0.1, 0.2, 0.3}, {2, 3}, {0, 0, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    QuitCapture capture;
    SetTypes(c.ni);
    cfg_state.choose_part = 4;
    cfg_state.plane_axis = c.axis;
    cfg_state.plane_min = c.low;
    cfg_state.plane_max = c.high;
    // Whatever the parameter file left must not matter.
    cfg_state.nused.assign(c.ni.size(), 1000);
    cfg_state.selected_index.assign(50, 3);
    SimpleCfg cfg;
    ASSERT_EQ(c.along.size(), static_cast<std::size_t>(cfg_state.ntotal));
    for (std::size_t a = 0; a < c.along.size(); ++a) {
      for (std::size_t k = 0; k < 3; ++k) {
        // The other two axes hold values that the slab would choose, and the opposite.
        cfg.coords[3 * a + k] =
            k == static_cast<std::size_t>(c.axis) ? c.along[a] : (a % 2 == 0 ? c.low : 7.0);
      }
    }
    cfg.SelectSlab();
    EXPECT_EQ(capture.TakeOutput(), "");
    EXPECT_EQ(cfg_state.nused, c.counts);
    // The writer walks the first sum(nused) entries of the list.
    const auto total =
        static_cast<std::size_t>(std::accumulate(c.counts.begin(), c.counts.end(), 0));
    ASSERT_GE(cfg_state.selected_index.size(), total);
    cfg_state.selected_index.resize(total);
    EXPECT_EQ(cfg_state.selected_index, c.chosen);
  }
}

TEST(SelectionSlab, ListRoomStaysTheSameOverManyConfigurations) {
  QuitCapture capture;
  SetTypes({300, 200});
  cfg_state.choose_part = 4;
  cfg_state.plane_axis = 1;
  cfg_state.nused.assign(2, 0);
  SimpleCfg cfg;
  for (int a = 0; a < cfg_state.ntotal; ++a) {
    for (int k = 0; k < 3; ++k) cfg.coords[3 * a + k] = -1.0 + 2.0 * a / cfg_state.ntotal;
  }
  std::size_t room = 0;
  for (int call = 0; call < 1000; ++call) {
    // Alternate between every atom, none and a part, as successive configurations would.
    cfg_state.plane_min = call % 3 == 0 ? -1.0 : (call % 3 == 1 ? 0.999 : -0.2);
    cfg_state.plane_max = call % 3 == 0 ? 1.0 : (call % 3 == 1 ? 1.0 : 0.3);
    cfg.SelectSlab();
    if (call == 0) {
      ASSERT_EQ(cfg_state.nused, (std::vector<int>{300, 200}));
      room = cfg_state.selected_index.capacity();
    }
    ASSERT_EQ(cfg_state.selected_index.capacity(), room) << "call " << call;
  }
}

}  // namespace
