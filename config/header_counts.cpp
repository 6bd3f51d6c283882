#include "config/header_counts.h"

#include <climits>
#include <string>

#include "config/cfg_state.h"
#include "driver/console.h"

void CheckTypeCountAgainstParameters() {
  if (cfg_state.ntypes == cfg_state.ntypes_par) return;
  FatalStop({"The number of atom types (" + std::to_string(cfg_state.ntypes_par) +
                 ") in the parametr file is not the same, as the number of types ",
             "in the configuration file (" + std::to_string(cfg_state.ntypes) +
                 "). Cannot run this way, exiting..."});
}

void PrepareTypeArrays() {
  const int ntypes = cfg_state.ntypes < 0 ? 0 : cfg_state.ntypes;
  cfg_state.ni.assign(static_cast<std::size_t>(ntypes), 0);
  // A negative type count leaves type_start empty, which the construction refuses.
  cfg_state.type_start.assign(cfg_state.ntypes < 0 ? 0 : static_cast<std::size_t>(ntypes) + 1, 0);
}

void CorrectUsedCount(int k) {
  const auto at = static_cast<std::size_t>(k);
  if (at >= cfg_state.nused.size()) return;
  int& used = cfg_state.nused[at];
  const int available = cfg_state.ni[at];
  // A negative type size is refused when the configuration is built; lowering a count to it
  // would only print a nonsensical correction first.
  if (used <= available || available < 0) return;
  PrintLine("The number of used atoms for type " + std::to_string(k + 1) +
            " (type index begin with 1) is " + std::to_string(used) + ", which is greater than");
  PrintLine("the total number of particles for this type, which is " + std::to_string(available) +
            "! Setting the  number of used particles");
  PrintLine("to " + std::to_string(available) + ".");
  used = available;
}

void ComputeTypeStarts() {
  if (cfg_state.type_start.empty()) return;
  long long sum = 0;
  cfg_state.type_start[0] = 0;
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) {
    sum += cfg_state.ni[k];
    if (sum > INT_MAX) sum = INT_MAX;
    if (sum < INT_MIN) sum = INT_MIN;
    cfg_state.type_start[k + 1] = static_cast<int>(sum);
  }
}
