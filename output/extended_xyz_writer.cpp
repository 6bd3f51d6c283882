// Writer of extended XYZ files (*.xyz), which ASE and OVITO read with their periodic box:
//   <count>                  the number of atom lines that follow
//   Lattice="A 0 0 0 A 0 0 0 A" Properties=species:S:1:pos:R:3 pbc="T T T"
//   <symbol> <x> <y> <z>     one line per chosen atom
// A is the edge of the cube that the reduced coordinates -1 ... +1 span, 2 * box_scale. A box
// that is a truncated octahedron, inscribed in that cube, repeats on a body-centred cubic lattice
// instead, whose primitive vectors are (-L, L, L), (L, -L, L), (L, L, -L) with L = box_scale.
// Other boxes are refused: a cell line that does not fit the box misleads every viewer. The atoms
// and their coordinates are those of the CrystalMaker writer, with the same text and order. Lines
// end in LF on every system. The file is written beside its final name as NAME.tmp and renamed
// once whole, so that a run that stops leaves either the whole file or the earlier one.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/whole_file.h"
#include "output/chosen_atoms.h"
#include "output/number_format.h"

namespace {
const char kLabel[] = "SimpleCfg::SaveExtendedXyz";
// Lines are gathered into blocks of about this size: no flush per line, unlike the CrystalMaker
// file, since a file that stops short is never left under its name.
constexpr std::size_t kBlock = 65536;

long long CountChosenAtoms() {
  long long count = 0;
  ForEachChosenAtom([&count](std::size_t, int) { ++count; });
  return count;
}

std::string Fixed7(double value) {
  char number[kFixed7Capacity];
  return std::string(number, FormatFixed7(value, number));
}

std::string CellVectors() {
  if (cfg_state.box_shape == kOctahedralBox) {
    const std::string plus = Fixed7(cfg_state.box_scale);
    const std::string minus = Fixed7(-cfg_state.box_scale);
    return minus + " " + plus + " " + plus + " " + plus + " " + minus + " " + plus + " " + plus +
           " " + plus + " " + minus;
  }
  const std::string edge = Fixed7(2.0 * cfg_state.box_scale);
  return edge + " 0 0 0 " + edge + " 0 0 0 " + edge;
}

std::string HeaderLines(long long atoms) {
  return std::to_string(atoms) + "\nLattice=\"" + CellVectors() +
         "\" Properties=species:S:1:pos:R:3 pbc=\"T T T\"\n";
}

// The lines are formatted where they go: the block has room for one line more, of the longest
// symbol and numbers, beyond kBlock, which it is written out once it reaches.
void WriteAtomLines(std::ofstream& out, const SimpleCfg& cfg, const std::string& header) {
  std::size_t longest = 0;
  for (const std::string& symbol : cfg_state.type_symbol)
    longest = std::max(longest, symbol.size());
  // The longest line: the symbol, three blanks and numbers, and the line end.
  std::vector<char> block(kBlock + longest + 3 * kFixed7Capacity + 4);
  char* end = std::copy(header.begin(), header.end(), block.data());
  ForEachChosenAtom([&](std::size_t type, int atom) {
    const std::string& symbol = cfg_state.type_symbol[type];
    end = std::copy(symbol.begin(), symbol.end(), end);
    const double* triple = cfg.Triple(type, atom);
    for (int axis = 0; axis < 3; ++axis) {
      *end++ = ' ';
      end += FormatLength(triple[axis], end);
    }
    *end++ = '\n';
    if (end < block.data() + kBlock) return;
    out.write(block.data(), end - block.data());
    end = block.data();
  });
  out.write(block.data(), end - block.data());
}
}  // namespace

void SimpleCfg::CheckBoxForXyz(const std::string& cfg_name, int conf_number) {
  if (cfg_state.box_shape != kOtherBox) return;
  FatalStop({"The box of the " + std::to_string(conf_number) + ". configuration of the file " +
                 cfg_name + " is not one that an extended XYZ file can describe!",
             "cfg2xyz describes a cube or a truncated octahedron, given by the vectors L 0 0, "
             "0 L 0 and 0 0 L, the same in every configuration.",
             "Cannot run this way, exiting..."});
}

void SimpleCfg::SaveExtendedXyz(const std::string& name) const {
  WholeFile file(name);
  file.OpenAsking(kLabel);
  WriteAtomLines(file.out(), *this, HeaderLines(CountChosenAtoms()));
  file.PutInPlace(kLabel);
}
