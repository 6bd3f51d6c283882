#ifndef CFG2CMTX_DRIVER_HELP_H
#define CFG2CMTX_DRIVER_HELP_H

#include <string>

// The help text that documents the parameter file, printed at every start.
void PrintHelp();

// Prompts for the parameter file name and reads one word; empty when the console has ended.
std::string AskParameterFileName();

// The whole program: help, parameter file name (first argument, or asked), conversion.
int RunProgram(int argc, const char* const* argv);

#endif
