// ReadInt and ReadReal against what formatted extraction (`in >> value`) does with libstdc++:
// the value stored (bit for bit), the stream flags and the input left for the next read, over the
// random texts of data/number_scan.txt, read through stream buffers of every refill size. Other C++
// libraries extract otherwise, so the table was recorded once (tools/record_number_tables.cpp).
#include "config/number_scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

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

// The table writes bytes outside printable ASCII (the tab between fields among them), '%' and a
// space that ends a field as %XX.
std::string Unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      text += field[i];
    } else {
      text += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
      i += 2;
    }
  }
  return text;
}

// Per read ('i' or 'r') the value stored (the bits of a real) and the flags, then the input left
// over, as the table has them.
std::string Reads(const std::string& text, const std::string& reads, int chunk) {
  std::istringstream plain(text);
  ChunkedBuf chunked(text, static_cast<std::size_t>(chunk));
  std::istream in(chunk < 0 ? static_cast<std::streambuf*>(plain.rdbuf()) : &chunked);
  std::string result;
  for (char kind : reads) {
    int number = 4711;
    double real = -4711.25;
    if (kind == 'i') ReadInt(in, number);
    if (kind == 'r') ReadReal(in, real);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &real, 8);
    result += std::to_string(number) + " " + std::to_string(bits) + (in.eof() ? " eof" : "") +
              (in.fail() ? " fail" : "") + "; ";
  }
  in.clear();
  for (int c = in.get(); c != EOF; c = in.get()) result += static_cast<char>(c);
  return result;
}

TEST(NumberScan, RandomTextsReadAsLibstdcxxExtractionReadsThem) {
  std::ifstream table(CFG2CMTX_UNIT_DATA "/number_scan.txt");
  ASSERT_TRUE(table) << "cannot open " CFG2CMTX_UNIT_DATA "/number_scan.txt";
  int rows = 0, failures = 0;
  for (std::string line; std::getline(table, line); ++rows) {
    std::istringstream fields(line);
    std::string field[4];
    for (std::string& f : field) std::getline(fields, f, '\t');
    const auto& [chunk, reads, text, expected] = field;
    const std::string got = Reads(Unescaped(text), reads, std::stoi(chunk));
    if (got != Unescaped(expected) && ++failures <= 10) {
      ADD_FAILURE() << "reads " << reads << " of [" << Unescaped(text) << "], refill " << chunk
                    << ":\nexpected " << Unescaped(expected) << "\ngot      " << got;
    }
  }
  EXPECT_GT(rows, 0) << "the table is empty";
  EXPECT_EQ(failures, 0) << "rows read differently, of " << rows;
}

}  // namespace
