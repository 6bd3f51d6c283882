#ifndef CFG2CMTX_PARAMS_PARAMETER_FILE_H
#define CFG2CMTX_PARAMS_PARAMETER_FILE_H

#include <istream>
#include <string>

// 1 text with one configuration, 2 binary, 3 text collection, 0 for a name that is refused;
// decided from the text around the first "." of the whole name.
int InputKindOf(const std::string& cfg_name);

// The configuration file name before its first ".", folder part included.
std::string BaseNameOf(const std::string& cfg_name);

#endif
