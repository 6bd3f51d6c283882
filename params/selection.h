#ifndef CFG2CMTX_PARAMS_SELECTION_H
#define CFG2CMTX_PARAMS_SELECTION_H

// The even spread of `chosen` atoms over a type of `type_size` atoms that starts at atom
// `first_atom`: the first and the last atom of the type, and steps between them that differ by at
// most one. Writes `chosen` indices into run.
void FillEvenRun(int* run, int chosen, int type_size, int first_atom);

#endif
