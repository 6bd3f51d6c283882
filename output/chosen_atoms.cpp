#include "output/chosen_atoms.h"

#include <algorithm>
#include <vector>

#include "config/cfg_state.h"
#include "output/number_format.h"

namespace {
using Visit = std::function<void(std::size_t type, int atom)>;

// Option 2: the first nused[i] atoms of every type.
void ForEachFirstAtom(const Visit& visit) {
  for (std::size_t i = 0; i < cfg_state.nused.size(); ++i) {
    const int first = cfg_state.type_start[i];
    const int count = std::min(cfg_state.nused[i], cfg_state.ni[i]);
    for (int j = first; j < first + count; ++j) visit(i, j);
  }
}

// Options 1, 3 and 4: a merge of the atoms, in index order, with the ascending selection list.
void ForEachListedAtom(const Visit& visit) {
  long long limit = 0;
  for (int used : cfg_state.nused) limit += used;
  const std::vector<int>& list = cfg_state.selected_index;
  limit = std::min(limit, static_cast<long long>(list.size()));
  if (limit <= 0) return;
  std::size_t cursor = 0;
  long long visited = 0;
  for (std::size_t i = 0; i < cfg_state.nused.size(); ++i) {
    for (int j = cfg_state.type_start[i]; j < cfg_state.type_start[i + 1]; ++j) {
      if (list[cursor] != j) continue;
      visit(i, j);
      if (++visited == limit) return;
      ++cursor;
    }
  }
}
}  // namespace

void ForEachChosenAtom(const Visit& visit) {
  if (cfg_state.choose_part == kFirstAtoms) {
    ForEachFirstAtom(visit);
  } else {
    ForEachListedAtom(visit);
  }
}

std::size_t FormatLength(double reduced, char* out) {
  return FormatFixed7((reduced + 1.0) * cfg_state.box_scale, out);
}
