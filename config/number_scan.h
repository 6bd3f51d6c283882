// Number extraction used by every text reader. Both behave exactly like formatted extraction
// (`in >> value`): the same value stored, the same characters consumed and the same stream flags.
#ifndef CFG2CMTX_CONFIG_NUMBER_SCAN_H
#define CFG2CMTX_CONFIG_NUMBER_SCAN_H

#include <istream>

void ReadInt(std::istream& in, int& value);
void ReadReal(std::istream& in, double& value);

#endif
