// Fuzz target: the binary configuration reader, driven as the conversion drives it: the header
// read, the construction of the configuration, then the load from the file opened again.
//
// Input: byte 0 chooses the parameter side (below), the rest is the *.bcf file.
//   bits 0-1  choose_part - 1
//   bit  2    the parameter file names one type more than the header (the type-count stop)
//   bits 3-6  position of a header byte that changes before the load (a file rewritten between
//             the two openings), used when bit 7 is set
//   bit  7    change that byte
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "harness_support.h"

using fuzz_support::Fail;

namespace {
int LittleEndianInt(const std::string& bytes, std::size_t at, bool& ok) {
  if (at + 4 > bytes.size()) {
    ok = false;
    return 0;
  }
  std::uint32_t bits = 0;
  for (int b = 3; b >= 0; --b) {
    bits = (bits << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(b)]);
  }
  return static_cast<int>(bits);
}

// The type count as the header gives it, behind the optional leading word; 0 when cut short.
int HeaderTypeCount(const std::string& bytes) {
  bool ok = true;
  const int first = LittleEndianInt(bytes, 0, ok);
  const std::size_t at = first == 4 || first == 8 ? 8 : 4;
  const int ntypes = LittleEndianInt(bytes, at, ok);
  return ok ? ntypes : 0;
}

// A parameter file can only name as many types as it has lines, so the type count is kept small.
void SetUpParameters(unsigned control, int header_types) {
  CfgState& s = cfg_state;
  s.input_kind = 2;
  s.nconf = 1;
  s.choose_part = static_cast<int>(control & 3u) + 1;
  int ntypes = header_types >= -4 && header_types <= 64 ? header_types : 2;
  if ((control & 4u) != 0) ++ntypes;
  s.ntypes_par = ntypes;
  for (int i = 0; i < ntypes; ++i) {
    s.type_symbol.push_back("T" + std::to_string(i));
    s.nused.push_back(s.choose_part == 4 ? 0 : 1 + i % 3);
    s.nused_total += s.nused.back();
  }
}

void CheckHeaderAndConstruction(const SimpleCfg& cfg) {
  const CfgState& s = cfg_state;
  if (s.ntypes != s.ntypes_par) Fail("type count accepted against the parameter file");
  long long sum = 0;
  for (std::size_t k = 0; k < s.ni.size(); ++k) {
    if (s.ni[k] < 0) Fail("negative type count accepted");
    if (k < s.nused.size() && s.nused[k] > s.ni[k]) Fail("used count above its type's size");
    if (s.type_start[k] != sum) Fail("type_start is not the prefix sum of ni");
    if (cfg.type_coords[k] != cfg.coords + 3 * static_cast<std::size_t>(s.type_start[k])) {
      Fail("type_coords does not point at its type's first atom");
    }
    sum += s.ni[k];
  }
  if (sum != s.ntotal) Fail("type counts that do not add up to ntotal accepted");
}
// The coordinate block is taken over byte for byte (the test machines are little-endian).
void CheckCoordinates(const SimpleCfg& cfg, const std::string& bytes) {
  bool ok = true;
  const int first = LittleEndianInt(bytes, 0, ok);
  const std::size_t header =
      (first == 4 || first == 8 ? 8 : 4) + 12 + 4 * static_cast<std::size_t>(cfg_state.ntypes);
  const std::size_t block = 24 * static_cast<std::size_t>(cfg_state.ntotal);
  if (header + block > bytes.size()) Fail("coordinates loaded from a file cut short");
  if (block > 0 && std::memcmp(cfg.coords, bytes.data() + header, block) != 0) {
    Fail("coordinates differ from the file's block");
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Prepare();
  if (size == 0) return 0;
  const unsigned control = data[0];
  const std::string bytes = fuzz_support::Bytes(data + 1, size - 1);
  std::string reloaded = bytes;
  const std::size_t changed = (control >> 3) & 15u;
  if ((control & 128u) != 0 && changed < reloaded.size()) {
    reloaded[changed] = static_cast<char>(reloaded[changed] ^ 0x5A);
  }
  const int header_types = HeaderTypeCount(bytes);
  fuzz_support::RunGuarded([&] {
    SetUpParameters(control, header_types);
    std::ifstream header;
    fuzz_support::OpenContent(header, "header.bcf", bytes);
    SimpleCfg::GetParameters_bcf(header);
    SimpleCfg cfg;
    CheckHeaderAndConstruction(cfg);
    std::ifstream in;
    fuzz_support::OpenContent(in, "load.bcf", reloaded);
    const int loaded = cfg.Load_binary(in);
    if (reloaded == bytes && loaded != 1) Fail("an unchanged file did not load");
    if (loaded == 1) CheckCoordinates(cfg, reloaded);
  });
  fuzz_support::ResetState();
  return 0;
}
