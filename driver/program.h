#ifndef CFG2CMTX_DRIVER_PROGRAM_H
#define CFG2CMTX_DRIVER_PROGRAM_H

#include <functional>

#include "driver/conversion.h"

// Runs the steps; an exception of the C++ library among them ends in the fatal stop, with what
// failed.
void StopOnLibraryFailures(const std::function<void()>& steps);

// The whole program: help, parameter file name (first argument, or asked), conversion. Returns
// the exit status of a completed run; every fatal problem ends the process inside.
int RunProgram(int argc, const char* const* argv, const Converter& converter);

#endif
