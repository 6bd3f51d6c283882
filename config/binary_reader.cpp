// Reader of binary configurations (*.bcf, one configuration). Fields follow each other with no
// padding, all little-endian; integers are 32-bit two's complement, reals IEEE 754 doubles:
//   [lead]     int32   optional: a first word of 4 or 8 is a record marker and ntotal follows
//   ntotal     int32
//   ntypes     int32
//   ni[k]      int32 x ntypes
//   box        double  the box length (box_scale)
//   coords     double x 3 * ntotal, x y z per atom, type by type
// Anything after the coordinates is not read. A field cut short keeps the bytes that were read
// over its earlier value, as a raw read into it would.
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "config/cfg_state.h"
#include "config/header_counts.h"
#include "config/simple_cfg.h"
#include "driver/console.h"

namespace {
const char kIgnoredLine[] =
    "The binary file will be ignored, the data from the .cfg file will be used!";

bool LittleEndianMachine() {
  const std::uint32_t probe = 1;
  return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}

// One little-endian field of sizeof(Field) bytes into target, whatever the machine's byte
// order. Bits is the unsigned integer type of the field's size.
template <typename Bits, typename Field>
void ReadLittleEndian(std::istream& in, Field& target) {
  static_assert(sizeof(Bits) == sizeof(Field), "the field and its bits must have one size");
  constexpr int kSize = static_cast<int>(sizeof(Field));
  Bits bits = 0;
  std::memcpy(&bits, &target, sizeof bits);
  unsigned char bytes[kSize];
  for (int b = 0; b < kSize; ++b) bytes[b] = static_cast<unsigned char>(bits >> (8 * b));
  in.read(reinterpret_cast<char*>(bytes), kSize);
  bits = 0;
  for (int b = 0; b < kSize; ++b) bits |= static_cast<Bits>(Bits{bytes[b]} << (8 * b));
  std::memcpy(&target, &bits, sizeof bits);
}

void ReadInt32(std::istream& in, int& target) { ReadLittleEndian<std::uint32_t>(in, target); }

void ReadFloat64(std::istream& in, double& target) { ReadLittleEndian<std::uint64_t>(in, target); }

// The atom count, behind the optional leading word.
int ReadAtomCount(std::istream& in) {
  int first = 0;
  ReadInt32(in, first);
  if (first != 4 && first != 8) return first;
  int count = 0;
  ReadInt32(in, count);
  return count;
}

void SwapDoubles(double* values, std::size_t count) {
  for (std::size_t v = 0; v < count; ++v) {
    unsigned char bytes[8];
    std::memcpy(bytes, values + v, 8);
    for (int b = 0; b < 4; ++b) std::swap(bytes[b], bytes[7 - b]);
    std::memcpy(values + v, bytes, 8);
  }
}

int ReportInconsistency(const std::string& first_line, const std::string& second_line) {
  PrintLine(first_line);
  PrintLine(second_line);
  PrintLine(kIgnoredLine);
  return 0;
}
}  // namespace

void SimpleCfg::GetParameters_bcf(std::istream& in) {
  if (!CheckOpenRead(in, "SimpleCfg::GetParams_bcf *.bcf")) {
    FatalStop({"Cannot run this way, exiting"});
  }
  cfg_state.ntotal = ReadAtomCount(in);
  ReadInt32(in, cfg_state.ntypes);
  CheckTypeCountAgainstParameters();
  PrepareTypeArrays();
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) {
    ReadInt32(in, cfg_state.ni[k]);
    // A count cut short is no count: the check below stops the run instead.
    if (!in.fail()) CorrectUsedCount(static_cast<int>(k));
  }
  ReadFloat64(in, cfg_state.box_scale);
  ComputeTypeStarts();
  CheckLoad(in, "SimpleCfg::GetParameters_bcf");
}

int SimpleCfg::Load_binary(std::istream& in) {
  if (!StreamHasOpenFile(in) || in.fail()) {
    PrintLine("SimpleCfg::Load_binary - file not open or non-existing.");
    PrintLine("The configurations from the text type .cfg file will be used!");
    return 0;
  }
  const int ntotal = ReadAtomCount(in);
  if (ntotal != cfg_state.ntotal) {
    return ReportInconsistency("INCONSISTENCY! The number of atoms is " +
                                   std::to_string(cfg_state.ntotal) + " from the .cfg file, and ",
                               std::to_string(ntotal) + " from the binary .bcf file!");
  }
  int ntypes = 0;
  ReadInt32(in, ntypes);
  if (ntypes != cfg_state.ntypes) {
    return ReportInconsistency("INCONSISTENCY! The number of atom types is " +
                                   std::to_string(cfg_state.ntypes) + " from the .cfg file, and ",
                               std::to_string(ntypes) + " from the binary .bcf file!");
  }
  for (std::size_t k = 0; k < cfg_state.ni.size(); ++k) {
    int count = 0;
    ReadInt32(in, count);
    if (count == cfg_state.ni[k]) continue;
    return ReportInconsistency(
        "INCONSISTENCY! The number of atoms for type " + std::to_string(k + 1) + " is " +
            std::to_string(cfg_state.ni[k]) + " from the .cfg file, and ",
        std::to_string(count) + " from the binary .bcf file! (Starting with 1)");
  }
  double box_length = 0.0;  // the header read's value holds
  ReadFloat64(in, box_length);
  if (!StreamHasOpenFile(in) || in.fail()) {
    PrintLine(
        "Loading of the main parameters of the configurations from the .bcf file has failed!");
    CheckLoad(in, "SimpleCfg::::GetParameters_bcf");
  }
  const std::size_t values = 3 * static_cast<std::size_t>(cfg_state.ntotal);
  // The block has the layout of coords on a little-endian machine: one read, no conversion.
  in.read(reinterpret_cast<char*>(coords), static_cast<std::streamsize>(values * sizeof(double)));
  if (!LittleEndianMachine()) SwapDoubles(coords, values);
  if (StreamHasOpenFile(in) && !in.fail()) return 1;
  CheckLoad(in, "SimpleCfg::Load_binary");
  return 0;
}
