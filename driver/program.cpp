// The program flow: help text, the name of the parameter file, the parameters, the conversion.
#include "driver/program.h"

#include <iostream>

#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/conversion.h"
#include "driver/windows_console.h"

namespace {
// One word; empty when the console has ended.
std::string AskParameterFileName() {
  PrintLine("\nGive the name of the parameter file containing the information ");
  PrintLine("for the conversion:");
  std::string name;
  if (!ReadTypedWord(name)) ReadWord(std::cin, name);
  return name;
}
}  // namespace

int RunProgram(int argc, const char* const* argv, const Converter& converter) {
  UseUtf8Console();
  converter.print_help();
  // Further arguments are ignored, so that scripts may pass their own.
  const std::string par_name = argc > 1 ? std::string(argv[1]) : AskParameterFileName();
  std::string cfg_name;
  std::string base_name;
  SimpleCfg::GetCrystalMakerPar(par_name, cfg_name, base_name);
  RunConversion(cfg_name, base_name, converter);
  return 0;
}
