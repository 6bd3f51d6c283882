#ifndef CFG2CMTX_PARAMS_GAP_SORT_H
#define CFG2CMTX_PARAMS_GAP_SORT_H

// In-place ascending sort of count values by diminishing-gap exchange (gap factor 0.78).
void GapSort(int count, int* values);

#endif
