// Records the two tables that the number unit tests hold ReadInt, ReadReal and FormatFixed7 to:
// what formatted extraction (`in >> value`) does with libstdc++, and what glibc's printf("%.7f")
// writes. The program must behave as these do on every system, while the C++ and C libraries of
// other systems read and print some texts otherwise, so the behaviour is recorded once here. Build
// and run it with GCC on glibc (without libstdc++ and glibc it refuses to build), from the project
// root:
//
//   g++ -std=c++17 -O2 tools/record_number_tables.cpp -o /tmp/record && /tmp/record tests/unit/data
//
// number_scan.txt, a case a line, fields separated by tabs: the refill size of the stream that
// reads (-1 a string stream, else a buffer showing that many characters at a time), the reads
// ('i' an int, 'r' a double), the text, and per read the value stored (the bits of a double) and
// the flags, followed by the input left over. Texts are written with every byte outside the
// printable ASCII characters, every '%' and a space at the end as %XX. number_format.txt: the bits
// of a double in hexadecimal and its printf text. Both are generated from fixed seeds: a new run
// gives the same files unless the libraries changed.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#if !defined(__GLIBCXX__) || !defined(__GLIBC__)
#error "the tables must come from libstdc++ and glibc"
#endif

namespace {

// A space that ends a field is escaped too, so that no line ends in white space that editors and
// patch tools would trim.
std::string Escaped(const std::string& text) {
  std::string out;
  char hex[4];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c > 0x20 && c < 0x7F && c != '%') || (c == ' ' && i + 1 < text.size())) {
      out += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

std::uint64_t BitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// One read ('i' or 'r'): the value stored (the bits of a real) and the flags it left. The values
// before the read show whether the read stored anything.
std::string Read(std::istream& in, char kind) {
  int number = 4711;
  double real = -4711.25;
  if (kind == 'i') in >> number;
  if (kind == 'r') in >> real;
  return std::to_string(number) + " " + std::to_string(BitsOf(real)) + (in.eof() ? " eof" : "") +
         (in.fail() ? " fail" : "") + "; ";
}

// The reads in turn, then everything they left, the flags cleared. A read after one that failed
// or met the end of the text shows that such a stream is not read.
std::string Extracted(const std::string& text, const std::string& reads) {
  std::istringstream in(text);
  std::string result;
  for (char kind : reads) result += Read(in, kind);
  in.clear();
  for (int c = in.get(); c != EOF; c = in.get()) result += static_cast<char>(c);
  return result;
}

// Texts built from the pieces that matter to a number reader: white space, signs, points and
// exponents, junk, the limits of int and double, and numbers as programs print them.
std::string RandomText(std::mt19937_64& rng) {
  static const std::vector<std::string> kPieces = [] {
    std::vector<std::string> pieces(1);
    for (char c : std::string(
             " |\t|\n|\v\f|\r\n|\xa0|x|e|E|+|-|.|inf|nan|0x1A|1e+-5|+.|-.|.e1|1.e2|2147483647|"
             "2147483648|"
             "-2147483648|-2147483649|9223372036854775808|1.7976931348623157e308|"
             "1.7976931348623159e308|-1e400|2.2250738585072011e-308|4.9406564584124654e-324|"
             "2.4703282292062327e-324|2.4703282292062328e-324|1e-400|-1e-400|9007199254740993|-0|"
             "0e999999999|1e-999999999|1e999999999|0.000000000000000000000000000000000000001e40")) {
      if (c == '|') pieces.emplace_back();
      if (c != '|') pieces.back().push_back(c);
    }
    return pieces;
  }();
  const auto pick = [&rng](int high) { return static_cast<int>(rng() % (high + 1)); };
  std::string text;
  char printed[400];
  for (int p = 1 + pick(5); p > 0; --p) {
    switch (pick(4)) {
      case 0:
        text += kPieces[static_cast<std::size_t>(pick(static_cast<int>(kPieces.size()) - 1))];
        break;
      case 1:  // digits, now and then hundreds of them, points and exponents among them
        for (int n = pick(40) == 0 ? 300 + pick(500) : 1 + pick(25); n > 0; --n) {
          text += "0123456789012345678901234567890123456789.eE+-"[pick(pick(8) == 0 ? 44 : 9)];
        }
        break;
      default: {
        double value = (static_cast<double>(rng() % 2000001) / 1e6 - 1.0) * (1 + pick(99));
        const std::uint64_t bits = rng();
        if (pick(2) == 0 && ((bits >> 52) & 0x7FF) != 0x7FF) std::memcpy(&value, &bits, 8);
        const char* const formats[] = {"%.17g", "%.6f", "%g", "%.20e", "%.3E", "%+.8f"};
        std::snprintf(printed, sizeof printed, formats[pick(5)], value);
        text += printed;
      }
    }
  }
  return text;
}

// Numbers beyond the range of a double, which the digits alone or the exponent alone, or the two
// against each other, put there: where a reader tells an overflow from an underflow.
std::vector<std::string> OutOfRangeTexts() {
  const std::string zeros(400, '0');
  return {"1" + zeros,
          "-1" + zeros,
          std::string(400, '9'),
          "1" + zeros + ".5",
          "0." + zeros + "1",
          "-0." + zeros + "9",
          "0." + zeros + "1e800",
          "1" + zeros + "e-800",
          "1" + zeros + "e-90",
          "1" + zeros.substr(91),
          "1" + zeros.substr(92),
          "1e+400",
          "1E400",
          "-1e-400",
          "0.0001e-400",
          "10e-325"};
}

// Plain decimals at the edges of the reader's own conversion of short numbers (19 digits, 2^53,
// 22 decimals) and just past them, where the general conversion takes over: 20 digits that wrap
// to 1 in 64 bits among them.
std::vector<std::string> ShortDecimalEdges() {
  return {"9007199254740992",
          "9007199254740993",
          "-900719925474099.3",
          "0.9007199254740993",
          "1234567890123456789",
          "12345678901234567890",
          "18446744073709551617",
          "0.0000000000000000000001",
          "0.00000000000000000000001",
          "-0.0",
          ".5"};
}

void RecordScans(std::ofstream& table, int cases) {
  std::vector<std::string> fixed = OutOfRangeTexts();
  for (const std::string& edge : ShortDecimalEdges()) fixed.push_back(edge);
  for (const std::string& number : fixed) {
    for (int chunk : {-1, 3}) {
      const std::string text = number + " 7";
      table << chunk << "\tr\t" << Escaped(text) << '\t' << Escaped(Extracted(text, "r")) << '\n';
    }
  }
  std::mt19937_64 rng(20240611);
  for (int i = 0; i < cases; ++i) {
    const std::string whole = RandomText(rng);
    // Every end of input matters: a short text is cut anywhere.
    const std::string text = whole.substr(0, rng() % (whole.size() + 1) + (rng() % 3) * 1000);
    std::string reads;
    for (auto r = 1 + rng() % 4; r > 0; --r) reads += "ir"[rng() % 2];
    const int chunk = rng() % 4 == 0 ? static_cast<int>(1 + rng() % 6) : -1;
    table << chunk << '\t' << reads << '\t' << Escaped(text) << '\t'
          << Escaped(Extracted(text, reads)) << '\n';
  }
}

double FromBits(std::uint64_t bits) {
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void Printed(std::ofstream& table, double value) {
  const std::uint64_t bits = BitsOf(value);
  char text[400];
  std::snprintf(text, sizeof text, "%.7f", value);
  char hex[20];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(bits));
  table << hex << ' ' << text << '\n';
}

void RecordFormats(std::ofstream& table, int rounds) {
  // Zeros, subnormals, the smallest normal, the largest finite, infinities and NaNs of both
  // signs; rounding across the point, and values at and beyond 2^64 units of the seventh decimal.
  for (std::uint64_t bits :
       {0x0ull, 0x1ull, 0x000fffffffffffffull, 0x0010000000000000ull, 0x7fefffffffffffffull,
        0x7ff0000000000000ull, 0x7ff8000000000000ull, 0x7ff0000000000001ull}) {
    Printed(table, FromBits(bits));
    Printed(table, -FromBits(bits));
  }
  for (double value : {1e308, 1e-300, 0.00000005, 0.00000015, 0.99999995, 9.99999995, 47.5,
                       1e15 + 0.5, 9007199254740992.0, 1844674407370.9551, 1844674407370.9553}) {
    Printed(table, value);
    Printed(table, -value);
  }
  std::mt19937_64 rng(11);
  const auto uniform = [&rng](double low, double high) {
    return low + (high - low) * static_cast<double>(rng() >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < rounds; ++i) {
    const double any = FromBits(rng());
    if (!std::isnan(any)) Printed(table, any);
    // Coordinates near [-1, 1] in boxes of every size, and plain values of every magnitude.
    Printed(table, (uniform(-1.2, 1.2) + 1.0) * std::pow(10.0, uniform(-3.0, 4.3)));
    Printed(table, std::pow(10.0, uniform(-9.0, 13.0)) * (rng() % 2 ? 1.0 : -1.0));
    // j / 256 with j odd is an exact tie at the eighth decimal, broken to the even seventh digit,
    // below and beyond 2^64 units; decimal texts ending in 5 give near ties.
    const std::uint64_t wholes[] = {1000, 1ull << 40, 1ull << 44};
    const double whole = static_cast<double>(rng() % wholes[i % 3]);
    Printed(table,
            (i % 4 < 2 ? 1 : -1) * (whole + static_cast<double>(2 * (rng() % 128) + 1) / 256));
    char text[64];
    std::snprintf(text, sizeof text, "%llu.%07llu5", rng() % 100000ull, rng() % 10000000ull);
    Printed(table, std::strtod(text, nullptr));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: record_number_tables FOLDER (tests/unit/data)\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::ofstream scans(folder + "/number_scan.txt", std::ios::binary);
  std::ofstream formats(folder + "/number_format.txt", std::ios::binary);
  // A table that could not be written whole fails the test that compares it.
  RecordScans(scans, 11000);
  RecordFormats(formats, 8000);
  return 0;
}
