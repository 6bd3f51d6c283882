// The three ways of choosing atoms that need more than the writer itself: the even spread over
// each type, the check of an index list against the type ranges, and the slab between two planes.
#include "params/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "support/expected_messages.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

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

// "index" goes to the current folder, so the even spread runs inside a scratch folder.
class InFolder {
 public:
  explicit InFolder(const std::string& path) : saved_(fs::current_path()) {
    fs::current_path(path);
  }
  ~InFolder() { fs::current_path(saved_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  fs::path saved_;
};

// ---------------------------------------------------------------------------------------------
// Even spread of one type

struct EvenRunCase {
  int n;
  int d;
  std::vector<int> offsets;
};

void PrintTo(const EvenRunCase& c, std::ostream* os) {
  *os << "n " << c.n << " d " << c.d;
}

class SelectionEvenRun : public ::testing::TestWithParam<EvenRunCase> {};

TEST_P(SelectionEvenRun, ChoosesTheWorkedOffsets) {
  const EvenRunCase& c = GetParam();
  const int s = 17;
  // Guard cells on both sides catch a write outside the d entries.
  std::vector<int> buffer(static_cast<std::size_t>(c.d) + 2, -99);
  FillEvenRun(buffer.data() + 1, c.d, c.n, s);
  std::vector<int> expected{-99};
  for (int o : c.offsets) expected.push_back(s + o);
  expected.push_back(-99);
  EXPECT_EQ(buffer, expected) << "n " << c.n << ", d " << c.d;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(WorkedRuns, SelectionEvenRun, ::testing::Values(
    EvenRunCase{10, 4, {0, 3, 6, 9}},
    EvenRunCase{10, 3, {0, 4, 9}},
    EvenRunCase{7, 5, {0, 1, 3, 5, 6}},
    EvenRunCase{12, 5, {0, 3, 6, 9, 11}},
    EvenRunCase{20, 6, {0, 4, 8, 12, 16, 19}},
    EvenRunCase{100, 7, {0, 16, 33, 50, 67, 83, 99}},
    EvenRunCase{6, 6, {0, 1, 2, 3, 4, 5}},
    EvenRunCase{1, 1, {0}},
    EvenRunCase{9, 1, {0}},
    EvenRunCase{9, 2, {0, 8}},
    EvenRunCase{2, 2, {0, 1}},
    EvenRunCase{9, 0, {}},
    EvenRunCase{0, 0, {}}));
// clang-format on

TEST(SelectionEvenRunSweep, FirstAndLastAtomWithStepsThatDifferByAtMostOne) {
  for (int n = 1; n <= 200; ++n) {
    for (int d = 2; d <= n; ++d) {
      std::vector<int> run(static_cast<std::size_t>(d), -1);
      FillEvenRun(run.data(), d, n, 5);
      SCOPED_TRACE("n " + std::to_string(n) + ", d " + std::to_string(d) + ": " + Show(run));
      ASSERT_EQ(run.front(), 5);
      ASSERT_EQ(run.back(), 5 + n - 1);
      int smallest = n;
      int largest = 0;
      for (std::size_t k = 1; k < run.size(); ++k) {
        const int step = run[k] - run[k - 1];
        smallest = std::min(smallest, step);
        largest = std::max(largest, step);
      }
      ASSERT_GE(smallest, 1);
      ASSERT_LE(largest - smallest, 1);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Even spread over all types, with the "index" file

struct SpreadCase {
  std::vector<int> ni;
  std::vector<int> nused;
  std::vector<int> chosen;
  std::vector<std::size_t> run_starts;
};

void PrintTo(const SpreadCase& c, std::ostream* os) {
  *os << "ni " << Show(c.ni) << "nused " << Show(c.nused);
}

class SelectionEvenSpread : public ::testing::TestWithParam<SpreadCase> {};

TEST_P(SelectionEvenSpread, FillsTheRunsAndWritesThemToIndex) {
  const SpreadCase& c = GetParam();
  SCOPED_TRACE("ni " + Show(c.ni) + "nused " + Show(c.nused));
  ScratchDir dir;
  dir.Write("index", "an older index file that is longer than the new one\n1\n2\n3\n4\n5\n");
  QuitCapture capture;
  SetTypes(c.ni);
  cfg_state.choose_part = 1;
  cfg_state.nused = c.nused;
  {
    InFolder here(dir.path());
    SimpleCfg::SelectEvenSpread();
  }
  EXPECT_EQ(capture.TakeOutput(), "");
  std::string index;
  for (int atom : c.chosen) index += std::to_string(atom) + "\n";
  EXPECT_EQ(dir.Read("index"), index);
  std::size_t total = 0;
  for (int used : cfg_state.nused) total += static_cast<std::size_t>(used);
  ASSERT_GE(cfg_state.selected_index.size(), total);
  EXPECT_EQ(std::vector<int>(cfg_state.selected_index.begin(),
                             cfg_state.selected_index.begin() + static_cast<std::ptrdiff_t>(total)),
            c.chosen);
  EXPECT_EQ(cfg_state.type_selected, c.run_starts);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Types, SelectionEvenSpread, ::testing::Values(
    SpreadCase{{10, 12}, {3, 5}, {0, 4, 9, 10, 13, 16, 19, 21}, {0, 3}},
    // A type with nothing chosen adds no line and an empty run.
    SpreadCase{{5, 4, 7}, {2, 0, 7}, {0, 4, 9, 10, 11, 12, 13, 14, 15}, {0, 2, 2}},
    SpreadCase{{4, 6, 3}, {1, 1, 0}, {0, 4}, {0, 1, 2}},
    SpreadCase{{3, 3}, {0, 0}, {}, {0, 0}}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Index list check

struct CheckCase {
  std::string label;
  std::vector<int> ni;
  std::vector<int> nused;
  std::vector<int> list;  // zero-based, as the parameter file reader stores it
  std::string report;     // empty when the list passes
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << c.label;
}

class SelectionCheckIndex : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SelectionCheckIndex, ReportsTheFirstBadEntryAndStops) {
  const CheckCase& c = GetParam();
  SCOPED_TRACE(c.label + ": ni " + Show(c.ni) + "nused " + Show(c.nused) + "list " + Show(c.list));
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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, SelectionCheckIndex, ::testing::Values(
    CheckCase{"all in range", {3, 4}, {2, 2}, {0, 2, 3, 6}, ""},
    CheckCase{"type without entries skipped", {3, 4, 2}, {1, 0, 2}, {2, 7, 8}, ""},
    CheckCase{"longer list than the lowered counts", {3, 4}, {3, 1}, {0, 1, 2, 3, 4, 5}, ""},
    CheckCase{"atom of the next type", {3, 4}, {2, 2}, {0, 3, 4, 5}, IndexOutOfRange(4, 1, 1, 3)},
    CheckCase{"index 0", {3, 4}, {2, 2}, {-1, 0, 3, 4}, IndexOutOfRange(0, 1, 1, 3)},
    CheckCase{"above ntotal", {3, 4}, {2, 2}, {0, 1, 3, 7}, IndexOutOfRange(8, 2, 4, 7)},
    CheckCase{"atom of the previous type", {3, 4, 2}, {1, 0, 2}, {2, 5, 8},
              IndexOutOfRange(6, 3, 8, 9)},
    CheckCase{"repeated in the first type", {3, 4}, {2, 2}, {1, 1, 3, 4}, IndexRepeated(2)},
    CheckCase{"repeated in the second type", {3, 4}, {1, 2}, {0, 5, 5}, IndexRepeated(6)},
    CheckCase{"repeated after an empty type", {3, 4, 2}, {1, 0, 2}, {0, 8, 8}, IndexRepeated(9)}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Slab

struct SlabCase {
  std::string label;
  std::vector<int> ni;
  int axis;
  double low;
  double high;
  std::vector<double> along;  // per atom, the coordinate along the axis
  std::vector<int> chosen;
  std::vector<int> counts;
};

void PrintTo(const SlabCase& c, std::ostream* os) {
  *os << c.label;
}

class SelectionSlab : public ::testing::TestWithParam<SlabCase> {};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST_P(SelectionSlab, ChoosesTheAtomsInTheClosedRange) {
  const SlabCase& c = GetParam();
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
  std::size_t total = 0;
  for (int used : cfg_state.nused) total += static_cast<std::size_t>(used);
  ASSERT_GE(cfg_state.selected_index.size(), total);
  EXPECT_EQ(std::vector<int>(cfg_state.selected_index.begin(),
                             cfg_state.selected_index.begin() + static_cast<std::ptrdiff_t>(total)),
            c.chosen);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Slabs, SelectionSlab, ::testing::Values(
    SlabCase{"limits themselves chosen", {3, 3}, 0, -0.25, 0.5,
             {-0.25, std::nextafter(-0.25, -1.0), 0.5, std::nextafter(0.5, 1.0), 0.0, -1.0},
             {0, 2, 4}, {2, 1}},
    SlabCase{"y axis", {2, 2}, 1, -0.7, 0.5, {-0.8, -0.7, 0.49, 0.51}, {1, 2}, {1, 1}},
    SlabCase{"z axis", {4}, 2, 0.1, 0.2, {0.15, 0.3, 0.1, -0.15}, {0, 2}, {2}},
    SlabCase{"both limits zero", {2, 3}, 2, 0.0, 0.0, {0.0, 1e-300, -0.0, -1e-300, 0.0},
             {0, 2, 4}, {1, 2}},
    SlabCase{"not a number never chosen", {3, 1}, 1, -1.0, 1.0, {kNaN, 0.0, kNaN, kNaN},
             {1}, {1, 0}},
    SlabCase{"whole box", {1, 2}, 0, -1.0, 1.0, {-1.0, 1.0, 0.999}, {0, 1, 2}, {1, 2}},
    SlabCase{"empty slab", {2, 3}, 0, 0.3, 0.4, {0.2, 0.5, -0.35, 0.41, 0.29}, {}, {0, 0}},
    SlabCase{"only the last type", {2, 0, 2}, 1, 0.0, 1.0, {-0.5, -0.1, 0.2, 0.3}, {2, 3},
             {0, 0, 2}}));
// clang-format on

TEST(SelectionSlabMemory, ListRoomStaysTheSameOverManyConfigurations) {
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
