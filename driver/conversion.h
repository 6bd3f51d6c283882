#ifndef CFG2CMTX_DRIVER_CONVERSION_H
#define CFG2CMTX_DRIVER_CONVERSION_H

#include <istream>
#include <string>

// base + the index padded to four digits when several configurations are converted + ".cmtx".
std::string OutputFileName(const std::string& base_name, int index, int nconf);

class SimpleCfg;

// Loads configuration `index` (from 0) from the configuration stream into cfg; stops the run when
// a binary load reports that nothing was loaded.
void LoadConfiguration(SimpleCfg& cfg, std::istream& in, int index);

// Converts every requested configuration, then shows the finish prompt and releases the
// configuration. Every fatal problem ends inside through QuitProgram.
void RunConversion(const std::string& cfg_name, const std::string& base_name);

#endif
