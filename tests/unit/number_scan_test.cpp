// ReadInt and ReadReal against formatted extraction, the behaviour they must reproduce: the
// value stored (bit for bit), the stream flags and the input left for the next read.
#include "config/number_scan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// Formatted extraction itself: the reference that ReadInt and ReadReal must match.
void ReadIntStream(std::istream& in, int& value) { in >> value; }
void ReadRealStream(std::istream& in, double& value) { in >> value; }

#if defined(__SANITIZE_ADDRESS__)
constexpr long kRandomCases = 100000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kRandomCases = 100000;
#else
constexpr long kRandomCases = 1000000;
#endif
#else
constexpr long kRandomCases = 1000000;
#endif

// A stream buffer that shows its text a few characters at a time (chunk > 0), or, with chunk 0,
// has no get area at all and hands out single characters, so that numbers and white space run
// across refills.
class ChunkedBuf : public std::streambuf {
 public:
  ChunkedBuf(std::string text, std::size_t chunk) : text_(std::move(text)), chunk_(chunk) {}

 protected:
  int_type underflow() override {
    if (chunk_ == 0) {
      return pos_ < text_.size() ? traits_type::to_int_type(text_[pos_]) : traits_type::eof();
    }
    if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (pos_ >= text_.size()) return traits_type::eof();
    const std::size_t count = std::min(chunk_, text_.size() - pos_);
    char* first = text_.data() + pos_;
    setg(first, first, first + count);
    pos_ += count;
    return traits_type::to_int_type(*first);
  }

  int_type uflow() override {
    if (chunk_ != 0) return std::streambuf::uflow();
    return pos_ < text_.size() ? traits_type::to_int_type(text_[pos_++]) : traits_type::eof();
  }

 private:
  std::string text_;
  std::size_t chunk_;
  std::size_t pos_ = 0;
};

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\v':
        out += "\\v";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        out += c;
    }
  }
  return "\"" + out + "\"";
}

std::string Rest(std::istream& in) {
  std::string rest;
  std::streambuf* buf = in.rdbuf();
  for (int c = buf->sbumpc(); c != std::char_traits<char>::eof(); c = buf->sbumpc()) {
    rest.push_back(static_cast<char>(c));
  }
  return rest;
}

std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double FromBits(std::uint64_t bits) {
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string StateText(std::ios::iostate state) {
  std::string text;
  if (state & std::ios::eofbit) text += "eof ";
  if (state & std::ios::failbit) text += "fail ";
  if (state & std::ios::badbit) text += "bad ";
  return text.empty() ? "good" : text;
}

// One read and what it left: the stored value (its bits for a real) and the flags.
struct Outcome {
  std::uint64_t value = 0;
  std::ios::iostate state = std::ios::goodbit;
  bool operator==(const Outcome& other) const {
    return value == other.value && state == other.state;
  }
};

std::string Describe(const Outcome& outcome, bool real) {
  char text[96];
  if (real) {
    std::snprintf(text, sizeof text, "%.17g (bits %016llx), ", FromBits(outcome.value),
                  static_cast<unsigned long long>(outcome.value));
  } else {
    std::snprintf(text, sizeof text, "%d, ",
                  static_cast<int>(static_cast<std::int64_t>(outcome.value)));
  }
  return text + StateText(outcome.state);
}

// Values a read starts from, so that a read that stores nothing is told apart.
constexpr int kIntBefore = 4711;
const std::uint64_t kRealBefore = 0x7ff4000000000123ull;  // a NaN no read can produce

Outcome ReadOne(std::istream& in, bool real, bool fast) {
  Outcome outcome;
  if (real) {
    double value = FromBits(kRealBefore);
    if (fast) {
      ReadReal(in, value);
    } else {
      ReadRealStream(in, value);
    }
    outcome.value = Bits(value);
  } else {
    int value = kIntBefore;
    if (fast) {
      ReadInt(in, value);
    } else {
      ReadIntStream(in, value);
    }
    outcome.value = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
  }
  outcome.state = in.rdstate();
  return outcome;
}

// Runs the reads (true: a real, false: an integer) on the reference stream and on a stream of
// the given chunking; returns an empty text when every read agrees, else what differed.
std::string Compare(const std::string& text, const std::vector<bool>& reads, int chunk,
                    bool skip_white) {
  std::istringstream reference(text);
  ChunkedBuf chunked(text, static_cast<std::size_t>(chunk < 0 ? 0 : chunk));
  std::istringstream plain(text);
  std::streambuf* source = chunk < 0 ? static_cast<std::streambuf*>(plain.rdbuf()) : &chunked;
  std::istream candidate(source);
  if (!skip_white) {
    reference >> std::noskipws;
    candidate >> std::noskipws;
  }
  for (std::size_t r = 0; r < reads.size(); ++r) {
    const Outcome expected = ReadOne(reference, reads[r], false);
    const Outcome actual = ReadOne(candidate, reads[r], true);
    if (!(expected == actual)) {
      return "read " + std::to_string(r + 1) + (reads[r] ? " (real)" : " (integer)") +
             ": expected " + Describe(expected, reads[r]) + ", got " + Describe(actual, reads[r]);
    }
  }
  reference.clear();
  candidate.clear();
  const std::string expected_rest = Rest(reference);
  const std::string actual_rest = Rest(candidate);
  if (expected_rest != actual_rest) {
    return "rest of input: expected " + Escaped(expected_rest) + ", got " + Escaped(actual_rest);
  }
  return "";
}

std::string Chunking(int chunk) {
  if (chunk < 0) return "string stream";
  if (chunk == 0) return "buffer without get area";
  return "get area of " + std::to_string(chunk) + " characters";
}

// Texts built from the pieces that matter to a number reader.
class TextMaker {
 public:
  explicit TextMaker(std::uint32_t seed) : rng_(seed) {}

  std::string Make() {
    std::string text;
    const int pieces = Pick(1, 6);
    for (int p = 0; p < pieces; ++p) AppendPiece(text);
    return text;
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  template <std::size_t N>
  int Any(const char* const (&)[N]) {
    return Pick(0, static_cast<int>(N) - 1);
  }

 private:
  void AppendPiece(std::string& text) {
    static const char* const kSpace[] = {" ", "\t", "\n", "\v", "\f", "\r", "\r\n", "  "};
    static const char* const kJunk[] = {"\xa0", "\x85", "x",  "X",   "a",   "i",     "n",   "f",
                                        "#",    ",",    "e",  "E",   "p",   "inf",   "nan", "INF",
                                        "NaN",  "0x1A", "0x", "1e",  "1e+", "1e+-5", "..",  "+-",
                                        "-+",   "+.",   "-.", ".e1", "1.e2"};
    // The edges of int and long, of double (largest, overflow, smallest normal and subnormal,
    // the ties between them), underflow, and exponents far beyond any range.
    // clang-format off
    static const char* const kLimits[] = {
        "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967296", "99999999999",
        "9223372036854775807", "9223372036854775808", "-9223372036854775808",
        "-9223372036854775809", "18446744073709551616",
        "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308",
        "-1.7976931348623159e308", "1e308", "1e309", "1e400", "-1e400",
        "2.2250738585072014e-308", "2.2250738585072011e-308", "4.9406564584124654e-324",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "1e-320", "1e-400", "-1e-400",
        "9007199254740993", "0.1", "-0", "-0.0", "0e999999999", "1e-999999999", "1e999999999",
        "00000000000000000000001", "0.000000000000000000000000000000000000001e40"};
    // clang-format on
    switch (Pick(0, 12)) {
      case 0:
      case 1:
        text += kSpace[Any(kSpace)];
        break;
      case 2:
        text += Digits(Pick(1, 3));
        break;
      case 3:
        text += Digits(Pick(15, 25));
        break;
      case 4:
        text += "+-.eE"[Pick(0, 4)];
        break;
      case 5:
        text += kJunk[Any(kJunk)];
        break;
      case 6:
        text += kLimits[Any(kLimits)];
        break;
      case 7:
        text += Printed();
        break;
      case 8:
        text += " " + Printed();
        break;
      case 9:
        text += Digits(1) + "." + Digits(Pick(1, 8));
        break;
      case 10:
        text += Digits(Pick(1, 2)) + "eE"[Pick(0, 1)] + "+- "[Pick(0, 2)] + Digits(Pick(1, 3));
        break;
      case 11:
        text += Pick(0, 20) == 0 ? Digits(Pick(300, 800)) : Digits(Pick(4, 9));
        break;
      default:
        text += '-' + Digits(Pick(1, 12));
        break;
    }
  }

  std::string Digits(int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + Pick(0, 9));
    return digits;
  }

  // A double as a program would print it: any bit pattern (subnormals, huge values) or an
  // ordinary coordinate, in one of the common notations.
  std::string Printed() {
    double value = 0.0;
    if (Pick(0, 2) == 0) {
      value = FromBits(std::uniform_int_distribution<std::uint64_t>()(rng_));
      if (value != value || value == std::numeric_limits<double>::infinity() ||
          value == -std::numeric_limits<double>::infinity()) {
        value = 1.5;
      }
    } else {
      value = std::uniform_real_distribution<double>(-1.0, 1.0)(rng_) * Pick(1, 100);
    }
    static const char* const kFormats[] = {"%.17g", "%.6f", "%g", "%.20e", "%.3E", "%+.8f"};
    char text[400];
    std::snprintf(text, sizeof text, kFormats[Any(kFormats)], value);
    return text;
  }

  std::mt19937 rng_;
};

TEST(NumberScanDifferential, RandomTextsReadAsFormattedExtractionReadsThem) {
  TextMaker maker(20240611);
  long cases = 0;
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  while (cases < kRandomCases && failures < 10) {
    const std::string text = maker.Make();
    // Every end of input: each prefix of a short text, a few of a long one.
    std::vector<std::size_t> lengths;
    if (text.size() <= 48) {
      for (std::size_t n = 0; n <= text.size(); ++n) lengths.push_back(n);
    } else {
      lengths.push_back(text.size());
      for (int k = 0; k < 8; ++k) {
        lengths.push_back(static_cast<std::size_t>(maker.Pick(0, static_cast<int>(text.size()))));
      }
    }
    for (std::size_t length : lengths) {
      std::vector<bool> reads(static_cast<std::size_t>(maker.Pick(1, 4)));
      for (std::size_t r = 0; r < reads.size(); ++r) reads[r] = maker.Pick(0, 1) == 1;
      const int chunk = maker.Pick(0, 3) == 0 ? maker.Pick(0, 6) : -1;
      const bool skip_white = true;
      const std::string input = text.substr(0, length);
      const std::string difference = Compare(input, reads, chunk, skip_white);
      ++cases;
      if (!difference.empty()) {
        ADD_FAILURE() << "input " << Escaped(input) << " read through a " << Chunking(chunk)
                      << (skip_white ? "" : " without skipping white space") << ": " << difference;
        ++failures;
      }
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%ld differential cases in %.2f s\n", cases, seconds);
  EXPECT_GE(cases, kRandomCases);
}

// Large texts through a file stream, whose buffer boundaries fall wherever they fall.
TEST(NumberScanDifferential, FileStreamsReadTheSameSequence) {
  testing_support::ScratchDir dir;
  TextMaker maker(7);
  std::string text;
  while (text.size() < 300000) text += maker.Make() + " ";
  dir.Write("numbers.txt", text);
  std::ifstream reference(dir.File("numbers.txt"));
  std::ifstream candidate(dir.File("numbers.txt"));
  std::mt19937 pick(3);
  long reads = 0;
  while (reference.good() || candidate.good()) {
    const bool real = pick() % 2 == 0;
    const Outcome expected = ReadOne(reference, real, false);
    const Outcome actual = ReadOne(candidate, real, true);
    ASSERT_EQ(expected, actual) << "read " << reads + 1 << ": expected " << Describe(expected, real)
                                << ", got " << Describe(actual, real);
    ++reads;
    // Like a reader that goes on after a bad number: drop the character that stopped it.
    if (reference.fail() && !reference.eof()) {
      reference.clear();
      candidate.clear();
      reference.get();
      candidate.get();
    }
  }
  EXPECT_GT(reads, 10000);
}

struct EdgeCase {
  const char* text;
  bool real;
  double value;  // for an integer read, the int value
  std::ios::iostate state;
  const char* rest;
};

constexpr std::ios::iostate kGood = std::ios::goodbit;
constexpr std::ios::iostate kFail = std::ios::failbit;
constexpr std::ios::iostate kEof = std::ios::eofbit;
const double kMax = std::numeric_limits<double>::max();

const EdgeCase kEdgeCases[] = {
    {"abc", true, 0.0, kFail, "abc"},
    {"abc", false, 0, kFail, "abc"},
    {"1e", true, 0.0, kFail | kEof, ""},
    {"1e ", true, 0.0, kFail, " "},
    {"1e+-5", true, 0.0, kFail, "-5"},
    {"+", true, 0.0, kFail | kEof, ""},
    {"-", true, 0.0, kFail | kEof, ""},
    {"+", false, 0, kFail | kEof, ""},
    {"- 5", false, 0, kFail, " 5"},
    {".", true, 0.0, kFail | kEof, ""},
    {".x", true, 0.0, kFail, "x"},
    {"inf", true, 0.0, kFail, "inf"},
    {"nan", true, 0.0, kFail, "nan"},
    {"0x1A", true, 0.0, kGood, "x1A"},
    {"0x1A", false, 0, kGood, "x1A"},
    {"1e400", true, kMax, kFail | kEof, ""},
    {"-1e400 ", true, -kMax, kFail, " "},
    {"1e-400", true, 0.0, kEof, ""},
    {"-1e-400\n", true, -0.0, kGood, "\n"},
    {"99999999999", false, INT_MAX, kFail | kEof, ""},
    {"-99999999999 1", false, INT_MIN, kFail, " 1"},
    {"2147483648", false, INT_MAX, kFail | kEof, ""},
    {"-2147483648", false, INT_MIN, kEof, ""},
    {"99999999999999999999999", false, INT_MAX, kFail | kEof, ""},
    {"+17", false, 17, kEof, ""},
    {"+2.5", true, 2.5, kEof, ""},
    {"1.5.2", true, 1.5, kGood, ".2"},
    {"25.6 rest", false, 25, kGood, ".6 rest"},
    {".5", false, 0, kFail, ".5"},
    {" \t\n\v\f\r 42\r\n", false, 42, kGood, "\r\n"},
    {" \t\n\v\f\r -0.25\r\n", true, -0.25, kGood, "\r\n"},
    {"1.e2x", true, 100.0, kGood, "x"},
    {"1E+2", true, 100.0, kEof, ""},
    {"12e3.4", true, 12000.0, kGood, ".4"},
};

std::string FormatEdge(const EdgeCase& edge) {
  return std::string(edge.real ? "real" : "integer") + " from " + Escaped(edge.text);
}

TEST(NumberScanEdges, NamedCasesGiveTheLibraryResults) {
  for (const EdgeCase& edge : kEdgeCases) {
    SCOPED_TRACE(FormatEdge(edge));
    for (bool fast : {false, true}) {
      SCOPED_TRACE(fast ? "ReadInt/ReadReal" : "formatted extraction");
      std::istringstream in(edge.text);
      const Outcome outcome = ReadOne(in, edge.real, fast);
      Outcome expected;
      expected.value =
          edge.real
              ? Bits(edge.value)
              : static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<int>(edge.value)));
      expected.state = edge.state;
      EXPECT_EQ(outcome, expected) << "got " << Describe(outcome, edge.real);
      in.clear();
      EXPECT_EQ(Rest(in), edge.rest);
    }
  }
}

// A stream that is already failed or at its end, or that holds nothing but white space, is not
// read into the target, which keeps its value.
struct NothingStored {
  const char* text;
  std::ios::iostate start;
  std::ios::iostate end;
  const char* rest;
};

const NothingStored kNothingStored[] = {
    {"12 34", kFail, kFail, "12 34"},
    {"12 34", kEof, kEof | kFail, "12 34"},
    {"12 34", kFail | kEof, kFail | kEof, "12 34"},
    {" \t\n\v\f\r\n", kGood, kEof | kFail, ""},
    {"", kGood, kEof | kFail, ""},
};

TEST(NumberScanEdges, NothingToReadStoresNothing) {
  for (const NothingStored& edge : kNothingStored) {
    for (bool real : {false, true}) {
      for (bool fast : {false, true}) {
        SCOPED_TRACE(Escaped(edge.text) + " starting " + StateText(edge.start) +
                     (real ? ", real" : ", integer") +
                     (fast ? ", ReadInt/ReadReal" : ", formatted extraction"));
        std::istringstream in(edge.text);
        in.setstate(edge.start);
        const Outcome outcome = ReadOne(in, real, fast);
        EXPECT_EQ(outcome.value, real ? kRealBefore : static_cast<std::uint64_t>(kIntBefore));
        EXPECT_EQ(StateText(outcome.state), StateText(edge.end));
        in.clear();
        EXPECT_EQ(Rest(in), edge.rest);
      }
    }
  }
}

}  // namespace
