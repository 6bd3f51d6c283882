#include "output/number_format.h"

#include <cstdio>

std::size_t FormatFixed7(double value, char* out) {
  const int length = std::snprintf(out, kFixed7Capacity, "%.7f", value);
  return length < 0 ? 0 : static_cast<std::size_t>(length);
}
