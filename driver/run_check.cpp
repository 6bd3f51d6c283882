#include "driver/run_check.h"

#include <climits>
#include <fstream>
#include <memory>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/program.h"
#include "params/parameter_file.h"

namespace {
// The configuration object outlives the contained steps that build it: its release line belongs
// to the end of a run, which a check never reaches, so it is said where nobody hears it.
void ReleaseQuietly(std::unique_ptr<SimpleCfg>& cfg) {
  RunContained([&] { cfg.reset(); });
}
}  // namespace

NamedFile NameInParameterFile(const std::string& par_name) {
  ResetCfgState();
  NamedFile named;
  // The name is the first thing read: it stands even when the reading stops later.
  const ContainedRun run = RunContained([&] {
    std::string base_name;
    SimpleCfg::GetCrystalMakerPar(par_name, named.name, base_name);
  });
  named.needed = !run.stopped;
  return named;
}

ContainedRun ReadHeaderAsRun(const std::string& cfg_name) {
  const auto read = [&](int ntypes_par) {
    ResetCfgState();
    cfg_state.input_kind = InputKindOf(cfg_name);
    cfg_state.ntypes_par = ntypes_par;
    std::unique_ptr<SimpleCfg> cfg;
    const ContainedRun run = RunContained([&] {
      StopOnLibraryFailures([&] {
        ReadConfigurationHeader(cfg_name);
        cfg = std::make_unique<SimpleCfg>();
      });
    });
    ReleaseQuietly(cfg);
    return run;
  };
  // A first read learns the number of types from the stop where it differs from the guess.
  const ContainedRun first = read(INT_MIN);
  return first.stopped ? read(cfg_state.ntypes) : first;
}

ContainedRun CheckRun(const std::string& par_name, const Converter& converter) {
  ResetCfgState();
  std::unique_ptr<SimpleCfg> cfg;
  const ContainedRun run = RunContained([&] {
    StopOnLibraryFailures([&] {
      std::string cfg_name;
      std::string base_name;
      SimpleCfg::GetCrystalMakerPar(par_name, cfg_name, base_name);
      ReadConfigurationHeader(cfg_name);
      cfg = std::make_unique<SimpleCfg>();
      if (cfg_state.nconf < 1) return;
      std::ifstream in;
      OpenConfiguration(in, cfg_name);
      LoadAndChoose(*cfg, in, cfg_name, 0, converter);
    });
  });
  ReleaseQuietly(cfg);
  return run;
}
