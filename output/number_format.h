#ifndef CFG2CMTX_OUTPUT_NUMBER_FORMAT_H
#define CFG2CMTX_OUTPUT_NUMBER_FORMAT_H

#include <cstddef>

// Room for any double in fixed notation with seven decimals (the largest has 309 digits).
constexpr std::size_t kFixed7Capacity = 330;

// Writes value as printf("%.7f") would, without a terminator; returns the length.
std::size_t FormatFixed7(double value, char* out);

#endif
