// The one program-wide record of the conversion state. The parameter half is filled from the
// parameter file, the configuration half from the header of the configuration file; the
// selection step rewrites the selection fields. Every field starts at zero and empty.
#ifndef CFG2CMTX_CONFIG_CFG_STATE_H
#define CFG2CMTX_CONFIG_CFG_STATE_H

#include <cstddef>
#include <string>
#include <vector>

// Values of input_kind: which reader the configuration file needs.
constexpr int kTextSingle = 1;      // *.cfg, one configuration
constexpr int kBinary = 2;          // *.bcf, one configuration
constexpr int kTextCollection = 3;  // *_coll.cfg, configurations one after another

// Values of choose_part: how the atoms to write are chosen.
constexpr int kEvenSpread = 1;  // spread evenly over each type; the list is written to "index"
constexpr int kFirstAtoms = 2;  // the first atoms of each type
constexpr int kIndexList = 3;   // the atoms listed at the end of the parameter file
constexpr int kSlab = 4;        // the atoms between two planes, chosen anew per configuration

// Values of box_shape: the periodic box of the configurations.
constexpr int kCubicBox = 0;       // binary files, which give only a length, are cubic
constexpr int kOctahedralBox = 1;  // the truncated octahedron inscribed in the cube
constexpr int kOtherBox = 2;       // any other box, or one that changes within a collection

struct CfgState {
  // Parameter half.
  int input_kind = 0;
  int nconf = 0;
  int ntypes_par = 0;
  int choose_part = 0;
  int plane_axis = 0;
  double plane_min = 0.0;
  double plane_max = 0.0;
  std::vector<std::string> type_symbol;
  std::vector<int> nused;
  int nused_total = 0;
  // Zero-based atom indices: the first sum(nused) entries are the chosen atoms, ascending, type
  // by type.
  std::vector<int> selected_index;
  // Per type, the position in selected_index where that type's run of entries begins.
  std::vector<std::size_t> type_selected;

  // Configuration half.
  int ntotal = 0;
  int ntypes = 0;
  std::vector<int> ni;
  std::vector<int> type_start;  // ntypes + 1 prefix sums of ni
  double box_scale = 0.0;
  // Read with every configuration; only cfg2xyz, which writes the box, looks at it.
  int box_shape = kCubicBox;
};

extern CfgState cfg_state;

// Back to the start-up state; test and fuzz harnesses run many conversions in one process.
void ResetCfgState();

#endif
