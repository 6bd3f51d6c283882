// The choice of the atoms to write. Every option leaves the list the writer walks: the first
// sum(nused) entries of selected_index are the chosen atoms, ascending, type by type.
#include <climits>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/whole_file.h"

namespace {
void WarnIndexFile() {
  PrintLine(
      "****WARNING**** The file index could not be written, the conversion goes on without it.");
}

// The even spread of `chosen` atoms over a type of `type_size` atoms that starts at atom
// `first_atom`: the first and the last atom of the type, and steps between them that differ by at
// most one. Writes `chosen` indices into run.
void FillEvenRun(int* run, int chosen, int type_size, int first_atom) {
  if (chosen <= 0) return;
  run[0] = first_atom;
  if (chosen == 1) return;
  const int step = (type_size - 1) / (chosen - 1);
  const int remainder = (type_size - 1) % (chosen - 1);
  run[chosen - 1] = first_atom + type_size - 1;
  // The remainder is shared out as steps one longer, all in one block, once `period` plain steps
  // have passed.
  const int period = remainder > 0 ? chosen / remainder : type_size;
  int longer_left = remainder;
  int plain_steps = 1;
  int offset = 0;
  for (int k = 1; k <= chosen - 2; ++k) {
    if (plain_steps == period && longer_left > 0) {
      offset += step + 1;
      --longer_left;
    } else {
      offset += step;
      ++plain_steps;
    }
    run[k] = first_atom + offset;
  }
}

// The chosen atoms, one zero-based index a line, for the user's own scripts. Like the output
// files it replaces an earlier "index" only once whole; unlike them it is not worth a stop.
void WriteIndexFile(const std::vector<int>& chosen) {
  WholeFile index("index");
  if (!index.TryOpen()) {
    WarnIndexFile();
    return;
  }
  // Binary, as the output files: LF line ends on every system.
  for (int atom : chosen) index.out() << atom << '\n' << std::flush;
  if (!index.TryPutInPlace()) WarnIndexFile();
}
}  // namespace

void SimpleCfg::SelectEvenSpread() {
  // The runs are laid out from the counts as the header check left them: from 0 (a negative count
  // is taken as 0) up to the size of the type.
  const std::size_t ntypes = cfg_state.nused.size();
  cfg_state.type_selected.clear();
  std::size_t total = 0;
  for (std::size_t i = 0; i < ntypes; ++i) {
    cfg_state.type_selected.push_back(total);
    total += static_cast<std::size_t>(cfg_state.nused[i]);
  }
  cfg_state.selected_index.assign(total, 0);
  for (std::size_t i = 0; i < ntypes; ++i) {
    int* run = cfg_state.selected_index.data() + cfg_state.type_selected[i];
    // The run comes out ascending: it needs no sort.
    FillEvenRun(run, cfg_state.nused[i], cfg_state.ni[i], cfg_state.type_start[i]);
  }
  WriteIndexFile(cfg_state.selected_index);
}

void SimpleCfg::CheckSelectedIndex() const {
  const std::vector<int>& list = cfg_state.selected_index;
  std::size_t p = 0;
  for (std::size_t i = 0; i < cfg_state.nused.size(); ++i) {
    const int first = cfg_state.type_start[i];
    const int end = cfg_state.type_start[i + 1];
    // The list holds nused_total entries, which the header check never lowers below the sum of
    // the counts: p stays inside it.
    for (int n = 0; n < cfg_state.nused[i]; ++n, ++p) {
      const int v = list[p];
      // The parameter file's one-based index; the most negative int was stored as it stood.
      const long long written = v == INT_MIN ? v : static_cast<long long>(v) + 1;
      if (v < first || v >= end) {
        FatalStop({"****WARNING****",
                   "The atom index " + std::to_string(written) +
                       " read from the parameter file for CrystalMaker for a " +
                       std::to_string(i + 1) +
                       ". type atom is out of range for this type. The range is from " +
                       std::to_string(first + 1) + " to " + std::to_string(end) + "!",
                   "Check the configuration file! Cannot run this way, exiting..."});
      }
      // The list is sorted, so a repeated index stands right after its first appearance.
      if (p > 0 && list[p - 1] == v) {
        FatalStop({"****WARNING****",
                   "The atom index " + std::to_string(written) +
                       " is given more than once in the parameter file for CrystalMaker!",
                   "Check the parameter file! Cannot run this way, exiting..."});
      }
    }
  }
}

void SimpleCfg::SelectSlab() {
  // One list reused for every configuration: it keeps its room, so memory stays flat.
  std::vector<int>& list = cfg_state.selected_index;
  list.clear();
  list.reserve(static_cast<std::size_t>(cfg_state.ntotal));
  const auto axis = static_cast<std::size_t>(cfg_state.plane_axis);
  for (std::size_t i = 0; i < cfg_state.nused.size(); ++i) {
    int chosen = 0;
    for (int j = cfg_state.type_start[i]; j < cfg_state.type_start[i + 1]; ++j) {
      const double x = Triple(i, j)[axis];
      // A NaN fails both comparisons and is never chosen.
      if (cfg_state.plane_min <= x && x <= cfg_state.plane_max) {
        list.push_back(j);
        ++chosen;
      }
    }
    cfg_state.nused[i] = chosen;
  }
}
