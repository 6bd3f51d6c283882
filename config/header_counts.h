// The header counts that the text and the binary header readers share: the type count against
// the parameter file, the per-type arrays, the used-count correction and the type runs.
#ifndef CFG2CMTX_CONFIG_HEADER_COUNTS_H
#define CFG2CMTX_CONFIG_HEADER_COUNTS_H

// Stops the run when the header's type count differs from the parameter file's.
void CheckTypeCountAgainstParameters();

// Sizes ni and type_start for cfg_state.ntypes types (none for a negative count).
void PrepareTypeArrays();

// Lowers the used count of type k to the size of the type, with its message.
void CorrectUsedCount(int k);

// type_start as prefix sums of ni; a sum beyond the int range is saturated, and the
// construction of the configuration then refuses the header.
void ComputeTypeStarts();

#endif
