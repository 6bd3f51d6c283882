#include "params/gap_sort.h"

#include <utility>

namespace {
bool ExchangePass(int count, int* values, int gap) {
  bool exchanged = false;
  for (int k = 0; k + gap < count; ++k) {
    if (values[k] > values[k + gap]) {
      std::swap(values[k], values[k + gap]);
      exchanged = true;
    }
  }
  return exchanged;
}
}  // namespace

void GapSort(int count, int* values) {
  double x = count * 0.78;
  for (auto gap = static_cast<int>(x); gap >= 1; gap = static_cast<int>(x)) {
    ExchangePass(count, values, gap);
    x *= 0.78;
  }
  // The shrinking gaps alone leave some lists of 28 or more values unsorted, and an unsorted
  // index list loses atoms in the output: finish with plain passes until nothing moves.
  if (count > 1) {
    while (ExchangePass(count, values, 1)) {
    }
  }
}
