// The least work any converter has to do for one configuration, as the yardstick of the
// benchmark: read the file, turn the 3 * ntotal numbers into doubles (std::from_chars for text),
// format each length with std::to_chars (fixed, 7 decimals), and write each atom line followed
// by a flush. It writes the same *.cmtx text as cfg2cmtx, so the benchmark can compare outputs.
//
//   limit text|binary INPUT OUTPUT all|AXIS,LOW,HIGH SYMBOL...
//
// "all" writes every atom (cfg2cmtx option 2 with full counts); AXIS,LOW,HIGH keeps the atoms
// whose reduced coordinate on AXIS lies in [LOW, HIGH] (option 4). Inputs are trusted: this is
// a measuring tool, not a reader.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct Header {
  int ntotal = 0;
  std::vector<int> ni;
  double box = 0.0;
};

struct Slab {
  bool all = true;
  int axis = 0;
  double low = 0.0;
  double high = 0.0;
};

std::string ReadWhole(const char* path) {
  std::string data;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return data;
  char chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.append(chunk, got);
  std::fclose(file);
  return data;
}

class TextCursor {
 public:
  TextCursor(const char* begin, const char* end) : p_(begin), end_(end) {}

  void SkipLines(int count) {
    for (int i = 0; i < count; ++i) {
      const void* nl = std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_));
      p_ = nl == nullptr ? end_ : static_cast<const char*>(nl) + 1;
    }
  }

  template <typename T>
  T Number() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
    T value{};
    p_ = std::from_chars(p_, end_, value).ptr;
    return value;
  }

 private:
  const char* p_;
  const char* end_;
};

Header TextHeader(TextCursor& in) {
  Header header;
  in.SkipLines(6);
  header.ntotal = in.Number<int>();
  in.SkipLines(1);
  const int ntypes = in.Number<int>();
  in.SkipLines(6);
  header.box = in.Number<double>();
  in.SkipLines(4);
  for (int k = 0; k < ntypes; ++k) {
    header.ni.push_back(in.Number<int>());
    in.SkipLines(4);
  }
  return header;
}

std::int32_t Int32At(const char* p) {
  std::uint32_t bits = 0;
  for (int b = 3; b >= 0; --b) bits = (bits << 8) | static_cast<unsigned char>(p[b]);
  return static_cast<std::int32_t>(bits);
}

double DoubleAt(const char* p) {
  double value = 0.0;
  std::memcpy(&value, p, sizeof value);  // the bench machines are little-endian
  return value;
}

class LineWriter {
 public:
  explicit LineWriter(std::FILE* out) : out_(out) {}

  void Keyword(const char* word) {
    std::fputs(word, out_);
    std::fflush(out_);
  }

  void Atom(const std::string& symbol, const double* reduced, double box) {
    char line[1024];
    char* p = line;
    std::memcpy(p, symbol.data(), symbol.size());
    p += symbol.size();
    *p++ = ' ';
    std::memcpy(p, symbol.data(), symbol.size());
    p += symbol.size();
    *p++ = ' ';
    for (int axis = 0; axis < 3; ++axis) {
      p = std::to_chars(p, line + sizeof line, (reduced[axis] + 1.0) * box,
                        std::chars_format::fixed, 7)
              .ptr;
      *p++ = ' ';
    }
    *p++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(p - line), out_);
    std::fflush(out_);
  }

 private:
  std::FILE* out_;
};

bool Chosen(const Slab& slab, const double* reduced) {
  if (slab.all) return true;
  const double x = reduced[slab.axis];
  return slab.low <= x && x <= slab.high;
}

Slab ParseSlab(const char* text) {
  Slab slab;
  if (std::strcmp(text, "all") == 0) return slab;
  slab.all = false;
  char* rest = nullptr;
  slab.axis = static_cast<int>(std::strtol(text, &rest, 10));
  slab.low = std::strtod(rest + 1, &rest);
  slab.high = std::strtod(rest + 1, &rest);
  return slab;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s text|binary INPUT OUTPUT all|AXIS,LOW,HIGH SYMBOL...\n",
                 argv[0]);
    return 2;
  }
  const bool text = std::strcmp(argv[1], "text") == 0;
  const std::string data = ReadWhole(argv[2]);
  const Slab slab = ParseSlab(argv[4]);
  std::vector<std::string> symbols(argv + 5, argv + argc);
  std::FILE* out = std::fopen(argv[3], "w");
  if (data.empty() || out == nullptr) {
    std::fprintf(stderr, "cannot read %s or write %s\n", argv[2], argv[3]);
    return 1;
  }
  LineWriter writer(out);
  writer.Keyword("MOLE\n");
  writer.Keyword("ATOM\n");

  TextCursor cursor(data.data(), data.data() + data.size());
  Header header;
  const char* binary = data.data();
  if (text) {
    header = TextHeader(cursor);
  } else {
    const int first = Int32At(binary);
    binary += first == 4 || first == 8 ? 4 : 0;
    header.ntotal = Int32At(binary);
    const int ntypes = Int32At(binary + 4);
    binary += 8;
    for (int k = 0; k < ntypes; ++k, binary += 4) header.ni.push_back(Int32At(binary));
    header.box = DoubleAt(binary);
    binary += 8;
  }
  for (std::size_t k = 0; k < header.ni.size() && k < symbols.size(); ++k) {
    for (int a = 0; a < header.ni[k]; ++a) {
      double reduced[3];
      for (double& value : reduced) {
        if (text) {
          value = cursor.Number<double>();
        } else {
          value = DoubleAt(binary);
          binary += 8;
        }
      }
      if (Chosen(slab, reduced)) writer.Atom(symbols[k], reduced, header.box);
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
