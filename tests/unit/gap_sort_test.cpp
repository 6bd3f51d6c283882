// The in-place sort of index lists: it must leave every list ascending, since the writer's merge
// loses every listed atom after the first one out of order.
#include "params/gap_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {
std::vector<int> Sorted(std::vector<int> values) {
  GapSort(static_cast<int>(values.size()), values.data());
  return values;
}

std::vector<int> Ascending(int first, int last) {
  std::vector<int> values(static_cast<std::size_t>(last - first + 1));
  std::iota(values.begin(), values.end(), first);
  return values;
}
}  // namespace

TEST(GapSortFixed, SortsTheListsThatShrinkingGapsAloneLeaveUnsorted) {
  const struct {
    const char* name;
    std::vector<int> input;
    std::vector<int> expected;
  } cases[] = {
      // With the gaps 21, 17, ..., 2, 1, 1, 1 alone, 10 and 11 stay exchanged.
      {"28 values",
       {13, 28, 11, 14, 5,  25, 7,  20, 9,  17, 1, 12, 8,  10,
        15, 16, 2,  18, 19, 6,  21, 22, 23, 24, 3, 26, 27, 4},
       Ascending(1, 28)},
      {"two", {2, 1}, {1, 2}},
      {"signed extremes",
       {INT_MAX, -1, INT_MIN, 0, INT_MAX, INT_MIN},
       {INT_MIN, INT_MIN, -1, 0, INT_MAX, INT_MAX}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sorted(c.input), c.expected);
  }
}

// Counts of 0 or 1 (or below) leave the values alone and need no array at all.
TEST(GapSortFixed, ShortCountTouchesNothing) {
  std::vector<int> values{3, 2, 1};
  for (int count : {-4, 0, 1}) GapSort(count, values.data());
  EXPECT_EQ(values, (std::vector<int>{3, 2, 1}));
  GapSort(0, nullptr);
}

TEST(GapSortRandom, EveryLengthUpToAThousandMatchesStdSort) {
  const struct {
    const char* name;
    int low, high;
  } ranges[] = {
      {"many duplicates", -3, 3}, {"small values", -1000, 1000}, {"all ints", INT_MIN, INT_MAX}};
  for (std::uint32_t seed : {1u, 2u, 20240613u}) {
    std::mt19937 rng(seed);
    for (const auto& range : ranges) {
      std::uniform_int_distribution<int> draw(range.low, range.high);
      for (int length = 0; length <= 1000; ++length) {
        std::vector<int> values(static_cast<std::size_t>(length));
        for (int& v : values) v = draw(rng);
        std::vector<int> expected = values;
        std::sort(expected.begin(), expected.end());
        const std::vector<int> actual = Sorted(values);
        if (actual != expected) {
          ADD_FAILURE() << range.name << ", seed " << seed << ", length " << length
                        << ": the list does not come out ascending";
          return;
        }
      }
    }
  }
}
