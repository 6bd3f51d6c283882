#ifndef CFG2CMTX_DRIVER_PROGRAM_H
#define CFG2CMTX_DRIVER_PROGRAM_H

#include "driver/conversion.h"

// The whole program: help, parameter file name (first argument, or asked), conversion. Returns
// the exit status of a completed run; every fatal problem ends the process inside.
int RunProgram(int argc, const char* const* argv, const Converter& converter);

#endif
