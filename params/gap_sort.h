#ifndef CFG2CMTX_PARAMS_GAP_SORT_H
#define CFG2CMTX_PARAMS_GAP_SORT_H

// In-place ascending sort of count values, count from 0 up.
void GapSort(int count, int* values);

#endif
