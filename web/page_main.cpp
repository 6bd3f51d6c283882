// The page's WebAssembly module: both programs, chosen by the name they are called by, and what the
// page asks before a run (what a parameter file names, a configuration file's header, whether a
// run would stop before its first file), answered by the program's own steps. Every answer is a
// JSON object made by one helper, with the program's console text in it.
// The page makes a fresh instance for every call, so that each starts from the library's start-up
// state, as a process does.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "driver/contained_call.h"
#include "driver/conversion.h"
#include "driver/help.h"
#include "driver/program.h"
#include "driver/run_check.h"
#include "params/parameter_file.h"

namespace {
// One answer, a JSON object; it stays valid until the next answer.
class Answer {
 public:
  Answer& Add(const char* key, const std::string& text) {
    Key(key) << '"';
    for (const char c : text) Character(c);
    json_ << '"';
    return *this;
  }
  Answer& Add(const char* key, bool value) {
    Key(key) << (value ? "true" : "false");
    return *this;
  }
  Answer& Add(const char* key, int value) {
    Key(key) << value;
    return *this;
  }
  // JSON has no NaN or infinity: those go as the text the writers give them.
  Answer& Add(const char* key, double value) {
    if (!std::isfinite(value)) return Add(key, std::string(std::isnan(value) ? "nan" : "inf"));
    Key(key) << value;
    return *this;
  }
  Answer& Add(const char* key, const std::vector<int>& values) {
    Key(key) << '[';
    for (std::size_t k = 0; k < values.size(); ++k) json_ << (k ? "," : "") << values[k];
    json_ << ']';
    return *this;
  }
  const char* Give() {
    static std::string given;
    given = json_.str() + "}";
    return given.c_str();
  }

 private:
  std::ostream& Key(const char* key) {
    json_ << (json_.tellp() > 1 ? ",\"" : "\"") << key << "\":";
    return json_;
  }
  // Bytes above 0x7F pass as they are: the page reads the answer as UTF-8.
  void Character(char c) {
    if (c == '"' || c == '\\') {
      json_ << '\\' << c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json_ << escaped;
    } else {
      json_ << c;
    }
  }
  std::ostringstream json_ = Start();
  static std::ostringstream Start() {
    std::ostringstream json;
    json.precision(17);
    json << '{';
    return json;
  }
};

const Converter& ConverterOf(int xyz) { return xyz != 0 ? kToExtendedXyz : kToCrystalMaker; }

// What the page draws a completed run with: the box length, the option and the slab's axis and
// limits, made when the run ends. The runtime has ended by the time the page asks (its statics are
// gone): the answer lives in memory that nothing releases.
std::string* const last_run_answer = new std::string("{}");
}  // namespace

extern "C" {
// The configuration file's name as the parameter file gives it ("name"), and whether a run
// opens it ("needed"): a run that stops while it reads the parameter file never does.
EMSCRIPTEN_KEEPALIVE const char* named_file(const char* par_name) {
  const NamedFile named = NameInParameterFile(par_name);
  return Answer().Add("name", named.name).Add("needed", named.needed).Give();
}

// The header of a configuration file as a run reads it: "ok" when a run gets past it, "kind" of
// its name (0: a name of no known kind, not read), "atoms", "types", "box", "counts", and the
// program's messages ("console").
EMSCRIPTEN_KEEPALIVE const char* read_header(const char* cfg_name) {
  const int kind = InputKindOf(cfg_name);
  const ContainedRun run = kind != 0 ? ReadHeaderAsRun(cfg_name) : ContainedRun{"", true};
  return Answer()
      .Add("ok", !run.stopped)
      .Add("kind", kind)
      .Add("atoms", cfg_state.ntotal)
      .Add("types", cfg_state.ntypes)
      .Add("box", cfg_state.box_scale)
      .Add("counts", cfg_state.ni)
      .Add("console", run.console)
      .Give();
}

// Whether a run of the program (cfg2xyz when xyz) would stop before it writes its first file
// ("ok" when not), with its messages; "kind" and "nconf" tell how much that covers.
EMSCRIPTEN_KEEPALIVE const char* check_run(const char* par_name, int xyz) {
  const ContainedRun run = CheckRun(par_name, ConverterOf(xyz));
  return Answer()
      .Add("ok", !run.stopped)
      .Add("console", run.console)
      .Add("kind", cfg_state.input_kind)
      .Add("nconf", cfg_state.nconf)
      .Give();
}

// The length of the program's help text, which the page folds away.
EMSCRIPTEN_KEEPALIVE const char* help_size(int xyz) {
  const int size =
      static_cast<int>(RunContained([xyz] { ConverterOf(xyz).print_help(); }).console.size());
  return Answer().Add("size", size).Give();
}

// The box length, the option and the slab's axis and limits of the last run.
EMSCRIPTEN_KEEPALIVE const char* last_run() { return last_run_answer->c_str(); }
}

// The program the page calls this module by: cfg2xyz, or cfg2cmtx.
int main(int argc, char** argv) {
  const bool xyz = argc > 0 && std::strcmp(argv[0], "cfg2xyz") == 0;
  const int status = RunProgram(argc, argv, ConverterOf(xyz));
  *last_run_answer = Answer()
                         .Add("box", cfg_state.box_scale)
                         .Add("option", cfg_state.choose_part)
                         .Add("axis", cfg_state.plane_axis)
                         .Add("min", cfg_state.plane_min)
                         .Add("max", cfg_state.plane_max)
                         .Give();
  return status;
}
