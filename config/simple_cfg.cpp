// Construction and destruction of the configuration object. The coordinate array is sized by
// ntotal while the type runs follow ni, so the two are checked against each other here: after
// that, every type run lies inside the array.
#include "config/simple_cfg.h"

#include <cstddef>
#include <exception>
#include <limits>
#include <new>
#include <string>

#include "config/cfg_state.h"
#include "driver/console.h"

namespace {
const char kCannotCreate[] = "Sorry, cannot create SimpleCfg.";

// The type counts must be non-negative and add up to the atom count.
void CheckTypeCounts() {
  long long sum = 0;
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) {
    if (cfg_state.ni[k] < 0) {
      FatalStop({"The number of atoms of type " + std::to_string(k + 1) +
                     " (type index begin with 1) is " + std::to_string(cfg_state.ni[k]) +
                     " in the configuration file, which is negative!",
                 "Cannot run this way, exiting..."});
    }
    sum += cfg_state.ni[k];
  }
  if (sum != cfg_state.ntotal) {
    FatalStop({"The numbers of atoms of the types add up to " + std::to_string(sum) +
                   ", but the total number of atoms is " + std::to_string(cfg_state.ntotal) +
                   " in the configuration file!",
               "Cannot run this way, exiting..."});
  }
}
}  // namespace

SimpleCfg::SimpleCfg() {
  // type_start has ntypes + 1 entries once a header has been read.
  if (cfg_state.type_start.empty() || cfg_state.ntotal < 0 || cfg_state.ntypes < 0) {
    FatalStop({kCannotCreate});
  }
  CheckTypeCounts();
  // The coordinates' size in bytes must be a size the machine can have: on a 32-bit system (the
  // WebAssembly build is one) the product of a large count would wrap around to a small array.
  constexpr auto kMostAtoms =
      static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) / (3 * sizeof(double));
  if (static_cast<std::size_t>(cfg_state.ntotal) > kMostAtoms) FatalStop({kCannotCreate});
  const std::size_t values = 3 * static_cast<std::size_t>(cfg_state.ntotal);
  coords = new (std::nothrow) double[values];
  if (coords == nullptr) FatalStop({kCannotCreate});
  const auto ntypes = static_cast<std::size_t>(cfg_state.ntypes);
  type_coords = new (std::nothrow) double*[ntypes];
  if (type_coords == nullptr) {
    delete[] coords;
    coords = nullptr;
    FatalStop({kCannotCreate});
  }
  for (std::size_t k = 0; k < ntypes; ++k) {
    type_coords[k] = coords + 3 * static_cast<std::size_t>(cfg_state.type_start[k]);
  }
}

SimpleCfg::~SimpleCfg() {
  delete[] coords;
  coords = nullptr;
  delete[] type_coords;
  type_coords = nullptr;
  // Only a run that ends well says so: an exception on its way to the fatal stop passes here.
  if (std::uncaught_exceptions() == 0) PrintLine("SimpleCfg destructor");
}
