// Number extraction used by every text reader.
//
// ReadInt and ReadReal give exactly what formatted extraction (`in >> value`) gives with
// libstdc++ in the classic locale: the same value stored (0 for text that is no number, the
// largest value of the type with the failure flag for a number out of range, nothing when the
// stream was not good or held only white space), the same characters consumed and the same
// flags. They read the stream buffer in place instead of going through the num_get facet, so that
// large configuration files read fast. Numbers are read in decimal in the classic locale, as
// every stream of this program is set up.
#ifndef CFG2CMTX_CONFIG_NUMBER_SCAN_H
#define CFG2CMTX_CONFIG_NUMBER_SCAN_H

#include <istream>

void ReadInt(std::istream& in, int& value);
void ReadReal(std::istream& in, double& value);

// The readers' view of a number field: as ReadInt and ReadReal, but a read that fails leaves the
// field as it was, so that a value too large for its field is not taken as the largest value.
void ReadIntField(std::istream& in, int& field);
void ReadRealField(std::istream& in, double& field);

#endif
