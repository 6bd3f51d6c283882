#ifndef CFG2CMTX_PARAMS_SELECTION_H
#define CFG2CMTX_PARAMS_SELECTION_H

// The even spread of d chosen atoms over a type of n atoms starting at atom s: the first and the
// last atom of the type, and steps between them that differ by at most one. Writes d indices.
void FillEvenRun(int* run, int d, int n, int s);

#endif
