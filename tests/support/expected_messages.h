// The console messages of the converter that several test files expect, built from their
// varying parts; each ends with its line end.
#ifndef CFG2CMTX_TESTS_SUPPORT_EXPECTED_MESSAGES_H
#define CFG2CMTX_TESTS_SUPPORT_EXPECTED_MESSAGES_H

#include <string>

namespace testing_support {

// The four lines of a failed read under `label`: the end of the input reached, or else a value
// that could not be read.
std::string LoadFailure(const std::string& label, bool end_of_file);

// The stop when the parameter file and the configuration file give other numbers of types.
std::string TypeCountMismatch(int in_parameters, long long in_configuration);

// The correction of a used count of `type` (from 1) above the `available` atoms of the type.
std::string UsedCountLowered(int type, int used, int available);

// The stop when configuration `conf` (from 1) of a collection has other counts than the first;
// `has` and `first` name the counts, e.g. "4 atoms of 2 types".
std::string ChangedCounts(int conf, const std::string& has, const std::string& first);

// The stop for an index of the parameter file outside the atoms from..to of its type; `written`
// is the index as the message gives it.
std::string IndexOutOfRange(const std::string& written, int type, int from, int to);
std::string IndexOutOfRange(long long written, int type, int from, int to);

// The stop for an index given twice in the parameter file.
std::string IndexRepeated(int written);

}  // namespace testing_support

#endif
