#include "support/config_writer.h"

#include <cstdio>
#include <cstring>
#include <random>

namespace testing_support {

int Configuration::ntotal() const {
  int total = 0;
  for (int n : ni) total += n;
  return total;
}

Configuration RandomConfiguration(const std::vector<int>& ni, double box, std::uint32_t seed) {
  Configuration conf;
  conf.ni = ni;
  conf.box = box;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> reduced(-1.0, 1.0);
  conf.coords.resize(3 * static_cast<std::size_t>(conf.ntotal()));
  for (double& value : conf.coords) value = reduced(rng);
  return conf;
}

namespace {
std::string Exact(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

void AppendLe(std::string& out, const void* value, std::size_t size) {
  unsigned char bytes[8];
  std::memcpy(bytes, value, size);
  // The test machines are little-endian; the converter must read this order anywhere.
  for (std::size_t b = 0; b < size; ++b) out.push_back(static_cast<char>(bytes[b]));
}

void AppendInt(std::string& out, int value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFF));
}

std::string Fixed7(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.7f", value);
  return text;
}
}  // namespace

std::string TextConfiguration(const Configuration& conf) {
  std::string text;
  text += " (Version 3 format configuration file)\n";
  text += " Test configuration\n\n\n";
  text += "         0         0         0 moves generated, tried, accepted\n";
  text += "         0                     configurations saved\n";
  text += "      " + std::to_string(conf.ntotal()) + " molecules of all types\n";
  text += "      " + std::to_string(conf.ni.size()) + " types of molecules\n";
  text += "        1 is the largest number of atoms in a molecule\n";
  text += "        0 Euler angles are provided\n\n";
  text += "          F (Box is not truncated octahedral)\n";
  text += "            Defining vectors are:\n";
  text += "     " + Exact(conf.box) + "    0.000000    0.000000\n";
  text += "        0.000000   " + Exact(conf.box) + "    0.000000\n";
  text += "        0.000000    0.000000   " + Exact(conf.box) + "\n\n";
  for (std::size_t k = 0; k < conf.ni.size(); ++k) {
    const std::string type = std::to_string(k + 1);
    text += "      " + std::to_string(conf.ni[k]) + " molecules of type  " + type + "\n";
    text += "        1 atomic sites in molecule of type  " + type + "\n";
    text += "           0.000000    0.000000    0.000000\n\n";
  }
  for (std::size_t a = 0; a + 2 < conf.coords.size(); a += 3) {
    text += "  " + Exact(conf.coords[a]) + " " + Exact(conf.coords[a + 1]) + " " +
            Exact(conf.coords[a + 2]) + "\n";
  }
  return text;
}

std::string CollectionFile(const std::vector<Configuration>& confs) {
  std::string text;
  for (std::size_t c = 0; c < confs.size(); ++c) {
    text += TextConfiguration(confs[c]);
    if (c + 1 < confs.size()) text += " \n";  // the one line between two configurations
  }
  return text;
}

std::string BinaryConfiguration(const Configuration& conf, int lead_word) {
  std::string out;
  if (lead_word != 0) AppendInt(out, lead_word);
  AppendInt(out, conf.ntotal());
  AppendInt(out, static_cast<int>(conf.ni.size()));
  for (int n : conf.ni) AppendInt(out, n);
  AppendLe(out, &conf.box, 8);
  for (double value : conf.coords) AppendLe(out, &value, 8);
  return out;
}

std::string ExpectedCmtx(const Configuration& conf, const std::vector<std::string>& symbols,
                         const std::vector<int>& atoms) {
  std::string text = "MOLE\nATOM\n";
  for (int atom : atoms) {
    int type = 0;
    for (int start = conf.ni[0]; atom >= start; start += conf.ni[static_cast<std::size_t>(type)]) {
      ++type;
    }
    const std::string& symbol = symbols[static_cast<std::size_t>(type)];
    text += symbol + " " + symbol + " ";
    for (int axis = 0; axis < 3; ++axis) {
      const double reduced =
          conf.coords[3 * static_cast<std::size_t>(atom) + static_cast<std::size_t>(axis)];
      text += Fixed7((reduced + 1.0) * conf.box) + " ";
    }
    text += "\n";
  }
  return text;
}

std::string ExpectedCmtxAll(const Configuration& conf, const std::vector<std::string>& symbols) {
  std::vector<int> atoms(static_cast<std::size_t>(conf.ntotal()));
  for (std::size_t a = 0; a < atoms.size(); ++a) atoms[a] = static_cast<int>(a);
  return ExpectedCmtx(conf, symbols, atoms);
}

}  // namespace testing_support
