// Writer of CrystalMaker text files (*.cmtx):
//   MOLE
//   ATOM
//   <symbol> <symbol> <x> <y> <z>     one line per chosen atom, each number followed by a blank
// Coordinates are lengths, (reduced + 1) * box_scale, in fixed notation with seven decimals.
// Each line is flushed as it is written. Lines end in LF on every system. The file is written as
// NAME.tmp and renamed once whole, so that a run that stops leaves the earlier file of the name.
#include <fstream>
#include <string>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/whole_file.h"
#include "output/chosen_atoms.h"
#include "output/number_format.h"

namespace {
const char kLabel[] = "SimpleCfg::SaveCrystalMaker";

class AtomLineWriter {
 public:
  explicit AtomLineWriter(std::ofstream& out) : out_(out) {}

  void Write(const std::string& symbol, const double* triple) {
    line_.assign(symbol);
    line_.push_back(' ');
    line_.append(symbol);
    line_.push_back(' ');
    for (int axis = 0; axis < 3; ++axis) {
      line_.append(number_, FormatLength(triple[axis], number_));
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
}  // namespace

void SimpleCfg::SaveCrystalMaker(const std::string& name) const {
  WholeFile file(name);
  // Binary, so that the file holds LF line ends and the same bytes on every system.
  file.OpenAsking(kLabel);
  std::ofstream& out = file.out();
  out << "MOLE\n" << std::flush << "ATOM\n" << std::flush;
  AtomLineWriter writer(out);
  ForEachChosenAtom([&](std::size_t type, int atom) {
    writer.Write(cfg_state.type_symbol[type], Triple(type, atom));
  });
  file.PutInPlace(kLabel);
}
