// Reader of the parameter file. Values are read one after another by formatted extraction, and
// the rest of a line is skipped after each of the lines below, so text after the values of a
// line is ignored and blank lines do no harm:
//   line 1   configuration file name (one word; its extension decides the input kind)
//   line 2   nconf, configurations to convert
//   line 3   ntypes_par, atom types
//   line 4   choose_part; for option 4 also plane_axis, plane_min, plane_max
//   then     one line per type: symbol, and for options 1 to 3 the number of particles used
//   then     option 3 only: the one-based atom indices, separated by any white space
#include "params/parameter_file.h"

#include <climits>
#include <fstream>
#include <utility>
#include <vector>

#include "config/cfg_state.h"
#include "config/number_scan.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "params/gap_sort.h"

namespace {
const char kTypeLabel[] = "Simple_Cfg::GetCrystalMakerPar";

void DecideInputKind(const std::string& cfg_name, std::string& base_name) {
  cfg_state.input_kind = InputKindOf(cfg_name);
  if (cfg_state.input_kind == 0) {
    FatalStop(
        {"Unrecognized file extension for input file, has to be either *.cfg, *.cfg_coll "
         "or *.bcf!",
         "Cannot run this way, exit..."});
  }
  base_name = BaseNameOf(cfg_name);
}

void ReadConfigurationCount(std::istream& in) {
  ReadIntField(in, cfg_state.nconf);
  if (cfg_state.input_kind != kTextCollection && cfg_state.nconf > 1) {
    PrintLine(
        "In case of a single text type (*.cfg) or a binary (*.bcf) file there can be just one "
        "configuration in a file, setting number of configuration to 1!");
    cfg_state.nconf = 1;
  }
  SkipLine(in);
}

void ReadSlab(std::istream& in) {
  ReadIntField(in, cfg_state.plane_axis);
  if (cfg_state.plane_axis < 0 || cfg_state.plane_axis > 2) {
    FatalStop({"The value of the axis perpendicular to the cutting planes can be 0,1 or 2!",
               "Cannot run this way, exiting..."});
  }
  ReadRealField(in, cfg_state.plane_min);
  ReadRealField(in, cfg_state.plane_max);
  const auto outside = [](double limit) { return limit < -1.0 || limit > 1.0; };
  if (outside(cfg_state.plane_min) || outside(cfg_state.plane_max)) {
    FatalStop(
        {"The limiting values for the reduced coordinates along the selected axis has to be "
         "between -1 and +1!",
         "Cannot run this way, exiting..."});
  }
  if (cfg_state.plane_min > cfg_state.plane_max) {
    std::swap(cfg_state.plane_min, cfg_state.plane_max);
  }
}

void ReadSelectionOption(std::istream& in) {
  ReadIntField(in, cfg_state.choose_part);
  if (cfg_state.choose_part < kEvenSpread || cfg_state.choose_part > kSlab) {
    PrintLine(
        "GetCrystalMakerPar: The value of the choose_part option is outside the acceptable range "
        "(1-4)! It will be set to default 1!");
    cfg_state.choose_part = kEvenSpread;
  } else if (cfg_state.choose_part == kSlab) {
    ReadSlab(in);
  }
  SkipLine(in);
}

// A negative count would place a type's run outside the selection list: it counts as 0.
int AcceptedCount(int type, int count) {
  if (count >= 0) return count;
  PrintLine("The number of particles to use for type " + std::to_string(type + 1) +
            " (type index begin with 1) is " + std::to_string(count) +
            " in the parameter file, which is negative! It will be taken as 0.");
  return 0;
}

void AddToUsedTotal(int count) {
  const long long total = static_cast<long long>(cfg_state.nused_total) + count;
  if (total > INT_MAX) {
    FatalStop({"The total number of particles to use is larger than " + std::to_string(INT_MAX) +
                   " in the parameter file!",
               "Cannot run this way, exiting..."});
  }
  cfg_state.nused_total = static_cast<int>(total);
}

// The arrays grow with the lines actually read, so an absurd ntypes_par in a short file ends in
// the read check instead of a huge allocation.
void ReadTypeLines(std::istream& in) {
  const int ntypes = cfg_state.ntypes_par;
  for (int i = 0; i < ntypes; ++i) {
    std::string symbol;
    ReadWord(in, symbol);
    int count = 0;
    if (cfg_state.choose_part != kSlab) ReadIntField(in, count);
    CheckLoad(in, kTypeLabel);
    cfg_state.type_symbol.push_back(symbol);
    count = AcceptedCount(i, count);
    cfg_state.nused.push_back(count);
    AddToUsedTotal(count);
    if (i != ntypes - 1 || cfg_state.choose_part == kIndexList) SkipLine(in);
  }
}

void ReadIndexList(std::istream& in) {
  std::vector<int>& list = cfg_state.selected_index;
  for (int k = 0; k < cfg_state.nused_total; ++k) {
    int index = 0;
    ReadIntField(in, index);
    if (in.fail()) break;  // the check below reports it
    // Indices count from 1 in the file; INT_MIN stays as it is (it is out of range anyway).
    list.push_back(index == INT_MIN ? index : index - 1);
  }
  CheckLoad(in, kTypeLabel);
  GapSort(static_cast<int>(list.size()), list.data());
}

// Editors on Windows save UTF-8 with a byte-order mark, which is skipped. Windows PowerShell 5.1
// writes UTF-16, whose every other byte is NUL: no name could be read from it, so it is refused
// with what to do instead. The bytes looked at are put back otherwise.
void SkipByteOrderMark(std::istream& in, const std::string& par_name) {
  std::streambuf& buf = *in.rdbuf();
  const int first = buf.sgetc();
  if (first != 0xEF && first != 0xFF && first != 0xFE) return;
  const int second = buf.snextc();
  if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) {
    FatalStop({"The parameter file " + par_name +
                   " is UTF-16; save it as UTF-8 or plain text and run again.",
               "Cannot run this way, exiting..."});
  }
  if (first == 0xEF && second == 0xBB) {
    if (buf.snextc() == 0xBF) {
      buf.sbumpc();
      return;
    }
    buf.sungetc();
  }
  buf.sungetc();  // a name that begins with these bytes, in another encoding
}

void ReadCrystalMakerPar(std::istream& in, std::string& cfg_name, std::string& base_name) {
  ReadWord(in, cfg_name);
  SkipLine(in);
  DecideInputKind(cfg_name, base_name);
  ReadConfigurationCount(in);
  ReadIntField(in, cfg_state.ntypes_par);
  SkipLine(in);
  ReadSelectionOption(in);
  ReadTypeLines(in);
  // Only the index list is read here: the even spread lays out and fills its list once the
  // header has fixed the counts.
  if (cfg_state.choose_part == kIndexList) ReadIndexList(in);
  CheckLoad(in, "SimpleCfg::GetCrystalMakerPar");
}
}  // namespace

int InputKindOf(const std::string& cfg_name) {
  const std::size_t dot = cfg_name.find('.');
  if (dot == std::string::npos) return 0;
  const std::string extension = cfg_name.substr(dot + 1);
  if (extension == "bcf") return kBinary;
  if (extension != "cfg") return 0;
  if (dot >= 5 && cfg_name.compare(dot - 5, 5, "_coll") == 0) return kTextCollection;
  return kTextSingle;
}

std::string BaseNameOf(const std::string& cfg_name) {
  return cfg_name.substr(0, cfg_name.find('.'));
}

void SimpleCfg::GetCrystalMakerPar(const std::string& par_name, std::string& cfg_name,
                                   std::string& base_name) {
  std::ifstream in;
  OpenForRead(in, par_name);
  if (!CheckOpenRead(in, "SimpleCfg::GetCrystalMakerPar CrystalMaker parameter")) QuitProgram();
  SkipByteOrderMark(in, par_name);
  ReadCrystalMakerPar(in, cfg_name, base_name);
}
