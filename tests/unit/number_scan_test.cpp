// ReadInt and ReadReal against formatted extraction (`in >> value`), the behaviour they must
// reproduce: the value stored (bit for bit), the stream flags and the input left for the next
// read, over random texts read through stream buffers of every refill size.
#include "config/number_scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Shows its text a few characters at a time, so that numbers and white space run across refills.
class ChunkedBuf : public std::streambuf {
 public:
  ChunkedBuf(std::string text, std::size_t chunk) : text_(std::move(text)), chunk_(chunk) {}

 protected:
  int_type underflow() override {
    if (pos_ >= text_.size()) return traits_type::eof();
    const std::size_t count = std::min(chunk_, text_.size() - pos_);
    setg(&text_[pos_], &text_[pos_], &text_[pos_] + count);
    pos_ += count;
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::string text_;
  std::size_t chunk_;
  std::size_t pos_ = 0;
};

// One read ('i' or 'r'): the value stored (the bits of a real) and the flags it left.
std::string Read(std::istream& in, char kind, bool reference) {
  int number = 4711;
  double real = -4711.25;
  if (kind == 'i') reference ? static_cast<void>(in >> number) : ReadInt(in, number);
  if (kind == 'r') reference ? static_cast<void>(in >> real) : ReadReal(in, real);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &real, 8);
  return std::to_string(number) + " " + std::to_string(bits) + (in.eof() ? " eof" : "") +
         (in.fail() ? " fail" : "");
}

// The reads on the reference and on a stream of the given refill size (-1: a string stream);
// empty when everything agrees, the input left over included, else what differed. A read after
// one that failed or met the end of the text shows that such a stream is not read.
std::string Compare(const std::string& text, const std::string& reads, int chunk) {
  std::istringstream reference(text), plain(text);
  ChunkedBuf chunked(text, static_cast<std::size_t>(chunk));
  std::istream candidate(chunk < 0 ? static_cast<std::streambuf*>(plain.rdbuf()) : &chunked);
  std::string expected, actual;
  for (char kind : reads) {
    expected += Read(reference, kind, true) + "; ";
    actual += Read(candidate, kind, false) + "; ";
  }
  for (std::istream* in : {static_cast<std::istream*>(&reference), &candidate}) {
    in->clear();
    for (int c = in->get(); c != EOF; c = in->get())
      (in == &reference ? expected : actual) += char(c);
  }
  return expected == actual ? "" : "expected " + expected + "\ngot      " + actual;
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
        for (int n = pick(20) == 0 ? 300 + pick(500) : 1 + pick(25); n > 0; --n) {
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

TEST(NumberScan, RandomTextsReadAsFormattedExtractionReadsThem) {
  std::mt19937_64 rng(20240611);
  int failures = 0;
  for (long cases = 0; cases < 1000000 && failures < 10; ++cases) {
    const std::string whole = RandomText(rng);
    // Every end of input matters: a short text is cut anywhere.
    const std::string text = whole.substr(0, rng() % (whole.size() + 1) + (rng() % 3) * 1000);
    std::string reads;
    for (auto r = 1 + rng() % 4; r > 0; --r) reads += "ir"[rng() % 2];
    const int chunk = rng() % 4 == 0 ? static_cast<int>(1 + rng() % 6) : -1;
    const std::string difference = Compare(text, reads, chunk);
    if (!difference.empty() && ++failures) {
      ADD_FAILURE() << "reads " << reads << " of [" << text << "], refill " << chunk << ":\n"
                    << difference;
    }
  }
}

}  // namespace
