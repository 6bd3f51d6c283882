// Reader of text configurations (*.cfg with one configuration, *_coll.cfg with several).
//
// Layout of one configuration; "free" lines are skipped unread, and a number needs only to stand
// first on its line (anything after it is skipped with the rest of the line):
//   lines 1-6    free
//   line 7       ntotal, the number of atoms
//   line 8       ntypes, the number of atom types
//   lines 9-11   free
//   line 12      T when the box is a truncated octahedron, F when it is a cube
//   line 13      free
//   lines 14-16  the box's defining vectors, L 0 0 / 0 L 0 / 0 0 L; L is the box length
//   line 17      free
//   line 18+4k   ni[k], the atoms of type k+1, followed by three free lines
//   then         3 * ntotal reals, x y z per atom, type by type, spread over lines at will
// In a collection the next configuration starts after exactly one further line. Line ends may be
// LF or CR LF: CR is white space to the number reads and goes with the rest of the line on a skip.
#include <sstream>
#include <string>

#include "config/cfg_state.h"
#include "config/header_counts.h"
#include "config/number_scan.h"
#include "config/simple_cfg.h"
#include "driver/console.h"

namespace {
const char kOpenLabel[] = "SimpleCfg::GetParams_cfg - *.cfg";

void SkipLines(std::istream& in, int count) {
  for (int i = 0; i < count; ++i) SkipLine(in);
}

[[noreturn]] void ReportChangedCounts(int conf_number, const std::string& what,
                                      const std::string& first) {
  FatalStop({"The " + std::to_string(conf_number) + ". configuration of the file has " + what +
                 ", but the first configuration has " + first + "!",
             "All configurations of a *_coll.cfg file must have the same numbers of atoms, "
             "cannot run this way, exiting..."});
}

// The arrays were sized from the first header, so a configuration with other counts cannot be
// loaded into them.
void CheckSameCounts(int conf_number, int ntotal, int ntypes) {
  if (ntotal == cfg_state.ntotal && ntypes == cfg_state.ntypes) return;
  ReportChangedCounts(conf_number,
                      std::to_string(ntotal) + " atoms of " + std::to_string(ntypes) + " types",
                      std::to_string(cfg_state.ntotal) + " atoms of " +
                          std::to_string(cfg_state.ntypes) + " types");
}

void CheckSameTypeCount(int conf_number, std::size_t k, int count) {
  if (count == cfg_state.ni[k]) return;
  const std::string type = " atoms of type " + std::to_string(k + 1) + " (type index begin with 1)";
  ReportChangedCounts(conf_number, std::to_string(count) + type,
                      std::to_string(cfg_state.ni[k]) + type);
}

void ReadNumberField(std::istream& in, int& field) { ReadIntField(in, field); }
void ReadNumberField(std::istream& in, double& field) { ReadRealField(in, field); }

struct Box {
  int shape;
  double length;
};

// The box that lines 12 and 14 to 16 describe. Only a cube and the truncated octahedron inscribed
// in it are told apart; any other set of vectors, or a line 12 that says neither T nor F, is
// another box.
Box BoxOf(const std::string& flag, const std::string (&vector_lines)[3]) {
  double v[3][3];
  for (int row = 0; row < 3; ++row) {
    std::istringstream line(vector_lines[row]);
    for (double& value : v[row]) ReadReal(line, value);
    if (line.fail()) return {kOtherBox, 0.0};
  }
  const double length = v[0][0];
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      if (v[row][column] != (row == column ? length : 0.0)) return {kOtherBox, length};
    }
  }
  const std::size_t mark = flag.find_first_not_of(" \t");
  const char said = mark == std::string::npos ? ' ' : flag[mark];
  if (said == 'T') return {kOctahedralBox, length};
  return {said == 'F' ? kCubicBox : kOtherBox, length};
}

// Lines 9 to 17, from the rest of line 8. The box length is read from the first vector line into
// length_field, as the reader reads a number from the stream: a blank line before it is passed
// over, and the two vector lines are then the two after the one it stands on.
template <typename Field>
Box ReadBox(std::istream& in, Field& length_field) {
  SkipLines(in, 4);
  const std::string flag = TakeLine(in);
  SkipLine(in);
  std::string vector_lines[3];
  in >> std::ws;
  for (std::string& line : vector_lines) line = TakeLine(in);
  // The number is read from its line with the line end that follows it in the file.
  std::istringstream length_line(vector_lines[0]);
  ReadNumberField(length_line, length_field);
  if (length_line.fail()) in.setstate(std::ios::failbit);
  SkipLine(in);
  return BoxOf(flag, vector_lines);
}

void ReadCoordinates(std::istream& in, double* coords, std::size_t values) {
  for (std::size_t v = 0; v < values; ++v) {
    ReadReal(in, coords[v]);
    if (in.fail()) return;  // every further read would fail too
  }
}
}  // namespace

int SimpleCfg::GetParameters_cfg(std::istream& in) {
  if (!CheckOpenRead(in, kOpenLabel)) return 0;
  SkipLines(in, 6);
  ReadIntField(in, cfg_state.ntotal);
  SkipLine(in);
  ReadIntField(in, cfg_state.ntypes);
  CheckTypeCountAgainstParameters();
  cfg_state.box_shape = ReadBox(in, cfg_state.box_scale).shape;
  PrepareTypeArrays();
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) {
    ReadIntField(in, cfg_state.ni[k]);
    // A count that could not be read is no count: the check below stops the run instead.
    const bool count_read = !in.fail();
    SkipLines(in, 4);
    if (count_read) CorrectUsedCount(static_cast<int>(k));
  }
  ComputeTypeStarts();
  CheckLoad(in, "SimpleCfg::GetParameters_cfg");
  return 1;
}

void SimpleCfg::Load(std::istream& in, int conf_number) {
  if (!CheckOpenRead(in, kOpenLabel)) {
    FatalStop(
        {"The *.cfg file was found earlier, but now it is not available, cannot continue, "
         "exiting..."});
  }
  SkipLines(in, 6);
  int ntotal = 0;
  int ntypes = 0;
  ReadIntField(in, ntotal);
  SkipLine(in);
  ReadIntField(in, ntypes);
  // A count that could not be read is a read failure, to be reported as one, not as a count
  // that differs from the first configuration's.
  if (in.fail()) CheckLoad(in, "SimpleCfg::Load");
  CheckSameCounts(conf_number, ntotal, ntypes);
  // The box length of the header read holds for every configuration. Reading it as an integer
  // stops at its decimal point, and the rest of the line is skipped. A box that differs from the
  // first configuration's is marked for cfg2xyz, whose cell line would not fit it.
  int box_integer_part = 0;
  const Box box = ReadBox(in, box_integer_part);
  if (box.shape != cfg_state.box_shape || box.length != cfg_state.box_scale) {
    cfg_state.box_shape = kOtherBox;
  }
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) {
    int count = 0;
    ReadIntField(in, count);
    SkipLines(in, 4);
    if (in.fail()) break;
    CheckSameTypeCount(conf_number, k, count);
  }
  ReadCoordinates(in, coords, 3 * static_cast<std::size_t>(cfg_state.ntotal));
  CheckLoad(in, "SimpleCfg::Load");
}
