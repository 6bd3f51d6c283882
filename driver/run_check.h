// What a front end (the page) asks before a run, answered by the program's own steps, each in a
// contained call: what a parameter file names, what a configuration file's header holds, and
// whether a run would get as far as writing its first file.
#ifndef CFG2CMTX_DRIVER_RUN_CHECK_H
#define CFG2CMTX_DRIVER_RUN_CHECK_H

#include <string>

#include "driver/contained_call.h"
#include "driver/conversion.h"

struct NamedFile {
  std::string name;     // the configuration file's name as the parameter file gives it
  bool needed = false;  // the run opens it: the parameter file is read without a stop
};
NamedFile NameInParameterFile(const std::string& par_name);

// The header of a configuration file as the run reads it, with the number of types the file
// says (a run stops when the parameter file says another), and the configuration object built
// from it. Not ok when the run would stop there; cfg_state holds what was read.
ContainedRun ReadHeaderAsRun(const std::string& cfg_name);

// Everything the run does before it writes its first file: the parameter file, the header, the
// configuration object, the first configuration's load, what the output needs of it, the choice
// of atoms and its checks. Later configurations of a collection are not looked at.
ContainedRun CheckRun(const std::string& par_name, const Converter& converter);

#endif
