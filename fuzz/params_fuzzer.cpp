// Fuzz target: the parameter file reader. Whatever the text, the reader either stops the run or
// leaves a parameter state that the later steps can rely on; the checks below spell that out.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "config/cfg_state.h"
#include "harness_support.h"
#include "params/parameter_file.h"

using fuzz_support::Fail;

namespace {
void CheckTypeRuns() {
  const CfgState& s = cfg_state;
  if (s.type_selected.size() != s.nused.size()) Fail("type_selected has not one entry per type");
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.nused.size(); ++i) {
    if (s.type_selected[i] != start) Fail("type runs do not lie back to back");
    start += static_cast<std::size_t>(s.nused[i]);
  }
}

void CheckParameters(const std::string& cfg_name, const std::string& base_name) {
  const CfgState& s = cfg_state;
  if (s.input_kind != InputKindOf(cfg_name) || s.input_kind < 1 || s.input_kind > 3) {
    Fail("input kind " + std::to_string(s.input_kind) + " for " + cfg_name);
  }
  if (base_name != cfg_name.substr(0, cfg_name.find('.'))) Fail("base name " + base_name);
  if (s.input_kind != 3 && s.nconf > 1) Fail("several configurations for a one-configuration file");
  if (s.choose_part < 1 || s.choose_part > 4) Fail("choose_part out of range");
  if (s.choose_part == 4) {
    if (s.plane_axis < 0 || s.plane_axis > 2) Fail("axis out of range");
    if (!(-1.0 <= s.plane_min && s.plane_min <= s.plane_max && s.plane_max <= 1.0)) {
      Fail("slab limits not ordered within [-1, 1]");
    }
  }
  const std::size_t ntypes = s.ntypes_par < 0 ? 0 : static_cast<std::size_t>(s.ntypes_par);
  if (s.nused.size() != ntypes || s.type_symbol.size() != ntypes) {
    Fail("per-type arrays do not match ntypes_par");
  }
  long long total = 0;
  for (std::size_t i = 0; i < ntypes; ++i) {
    if (s.nused[i] < 0) Fail("negative used count kept");
    if (s.choose_part == 4 && s.nused[i] != 0) Fail("option 4 keeps a count");
    if (s.type_symbol[i].empty()) Fail("empty symbol accepted");
    total += s.nused[i];
  }
  if (total != s.nused_total) Fail("nused_total is not the sum of the counts");
  if (s.choose_part == 3) {
    if (s.selected_index.size() != static_cast<std::size_t>(s.nused_total)) {
      Fail("index list is not nused_total long");
    }
    for (std::size_t k = 1; k < s.selected_index.size(); ++k) {
      if (s.selected_index[k - 1] > s.selected_index[k]) Fail("index list not ascending");
    }
  } else if (!s.selected_index.empty()) {
    Fail("a list filled for an option without one");
  }
  if (s.choose_part == 1 || s.choose_part == 3) CheckTypeRuns();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Prepare();
  std::istringstream in(fuzz_support::Bytes(data, size));
  std::string cfg_name;
  std::string base_name;
  const bool completed =
      fuzz_support::RunGuarded([&] { ReadCrystalMakerPar(in, cfg_name, base_name); });
  if (completed) CheckParameters(cfg_name, base_name);
  fuzz_support::ResetState();
  return 0;
}
