// The configuration object: the reduced coordinates of one configuration, sized from the header
// counts held in cfg_state, with the operations that read, choose and write configurations.
#ifndef CFG2CMTX_CONFIG_SIMPLE_CFG_H
#define CFG2CMTX_CONFIG_SIMPLE_CFG_H

#include <cstddef>
#include <istream>
#include <string>

#include "config/cfg_state.h"

class SimpleCfg {
 public:
  SimpleCfg();
  ~SimpleCfg();
  SimpleCfg(const SimpleCfg&) = delete;
  SimpleCfg& operator=(const SimpleCfg&) = delete;

  // Parameter file (params/parameter_file.cpp).
  static void GetCrystalMakerPar(const std::string& par_name, std::string& cfg_name,
                                 std::string& base_name);

  // Text configurations (config/text_reader.cpp). conf_number counts from 1 and only names the
  // configuration in messages.
  static int GetParameters_cfg(std::istream& in);
  void Load(std::istream& in, int conf_number = 1);

  // Binary configurations (config/binary_reader.cpp).
  static void GetParameters_bcf(std::istream& in);
  int Load_binary(std::istream& in);

  // Particle selection (params/selection.cpp).
  static void SelectEvenSpread();
  void CheckSelectedIndex() const;
  void SelectSlab();

  // Output (output/crystalmaker_writer.cpp, output/extended_xyz_writer.cpp).
  void SaveCrystalMaker(const std::string& name) const;
  void SaveExtendedXyz(const std::string& name) const;
  // Stops the run when the extended XYZ file could not describe the box of the configuration
  // just loaded.
  static void CheckBoxForXyz(const std::string& cfg_name, int conf_number);

  // The x y z of an atom of the given type (atom is its index in the whole configuration). Here,
  // so that the writers' loops over millions of atoms need no call for it.
  const double* Triple(std::size_t type, int atom) const {
    return type_coords[type] + 3 * static_cast<std::size_t>(atom - cfg_state.type_start[type]);
  }

  double* coords = nullptr;        // 3 * ntotal reduced coordinates, x y z per atom
  double** type_coords = nullptr;  // per type, the first triple of that type
};

#endif
