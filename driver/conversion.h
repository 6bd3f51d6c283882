#ifndef CFG2CMTX_DRIVER_CONVERSION_H
#define CFG2CMTX_DRIVER_CONVERSION_H

#include <string>

// base + the index padded to four digits when several configurations are converted + ".cmtx".
std::string OutputFileName(const std::string& base_name, int index, int nconf);

// Converts every requested configuration, then shows the finish prompt and releases the
// configuration. Every fatal problem ends inside through QuitProgram.
void RunConversion(const std::string& cfg_name, const std::string& base_name);

#endif
