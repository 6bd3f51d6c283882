// The page's WebAssembly module: both programs, chosen by the name they are called by, and the
// reading of a configuration file's header and of a parameter file that the page's form writes.
// The page makes a fresh instance for every call, so that each starts from the library's start-up
// state, as a process does.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/help.h"
#include "driver/program.h"
#include "params/parameter_file.h"

namespace {
// Thrown by the quit hook: the form's checks end at a fatal stop and report it, the page lives on.
struct Stopped {};

std::string result;  // the last answer handed to the page; it stays valid until the next call

const char* Answer(const std::string& json) {
  result = json;
  return result.c_str();
}

// The header as the run reads it; false when the run would stop there.
bool ReadHeader(const std::string& cfg_name) {
  try {
    std::ifstream in;
    OpenForRead(in, cfg_name);
    if (cfg_state.input_kind == kBinary) {
      SimpleCfg::GetParameters_bcf(in);
      return true;
    }
    return SimpleCfg::GetParameters_cfg(in) == 1;
  } catch (const Stopped&) {
    return false;
  }
}

std::string HeaderJson(bool read) {
  std::ostringstream json;
  json.precision(17);
  json << "{\"ok\":" << (read ? "true" : "false") << ",\"kind\":" << cfg_state.input_kind
       << ",\"atoms\":" << cfg_state.ntotal << ",\"types\":" << cfg_state.ntypes << ",\"box\":";
  if (std::isfinite(cfg_state.box_scale)) {
    json << cfg_state.box_scale;
  } else {
    json << "null";  // JSON has no NaN
  }
  json << ",\"counts\":[";
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) json << (k ? "," : "") << cfg_state.ni[k];
  json << "]}";
  return json.str();
}

void StartCall() {
  ResetCfgState();
  SetQuitHook([] { throw Stopped{}; });
  std::cin.clear(std::ios::eofbit);  // no reply to any prompt
}
}  // namespace

extern "C" {
// The header of the configuration file cfg_name: {"ok", "kind", "atoms", "types", "box",
// "counts"}; kind 0 is a name of no known kind. The readers stop when the type count differs from
// the parameter file's, which the form does not know yet: a first call with any ntypes_par learns
// it ("types") from that stop, a second call with it reads the whole header. The messages of a
// header that cannot be read go to the console.
EMSCRIPTEN_KEEPALIVE const char* read_header(const char* cfg_name, int ntypes_par) {
  StartCall();
  cfg_state.input_kind = InputKindOf(cfg_name);
  cfg_state.ntypes_par = ntypes_par;
  const bool read = cfg_state.input_kind != 0 && ReadHeader(cfg_name);
  return Answer(HeaderJson(read));
}

// The length of the program's help text, which the page folds away.
EMSCRIPTEN_KEEPALIVE int help_size(int xyz) {
  std::ostringstream text;
  std::streambuf* const console = std::cout.rdbuf(text.rdbuf());
  (xyz != 0 ? PrintXyzHelp : PrintHelp)();
  std::cout.rdbuf(console);
  return static_cast<int>(text.str().size());
}

// Reads the parameter file and the header of the configuration file it names, and checks the
// index list, as a run does before it converts: false when the run would stop, with the
// program's messages on the console.
EMSCRIPTEN_KEEPALIVE int check_parameters(const char* par_name) {
  StartCall();
  try {
    std::string cfg_name;
    std::string base_name;
    SimpleCfg::GetCrystalMakerPar(par_name, cfg_name, base_name);
    if (!ReadHeader(cfg_name)) return 0;
    if (cfg_state.choose_part == kIndexList) {
      const SimpleCfg cfg;
      cfg.CheckSelectedIndex();
    }
    return 1;
  } catch (const Stopped&) {
    return 0;
  }
}

// What the page draws a completed run with: the box length, the option and the slab's axis and
// limits. Plain numbers, which outlast the library's state at the end of the run.
double run_info[5];
EMSCRIPTEN_KEEPALIVE const double* last_run() { return run_info; }
}

// The program the page calls this module by: cfg2xyz, or cfg2cmtx.
int main(int argc, char** argv) {
  const bool xyz = argc > 0 && std::strcmp(argv[0], "cfg2xyz") == 0;
  const int status = RunProgram(argc, argv, xyz ? kToExtendedXyz : kToCrystalMaker);
  run_info[0] = cfg_state.box_scale;
  run_info[1] = cfg_state.choose_part;
  run_info[2] = cfg_state.plane_axis;
  run_info[3] = cfg_state.plane_min;
  run_info[4] = cfg_state.plane_max;
  return status;
}
