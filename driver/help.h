#ifndef CFG2CMTX_DRIVER_HELP_H
#define CFG2CMTX_DRIVER_HELP_H

// The help texts that document the parameter file, printed at every start: cfg2cmtx's, and
// cfg2xyz's, which tells of its own output.
void PrintHelp();
void PrintXyzHelp();

#endif
