#ifndef CFG2CMTX_PARAMS_GAP_SORT_H
#define CFG2CMTX_PARAMS_GAP_SORT_H

// In-place ascending sort of count values (none for a count of 0 or less).
void GapSort(int count, int* values);

#endif
