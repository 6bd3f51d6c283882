// The program flow: help text, the name of the parameter file, the parameters, the conversion.
#include "driver/program.h"

#include <exception>
#include <iostream>
#include <new>

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

void Run(int argc, const char* const* argv, const Converter& converter) {
  converter.print_help();
  // Further arguments are ignored, so that scripts may pass their own.
  const std::string par_name = argc > 1 ? std::string(argv[1]) : AskParameterFileName();
  std::string cfg_name;
  std::string base_name;
  SimpleCfg::GetCrystalMakerPar(par_name, cfg_name, base_name);
  RunConversion(cfg_name, base_name, converter);
}
}  // namespace

void StopOnLibraryFailures(const std::function<void()>& steps) {
  // What the C++ library throws (memory exhausted, a file-system or stream error) ends the run
  // as every other fatal problem does: a console window opened by a double-click must not vanish
  // without a word.
  try {
    steps();
  } catch (const std::bad_alloc&) {
    FatalStop({"There is not enough memory for this run, cannot run this way, exiting..."});
  } catch (const std::exception& error) {
    FatalStop(
        {std::string("The run has failed: ") + error.what(), "Cannot run this way, exiting..."});
  }
}

int RunProgram(int argc, const char* const* argv, const Converter& converter) {
  UseUtf8Console();
  StopOnLibraryFailures([&] { Run(argc, argv, converter); });
  return 0;
}
