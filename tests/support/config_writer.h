// Builds configuration files for tests: the text form (one configuration or a collection), the
// binary form, and the CrystalMaker file expected for a choice of atoms, all computed here
// independently of the converter's own code.
#ifndef CFG2CMTX_TESTS_SUPPORT_CONFIG_WRITER_H
#define CFG2CMTX_TESTS_SUPPORT_CONFIG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Configuration {
  std::vector<int> ni;         // atoms per type
  double box = 10.0;           // box length (box_scale)
  std::vector<double> coords;  // x y z per atom, 3 * sum(ni) values

  int ntotal() const;
};

// ni given, coordinates drawn uniformly from [-1, 1) with a fixed seed.
Configuration RandomConfiguration(const std::vector<int>& ni, double box, std::uint32_t seed);

// The text form of one configuration: free lines, counts, box length, type blocks, then the
// coordinates written exactly (17 significant digits), one atom per line.
std::string TextConfiguration(const Configuration& conf);

// Several configurations as a *_coll.cfg file: exactly one line between two configurations.
std::string CollectionFile(const std::vector<Configuration>& confs);

// The binary form; lead_word 0 writes none, 4 or 8 writes that leading word.
std::string BinaryConfiguration(const Configuration& conf, int lead_word = 0);

// The *.cmtx text for the given zero-based atoms (in the order given) of conf.
std::string ExpectedCmtx(const Configuration& conf, const std::vector<std::string>& symbols,
                         const std::vector<int>& atoms);

// The *.cmtx text for all atoms of conf.
std::string ExpectedCmtxAll(const Configuration& conf, const std::vector<std::string>& symbols);

}  // namespace testing_support

#endif
