#ifndef CFG2CMTX_DRIVER_CONVERSION_H
#define CFG2CMTX_DRIVER_CONVERSION_H

#include <fstream>
#include <istream>
#include <string>

class SimpleCfg;

// What tells the two programs apart: the help text, the kind of output file as the progress
// line names it, its extension, what the output needs of a loaded configuration (none: nothing),
// and the writer.
struct Converter {
  void (*print_help)();
  const char* output_kind;  // ends with a blank
  const char* extension;
  void (*check)(const std::string& cfg_name, int conf_number);
  void (SimpleCfg::*save)(const std::string& name) const;
};
extern const Converter kToCrystalMaker;  // cfg2cmtx
extern const Converter kToExtendedXyz;   // cfg2xyz

// base + the index padded to four digits when several configurations are converted + extension.
std::string OutputFileName(const std::string& base_name, int index, int nconf,
                           const std::string& extension);

// Opens the configuration file, as text or binary by its kind.
void OpenConfiguration(std::ifstream& in, const std::string& cfg_name);

// Reads the header counts of the configuration file into cfg_state, as the run does first.
void ReadConfigurationHeader(const std::string& cfg_name);

// Loads configuration `index` (from 0) from the configuration stream into cfg; stops the run when
// a binary load reports that nothing was loaded.
void LoadConfiguration(SimpleCfg& cfg, std::istream& in, int index);

// A configuration's steps before its file is written: the load, what the output needs of it,
// and the choice of atoms.
void LoadAndChoose(SimpleCfg& cfg, std::istream& in, const std::string& cfg_name, int index,
                   const Converter& converter);

// Converts every requested configuration, then shows the finish prompt and releases the
// configuration. Every fatal problem ends inside through QuitProgram.
void RunConversion(const std::string& cfg_name, const std::string& base_name,
                   const Converter& converter);

#endif
