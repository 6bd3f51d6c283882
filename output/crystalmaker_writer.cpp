// Writer of CrystalMaker text files (*.cmtx):
//   MOLE
//   ATOM
//   <symbol> <symbol> <x> <y> <z>     one line per chosen atom, each number followed by a blank
// Coordinates are lengths, (reduced + 1) * box_scale, in fixed notation with seven decimals.
// Each line is flushed as it is written, so an interrupted run leaves whole lines behind. Lines
// end in LF on every system.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "output/number_format.h"

namespace {
class AtomLineWriter {
 public:
  explicit AtomLineWriter(std::ofstream& out) : out_(out) {}

  void Write(const std::string& symbol, const double* triple) {
    line_.assign(symbol);
    line_.push_back(' ');
    line_.append(symbol);
    line_.push_back(' ');
    for (int axis = 0; axis < 3; ++axis) {
      const double length = (triple[axis] + 1.0) * cfg_state.box_scale;
      line_.append(number_, FormatFixed7(length, number_));
      line_.push_back(' ');
    }
    line_.push_back('\n');
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
    out_.flush();
  }

 private:
  std::ofstream& out_;
  std::string line_;
  char number_[kFixed7Capacity];
};

const double* AtomTriple(const double* coords, int atom) {
  return coords + 3 * static_cast<std::size_t>(atom);
}

// Option 2: the first nused[i] atoms of every type.
void WriteFirstAtoms(AtomLineWriter& writer, const double* coords) {
  for (std::size_t i = 0; i < cfg_state.nused.size(); ++i) {
    const int first = cfg_state.type_start[i];
    const int count = std::min(cfg_state.nused[i], cfg_state.ni[i]);
    for (int j = first; j < first + count; ++j) {
      writer.Write(cfg_state.type_symbol[i], AtomTriple(coords, j));
    }
  }
}

// Options 1, 3 and 4: a merge of the atoms, in index order, with the ascending selection list.
void WriteListedAtoms(AtomLineWriter& writer, const double* coords) {
  long long limit = 0;
  for (int used : cfg_state.nused) limit += used;
  const std::vector<int>& list = cfg_state.selected_index;
  limit = std::min(limit, static_cast<long long>(list.size()));
  if (limit <= 0) return;
  std::size_t cursor = 0;
  long long written = 0;
  for (std::size_t i = 0; i < cfg_state.nused.size(); ++i) {
    for (int j = cfg_state.type_start[i]; j < cfg_state.type_start[i + 1]; ++j) {
      if (list[cursor] != j) continue;
      writer.Write(cfg_state.type_symbol[i], AtomTriple(coords, j));
      if (++written == limit) return;
      ++cursor;
    }
  }
}

}  // namespace

void SimpleCfg::SaveCrystalMaker(const std::string& name) const {
  std::ofstream out;
  // Binary, so that the file holds LF line ends and the same bytes on every system.
  OpenForSave(out, name, "SimpleCfg::SaveCrystalMaker", 1);
  out << "MOLE\n" << std::flush << "ATOM\n" << std::flush;
  AtomLineWriter writer(out);
  if (cfg_state.choose_part == kFirstAtoms) {
    WriteFirstAtoms(writer, coords);
  } else {
    WriteListedAtoms(writer, coords);
  }
  const bool written = !out.fail();
  out.close();
  if (!written || out.fail()) {
    FatalStop({"****WARNING****",
               "SimpleCfg::SaveCrystalMaker - writing the file " + name + " has failed!",
               "Cannot run this way, exiting..."});
  }
}
