// Rules that runs could only sample: the sort of index lists, and where the even spread puts its
// longer steps.
#include "params/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "params/gap_sort.h"

namespace {

// The writer's merge loses every listed atom after the first one out of order, so every list
// must come out ascending, the lists that shrinking gaps alone leave unsorted among them.
TEST(GapSort, SortsEveryListAsStdSortDoes) {
  std::vector<std::vector<int>> lists = {{13, 28, 11, 14, 5,  25, 7,  20, 9,  17, 1, 12, 8,  10,
                                          15, 16, 2,  18, 19, 6,  21, 22, 23, 24, 3, 26, 27, 4},
                                         {INT_MAX, -1, INT_MIN, 0, INT_MAX, INT_MIN}};
  std::mt19937 rng(20240613);
  for (const auto& [low, high] : {std::pair{-3, 3}, {-1000, 1000}, {INT_MIN, INT_MAX}}) {
    std::uniform_int_distribution<int> draw(low, high);
    for (int length = 0; length <= 1000; ++length) {
      std::vector<int> values(static_cast<std::size_t>(length));
      for (int& v : values) v = draw(rng);
      lists.push_back(values);
    }
  }
  for (std::vector<int> values : lists) {
    std::vector<int> expected = values;
    std::sort(expected.begin(), expected.end());
    GapSort(static_cast<int>(values.size()), values.data());
    ASSERT_EQ(values, expected);
  }
}

// d of n atoms from atom s: the first and the last atom; between them steps of q = (n-1) div
// (d-1), and the e = (n-1) mod (d-1) steps of q+1 in one block that starts after P = d div e
// steps (n when e is 0).
std::vector<int> Spread(int n, int d, int s) {
  if (d <= 0) return {};
  if (d == 1) return {s};
  const int q = (n - 1) / (d - 1);
  const int e = (n - 1) % (d - 1);
  const int period = e > 0 ? d / e : n;
  std::vector<int> run;
  for (int k = 0; k <= d - 2; ++k)
    run.push_back(s + k * q + std::min(std::max(k - period + 1, 0), e));
  run.push_back(s + n - 1);
  return run;
}

TEST(FillEvenRun, LongerStepsComeWhereTheRuleSays) {
  for (int n = 1; n <= 300; ++n) {
    for (int d = 0; d <= n; ++d) {
      std::vector<int> run(static_cast<std::size_t>(d), -1);
      FillEvenRun(run.data(), d, n, 1000);
      ASSERT_EQ(run, Spread(n, d, 1000)) << n << " atoms, " << d << " chosen";
    }
  }
}

}  // namespace
