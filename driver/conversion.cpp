// The run over the configurations: header read, one configuration object, then per
// configuration the progress line, the load, the choice of atoms and the output file.
#include "driver/conversion.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/help.h"

namespace {
bool InputIsText() { return cfg_state.input_kind != kBinary; }

void PrintProgress(int index, const std::string& cfg_name, const std::string& output_kind,
                   const std::string& out_name) {
  std::cout << "\nConverting the " << index + 1 << " configuration of the " << cfg_name
            << " file to ";
  PrintLine(output_kind + out_name);
}

// The even spread is fixed once for the run; the index check and the slab follow each
// configuration. The first atoms of each type (kFirstAtoms) the writer takes by itself.
void SelectParticles(SimpleCfg& cfg, int index) {
  if (cfg_state.choose_part == kEvenSpread && index == 0) SimpleCfg::SelectEvenSpread();
  if (cfg_state.choose_part == kIndexList) cfg.CheckSelectedIndex();
  if (cfg_state.choose_part == kSlab) cfg.SelectSlab();
}

void ConvertAll(SimpleCfg& cfg, std::istream& in, const std::string& cfg_name,
                const std::string& base_name, const Converter& converter) {
  for (int i = 0; i < cfg_state.nconf; ++i) {
    // Between two configurations: the rest of the line with the last number of the one before,
    // then the one line that separates them. After the last, nothing more is read.
    if (i > 0) {
      SkipLine(in);
      SkipLine(in);
    }
    const std::string out_name = OutputFileName(base_name, i, cfg_state.nconf, converter.extension);
    PrintProgress(i, cfg_name, converter.output_kind, out_name);
    LoadAndChoose(cfg, in, cfg_name, i, converter);
    (cfg.*converter.save)(out_name);
  }
}
}  // namespace

void OpenConfiguration(std::ifstream& in, const std::string& cfg_name) {
  if (InputIsText()) {
    OpenForRead(in, cfg_name);
  } else {
    OpenForReadBinary(in, cfg_name);
  }
}

void ReadConfigurationHeader(const std::string& cfg_name) {
  // Every opening of the file gets a stream of its own: a file stream opened again after close()
  // keeps a tiny buffer with libc++, and crashes there when the file is a named pipe.
  std::ifstream in;
  OpenConfiguration(in, cfg_name);
  if (InputIsText()) {
    SimpleCfg::GetParameters_cfg(in);
  } else {
    SimpleCfg::GetParameters_bcf(in);
  }
}

void LoadAndChoose(SimpleCfg& cfg, std::istream& in, const std::string& cfg_name, int index,
                   const Converter& converter) {
  LoadConfiguration(cfg, in, index);
  if (converter.check != nullptr) converter.check(cfg_name, index + 1);
  SelectParticles(cfg, index);
}

void LoadConfiguration(SimpleCfg& cfg, std::istream& in, int index) {
  if (InputIsText()) {
    cfg.Load(in, index + 1);
    return;
  }
  // No output may be written from coordinates that were never loaded.
  if (cfg.Load_binary(in) == 0) {
    FatalStop(
        {"No configuration could be loaded from the binary file, cannot run this way, "
         "exiting..."});
  }
}

const Converter kToCrystalMaker = {PrintHelp, "CrystalMaker format configuration file ", ".cmtx",
                                   nullptr, &SimpleCfg::SaveCrystalMaker};
const Converter kToExtendedXyz = {PrintXyzHelp, "extended XYZ file ", ".xyz",
                                  &SimpleCfg::CheckBoxForXyz, &SimpleCfg::SaveExtendedXyz};

std::string OutputFileName(const std::string& base_name, int index, int nconf,
                           const std::string& extension) {
  std::string name = base_name;
  if (nconf > 1) {
    const std::unique_ptr<char[]> digits(IntToString(index));
    const std::size_t length = std::char_traits<char>::length(digits.get());
    if (length < 4) name.append(4 - length, '0');
    name.append(digits.get());
  }
  return name + extension;
}

void RunConversion(const std::string& cfg_name, const std::string& base_name,
                   const Converter& converter) {
  ReadConfigurationHeader(cfg_name);
  SimpleCfg cfg;
  {
    // The numbers are read where they stand in the stream's buffer, and each refill is a call to
    // the system: a large buffer serves the millions of numbers of a large file.
    std::vector<char> buffer(std::size_t{1} << 20);
    std::ifstream in;
    in.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    OpenConfiguration(in, cfg_name);
    ConvertAll(cfg, in, cfg_name, base_name, converter);
  }
  PrintLine(" Finished execution, quit (y)? ->");
  ReadReply();
}
