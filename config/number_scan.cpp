#include "config/number_scan.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#if defined(CFG2CMTX_USE_FAST_FLOAT)
#include <fast_float/fast_float.h>
#endif

namespace {
using Traits = std::char_traits<char>;

// Where the C++ library has no floating-point from_chars (libc++ before version 20, Apple's SDKs
// before macOS 26), fast_float, on which the other libraries build theirs, reads the number. Both
// round correctly and ignore the locale.
struct Parsed {
  const char* stop;  // the first character after the number
  std::errc error;
};
Parsed ParseDouble(const char* first, const char* last, double& value) {
#if defined(CFG2CMTX_USE_FAST_FLOAT)
  const auto parsed = fast_float::from_chars(first, last, value);
#else
  const auto parsed = std::from_chars(first, last, value);
#endif
  return {parsed.ptr, parsed.ec};
}
constexpr int kEnd = -1;

// The get area of a stream buffer, read in place. Naming the protected members through a
// derived class yields member pointers of std::streambuf itself, which may be applied to any
// stream buffer.
struct GetArea : std::streambuf {
  static const char* Next(std::streambuf* buf) { return (buf->*&GetArea::gptr)(); }
  static const char* End(std::streambuf* buf) { return (buf->*&GetArea::egptr)(); }
  static void Advance(std::streambuf* buf, std::ptrdiff_t count) {
    (buf->*&GetArea::gbump)(static_cast<int>(count));
  }
};

bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// What the istream sentry does before a formatted read of one of the program's file streams
// (which skip white space and are tied to no other stream): refuse a stream that is not good, pass
// over white space. Returns false when nothing may be read; the stream is failed then.
bool StartExtraction(std::istream& in) {
  if (!in.good()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  std::streambuf* buf = in.rdbuf();
  for (;;) {
    const char* p = GetArea::Next(buf);
    const char* end = GetArea::End(buf);
    const char* start = p;
    while (p < end && IsSpace(static_cast<unsigned char>(*p))) ++p;
    GetArea::Advance(buf, p - start);
    if (p < end) return true;
    // The get area is used up: have it refilled, and look at what comes.
    const int c = buf->sgetc();
    if (c == Traits::eof()) {
      in.setstate(std::ios::eofbit | std::ios::failbit);
      return false;
    }
    if (!IsSpace(c)) return true;
    buf->sbumpc();  // a buffer without a get area hands out one character at a time
  }
}

// Characters already in the get area. Running into the end of the area tells nothing about the
// input (more may follow), so a scan that gets there is repeated on a StreamSource.
class AreaSource {
 public:
  explicit AreaSource(std::streambuf* buf)
      : begin_(GetArea::Next(buf)), p_(begin_), end_(GetArea::End(buf)) {}
  int Peek() const { return p_ < end_ ? static_cast<unsigned char>(*p_) : kEnd; }
  void Take() { ++p_; }
  bool ReachedEnd() const { return p_ == end_; }
  const char* begin() const { return begin_; }
  const char* end() const { return p_; }

 private:
  const char* begin_;
  const char* p_;
  const char* end_;
};

// Characters taken one by one from the stream buffer (which refills itself), kept as text.
class StreamSource {
 public:
  explicit StreamSource(std::streambuf* buf) : buf_(buf) {}
  int Peek() const {
    const int c = buf_->sgetc();
    return c == Traits::eof() ? kEnd : c;
  }
  void Take() { text_.push_back(Traits::to_char_type(buf_->sbumpc())); }
  bool ReachedEnd() const { return Peek() == kEnd; }
  const char* begin() const { return text_.data(); }
  const char* end() const { return text_.data() + text_.size(); }

 private:
  std::streambuf* buf_;
  std::string text_;
};

// An integer: an optional sign and the decimal digits that follow. Leading zeros are digits
// like any other, so "0x1A" is the number 0 followed by "x1A".
struct IntScan {
  bool digits = false;
  bool negative = false;
  bool too_large = false;  // the magnitude exceeds what an int can hold
  unsigned long long magnitude = 0;
};

template <typename Source>
IntScan ScanInt(Source& source) {
  IntScan scan;
  int c = source.Peek();
  if (c == '+' || c == '-') {
    scan.negative = c == '-';
    source.Take();
    c = source.Peek();
  }
  constexpr unsigned long long kIntRange = 1ull << 31;  // |INT_MIN|
  while (IsDigit(c)) {
    scan.digits = true;
    if (!scan.too_large) {
      scan.magnitude = scan.magnitude * 10 + static_cast<unsigned>(c - '0');
      scan.too_large = scan.magnitude > kIntRange;
    }
    source.Take();
    c = source.Peek();
  }
  return scan;
}

// The library reads a long and narrows it: a number outside the range of int stores the
// nearest limit, as does one outside the range of long.
std::ios::iostate StoreInt(const IntScan& scan, int& value) {
  if (!scan.digits) {
    value = 0;
    return std::ios::failbit;
  }
  if (scan.negative) {
    if (scan.too_large) {
      value = INT_MIN;
      return std::ios::failbit;
    }
    value = scan.magnitude == (1ull << 31) ? INT_MIN : -static_cast<int>(scan.magnitude);
    return std::ios::goodbit;
  }
  if (scan.too_large || scan.magnitude > static_cast<unsigned long long>(INT_MAX)) {
    value = INT_MAX;
    return std::ios::failbit;
  }
  value = static_cast<int>(scan.magnitude);
  return std::ios::goodbit;
}

// A real as the library collects it: an optional sign, digits with at most one decimal point,
// then, after at least one digit, an 'e' or 'E' with an optional sign and digits. The text is
// taken greedily by these rules even when it does not end up a number ("1e+" of "1e+-5").
struct RealScan {
  bool mantissa = false;         // a digit before any exponent
  bool exponent = false;         // an 'e' or 'E' was taken
  bool exponent_digits = false;  // a digit after it
};

template <typename Source>
RealScan ScanReal(Source& source) {
  RealScan scan;
  bool point = false;
  int c = source.Peek();
  if (c == '+' || c == '-') {
    source.Take();
    c = source.Peek();
  }
  for (;;) {
    if (IsDigit(c)) {
      scan.mantissa = true;
      scan.exponent_digits = scan.exponent;
    } else if (c == '.' && !point && !scan.exponent) {
      point = true;
    } else if ((c == 'e' || c == 'E') && !scan.exponent && scan.mantissa) {
      scan.exponent = true;
      source.Take();
      c = source.Peek();
      if (c != '+' && c != '-') continue;  // the next character is judged on its own
    } else {
      break;
    }
    source.Take();
    c = source.Peek();
  }
  return scan;
}

// Whether an out-of-range number overflows rather than underflows: its first significant digit
// stands far before the point, or far after it. Counting digits and the exponent is enough, since a
// number out of range is off by hundreds of decimal places either way.
bool IsOverflow(const char* p, const char* end) {
  const char* const exponent_mark =
      std::find_if(p, end, [](char c) { return c == 'e' || c == 'E'; });
  long long position = 0;
  bool significant = false;
  bool point = false;
  for (; p != exponent_mark; ++p) {
    point = point || *p == '.';
    significant = significant || (*p >= '1' && *p <= '9');
    if (IsDigit(*p) && significant && !point) ++position;
    if (IsDigit(*p) && !significant && point) --position;
  }
  long long exponent = 0;
  for (; p != end; ++p) {
    if (IsDigit(*p) && exponent < 1000000000) exponent = exponent * 10 + (*p - '0');
  }
  const bool negative = exponent_mark != end && std::find(exponent_mark, end, '-') != end;
  return position + (negative ? -exponent : exponent) > 0;
}

// The conversion of the collected text, correctly rounded. Text that is no number is stored as
// 0, and a magnitude beyond the largest double as the largest, both with the failure flag; a
// magnitude below the smallest is rounded, to zero at worst, and is no failure.
std::ios::iostate StoreReal(const RealScan& scan, const char* begin, const char* end,
                            double& value) {
  if (!scan.mantissa || (scan.exponent && !scan.exponent_digits)) {
    value = 0.0;
    return std::ios::failbit;
  }
  const char* digits = *begin == '+' ? begin + 1 : begin;  // from_chars takes no plus sign
  double result = 0.0;
  // The standard from_chars reports an out-of-range value without one; fast_float gives an
  // infinity or a zero, and newer versions report it too.
  if (ParseDouble(digits, end, result).error == std::errc::result_out_of_range) {
    result = IsOverflow(digits, end) ? std::numeric_limits<double>::infinity() : 0.0;
    if (*digits == '-') result = -result;
  }
  constexpr double kLargest = std::numeric_limits<double>::max();
  if (result > kLargest || result < -kLargest) {
    value = result > 0 ? kLargest : -kLargest;
    return std::ios::failbit;
  }
  value = result;
  return std::ios::goodbit;
}

// The digits of a plain decimal without sign or exponent, up to 19 digits (w), of which k follow
// the point, are w / 10^k: one correctly rounded division, when both are exact doubles (w <= 2^53,
// k <= 22). Most coordinates are such numbers, and in WebAssembly this takes a fraction of the
// general conversion's time. Returns the white space after the number, or nullptr to leave it
// to the general conversion, as every number is left where doubles may be computed in wider
// registers (x87), whose division would round twice.
const char* ReadShortDecimal(const char* p, const char* end, double& value) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
  constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  // Unsigned arithmetic wraps: a value taken from too many digits is never used.
  std::uint64_t w = 0;
  const char* const first = p;
  for (; p < end && IsDigit(*p); ++p) w = w * 10 + static_cast<unsigned>(*p - '0');
  std::ptrdiff_t digits = p - first;
  std::ptrdiff_t after_point = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; p < end && IsDigit(*p); ++p) w = w * 10 + static_cast<unsigned>(*p - '0');
    after_point = p - fraction;
    digits += after_point;
  }
  if (digits == 0 || digits > 19 || w > (std::uint64_t{1} << 53) || after_point > 22) {
    return nullptr;
  }
  // A number that goes on (an exponent, say), or may go on past the get area, is left too.
  if (p == end || !IsSpace(static_cast<unsigned char>(*p))) return nullptr;
  value = static_cast<double>(w) / kExactPowers[after_point];
  return p;
#else
  (void)p, (void)end, (void)value;
  return nullptr;
#endif
}

// The common number, a plain decimal such as -0.2345679 followed by white space in the get
// area, converted at once. Everything else (a '+', "inf", an exponent cut short, a value out of
// range, a number that runs to the end of the area) is left to the scan, which reproduces the
// library's reading to the letter; where this accepts a number, the scan would read the same.
bool ReadPlainReal(std::streambuf* buf, double& value) {
  const char* begin = GetArea::Next(buf);
  const char* end = GetArea::End(buf);
  const bool negative = begin < end && *begin == '-';
  const char* digits = negative ? begin + 1 : begin;
  if (digits == end || !(IsDigit(*digits) || *digits == '.')) return false;
  double result = 0.0;
  // A short decimal has been checked for what follows it, and is finite.
  if (const char* stop = ReadShortDecimal(digits, end, result)) {
    value = negative ? -result : result;
    GetArea::Advance(buf, stop - begin);
    return true;
  }
  const Parsed parsed = ParseDouble(begin, end, result);
  constexpr double kLargest = std::numeric_limits<double>::max();
  if (parsed.error != std::errc() || parsed.stop == end) return false;
  if (!IsSpace(static_cast<unsigned char>(*parsed.stop))) return false;
  if (!(result <= kLargest && result >= -kLargest)) return false;
  value = result;
  GetArea::Advance(buf, parsed.stop - begin);
  return true;
}

void SetReadState(std::istream& in, std::ios::iostate state, bool at_end) {
  if (at_end) state |= std::ios::eofbit;
  if (state != std::ios::goodbit) in.setstate(state);
}
}  // namespace

void ReadInt(std::istream& in, int& value) {
  if (!StartExtraction(in)) return;
  std::streambuf* buf = in.rdbuf();
  AreaSource area(buf);
  const IntScan scan = ScanInt(area);
  if (!area.ReachedEnd()) {
    GetArea::Advance(buf, area.end() - area.begin());
    SetReadState(in, StoreInt(scan, value), false);
    return;
  }
  StreamSource stream(buf);
  const IntScan full = ScanInt(stream);
  SetReadState(in, StoreInt(full, value), stream.ReachedEnd());
}

void ReadReal(std::istream& in, double& value) {
  if (!StartExtraction(in)) return;
  std::streambuf* buf = in.rdbuf();
  if (ReadPlainReal(buf, value)) return;
  AreaSource area(buf);
  const RealScan scan = ScanReal(area);
  if (!area.ReachedEnd()) {
    // The text is converted where it stands, before the get area moves on.
    const std::ios::iostate state = StoreReal(scan, area.begin(), area.end(), value);
    GetArea::Advance(buf, area.end() - area.begin());
    SetReadState(in, state, false);
    return;
  }
  StreamSource stream(buf);
  const RealScan full = ScanReal(stream);
  SetReadState(in, StoreReal(full, stream.begin(), stream.end(), value), stream.ReachedEnd());
}

void ReadIntField(std::istream& in, int& field) {
  int value = field;
  ReadInt(in, value);
  if (!in.fail()) field = value;
}

void ReadRealField(std::istream& in, double& field) {
  double value = field;
  ReadReal(in, value);
  if (!in.fail()) field = value;
}
