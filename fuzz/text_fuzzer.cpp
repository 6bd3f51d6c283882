// Fuzz target: the text configuration reader, driven as the conversion drives it: the header
// read, the construction of the configuration, then the loads of a collection, each followed by
// the two skips that lead to the next configuration.
//
// Input: byte 0 chooses the parameter side (below), the rest is the configuration file.
//   bits 0-1  choose_part - 1
//   bit  2    the parameter file names one type more than the header (the type-count stop)
//   bits 3-5  configurations to load - 1
//   bit  6    every used count is larger than any type (the used-count correction)
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "config/cfg_state.h"
#include "config/number_scan.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "harness_support.h"

using fuzz_support::Fail;

namespace {
// The type count as the header gives it on line 8, or 0 when it cannot be read.
int HeaderTypeCount(const std::string& text) {
  std::istringstream in(text);
  for (int line = 0; line < 6; ++line) SkipLine(in);
  int ntotal = 0;
  ReadInt(in, ntotal);
  SkipLine(in);
  int ntypes = 0;
  ReadInt(in, ntypes);
  return in.fail() ? 0 : ntypes;
}

// A parameter file can only name as many types as it has lines, so the type count is kept small.
void SetUpParameters(unsigned control, int header_types) {
  CfgState& s = cfg_state;
  s.input_kind = 3;
  s.choose_part = static_cast<int>(control & 3u) + 1;
  s.nconf = static_cast<int>((control >> 3) & 7u) + 1;
  int ntypes = header_types >= -4 && header_types <= 64 ? header_types : 2;
  if ((control & 4u) != 0) ++ntypes;
  s.ntypes_par = ntypes;
  const int used = (control & 64u) != 0 ? 1000000 : 1;
  for (int i = 0; i < ntypes; ++i) {
    s.type_symbol.push_back("T" + std::to_string(i));
    s.nused.push_back(s.choose_part == 4 ? 0 : used);
    s.nused_total += s.nused.back();
  }
}

void CheckHeader() {
  const CfgState& s = cfg_state;
  if (s.ntypes != s.ntypes_par) Fail("type count accepted against the parameter file");
  if (s.ntypes < 0) return;
  const auto ntypes = static_cast<std::size_t>(s.ntypes);
  if (s.ni.size() != ntypes || s.type_start.size() != ntypes + 1) Fail("type arrays mis-sized");
  // A negative type size is left for the construction to refuse.
  for (std::size_t k = 0; k < ntypes && k < s.nused.size(); ++k) {
    if (s.ni[k] >= 0 && s.nused[k] > s.ni[k]) Fail("used count above the size of its type");
  }
}

void CheckConstruction(const SimpleCfg& cfg) {
  const CfgState& s = cfg_state;
  long long sum = 0;
  for (std::size_t k = 0; k < s.ni.size(); ++k) {
    if (s.ni[k] < 0) Fail("negative type count accepted");
    if (s.type_start[k] != sum) Fail("type_start is not the prefix sum of ni");
    if (cfg.type_coords[k] != cfg.coords + 3 * static_cast<std::size_t>(s.type_start[k])) {
      Fail("type_coords does not point at its type's first atom");
    }
    sum += s.ni[k];
  }
  if (sum != s.ntotal) Fail("type counts that do not add up to ntotal accepted");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Prepare();
  if (size == 0) return 0;
  const unsigned control = data[0];
  const std::string text = fuzz_support::Bytes(data + 1, size - 1);
  const int header_types = HeaderTypeCount(text);
  fuzz_support::RunGuarded([&] {
    SetUpParameters(control, header_types);
    std::ifstream header;
    fuzz_support::OpenContent(header, "header.cfg", text);
    if (SimpleCfg::GetParameters_cfg(header) != 1) Fail("header read of an open stream gave 0");
    CheckHeader();
    SimpleCfg cfg;
    CheckConstruction(cfg);
    std::ifstream in;
    fuzz_support::OpenContent(in, "load.cfg", text);
    for (int i = 0; i < cfg_state.nconf; ++i) {
      cfg.Load(in, i + 1);
      if (i < cfg_state.nconf - 1) {
        SkipLine(in);
        SkipLine(in);
      }
    }
  });
  fuzz_support::ResetState();
  return 0;
}
