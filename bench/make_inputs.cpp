// Writes the large inputs of the benchmark into a folder:
//   big.cfg         one text configuration of 1,000,000 atoms of 3 types
//   big.bcf         the same configuration in the binary form
//   many_coll.cfg   a collection of 200 configurations of 5,000 atoms each
// and one parameter file per case: {text,binary,coll}_{all,slab}.par (option 2 writing every
// atom, option 4 keeping the slab -0.2 <= z <= 0.2).
//
// Coordinates have six decimals, as configuration files usually carry them. The binary file
// holds the doubles that the text spells, so both forms convert to the same output.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {
const char* const kSymbols[3] = {"Si", "O", "Na"};
const double kBox = 47.5;

struct Model {
  std::vector<int> ni;
  std::vector<std::int32_t> micro;  // reduced coordinates in millionths, x y z per atom
};

Model RandomModel(const std::vector<int>& ni, std::mt19937_64& rng) {
  Model model;
  model.ni = ni;
  std::size_t atoms = 0;
  for (int n : ni) atoms += static_cast<std::size_t>(n);
  std::uniform_int_distribution<std::int32_t> value(-999999, 999999);
  model.micro.resize(3 * atoms);
  for (std::int32_t& v : model.micro) v = value(rng);
  return model;
}

int Total(const Model& model) {
  int total = 0;
  for (int n : model.ni) total += n;
  return total;
}

void AppendText(std::string& out, const Model& model) {
  char line[128];
  out += " Benchmark configuration\n (Version 3 format configuration file)\n\n\n";
  out += "         0         0         0 moves generated, tried, accepted\n";
  out += "         0                     configurations saved\n";
  std::snprintf(line, sizeof line, "%10d molecules of all types\n", Total(model));
  out += line;
  std::snprintf(line, sizeof line, "%10zu types of molecules\n", model.ni.size());
  out += line;
  out += "         1 is the largest number of atoms in a molecule\n";
  out += "         0 Euler angles are provided\n\n";
  out += "          F (Box is not truncated octahedral)\n";
  out += "            Defining vectors are:\n";
  std::snprintf(line, sizeof line, "%20.6f%12.6f%12.6f\n", kBox, 0.0, 0.0);
  out += line;
  std::snprintf(line, sizeof line, "%20.6f%12.6f%12.6f\n", 0.0, kBox, 0.0);
  out += line;
  std::snprintf(line, sizeof line, "%20.6f%12.6f%12.6f\n\n", 0.0, 0.0, kBox);
  out += line;
  for (std::size_t k = 0; k < model.ni.size(); ++k) {
    std::snprintf(line, sizeof line, "%10d molecules of type%3zu\n", model.ni[k], k + 1);
    out += line;
    std::snprintf(line, sizeof line, "%10d atomic sites in molecule of type%3zu\n", 1, k + 1);
    out += line;
    out += "           0.000000    0.000000    0.000000\n\n";
  }
  for (std::size_t v = 0; v < model.micro.size(); v += 3) {
    const int length =
        std::snprintf(line, sizeof line, "%12.6f%12.6f%12.6f\n", model.micro[v] / 1e6,
                      model.micro[v + 1] / 1e6, model.micro[v + 2] / 1e6);
    out.append(line, static_cast<std::size_t>(length));
  }
}

void AppendInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFF));
}

void AppendDouble(std::string& out, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (int b = 0; b < 8; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFF));
}

std::string Binary(const Model& model) {
  std::string out;
  AppendInt32(out, Total(model));
  AppendInt32(out, static_cast<std::int32_t>(model.ni.size()));
  for (int n : model.ni) AppendInt32(out, n);
  AppendDouble(out, kBox);
  // A millionth divided in double precision is the correctly rounded value of the decimal
  // text, the same double that reading the text gives.
  for (std::int32_t v : model.micro) AppendDouble(out, v / 1e6);
  return out;
}

bool WriteFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && ok;
}

std::string Parameters(const std::string& cfg_name, int nconf, bool slab) {
  std::string text = cfg_name + "\n" + std::to_string(nconf) + "\n3\n";
  text += slab ? "4  2  -0.2 0.2\n" : "2\n";
  for (const char* symbol : kSymbols) {
    text += symbol;
    text += slab ? "\n" : " 1000000\n";
  }
  return text;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  std::mt19937_64 rng(20240611);

  const Model big = RandomModel({400000, 350000, 250000}, rng);
  std::string text;
  AppendText(text, big);
  bool ok = WriteFile(dir + "big.cfg", text);
  ok = ok && WriteFile(dir + "big.bcf", Binary(big));

  std::string collection;
  for (int c = 0; c < 200; ++c) {
    if (c > 0) collection += " \n";  // the one line between two configurations
    AppendText(collection, RandomModel({2000, 1750, 1250}, rng));
  }
  ok = ok && WriteFile(dir + "many_coll.cfg", collection);

  ok = ok && WriteFile(dir + "text_all.par", Parameters("big.cfg", 1, false));
  ok = ok && WriteFile(dir + "text_slab.par", Parameters("big.cfg", 1, true));
  ok = ok && WriteFile(dir + "binary_all.par", Parameters("big.bcf", 1, false));
  ok = ok && WriteFile(dir + "binary_slab.par", Parameters("big.bcf", 1, true));
  ok = ok && WriteFile(dir + "coll_all.par", Parameters("many_coll.cfg", 200, false));
  ok = ok && WriteFile(dir + "coll_slab.par", Parameters("many_coll.cfg", 200, true));
  if (!ok) {
    std::fprintf(stderr, "cannot write the inputs into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
