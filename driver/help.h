#ifndef CFG2CMTX_DRIVER_HELP_H
#define CFG2CMTX_DRIVER_HELP_H

// The help text that documents the parameter file, printed at every start.
void PrintHelp();

#endif
