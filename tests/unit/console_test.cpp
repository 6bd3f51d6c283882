// Console and stream utilities: number text, line skipping, the two stream checks, the output
// opener and the fatal stop.
#include "driver/console.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "support/test_support.h"

using namespace testing_support;

namespace {
std::string Rest(std::istream& in) {
  in.clear();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Flags(const std::istream& in) {
  std::string flags;
  if (in.eof()) flags += "eof ";
  if ((in.rdstate() & std::ios::failbit) != 0) flags += "fail ";
  if (in.bad()) flags += "bad ";
  return flags.empty() ? "good" : flags;
}

const char kQuitPrompt[] = "Quit (y)?->\n";
}  // namespace

TEST(ConsoleIntToString, GivesExactlyTheDigits) {
  const struct {
    int value;
    const char* text;
  } cases[] = {
      // clang-format off
      {0, "0"}, {9, "9"}, {10, "10"}, {-42, "-42"},
      {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const std::unique_ptr<char[]> text(IntToString(c.value));
    EXPECT_STREQ(text.get(), c.text);
  }
}

TEST(ConsoleSkipLine, LeavesTheStreamAfterTheLineEnd) {
  const struct {
    const char* name;
    std::string text;
    int consumed;  // characters read before the skip
    std::ios::iostate before;
    std::string flags_after;
    std::string rest;
  } cases[] = {
      // clang-format off
      {"middle of a line", "12 free text\nnext\n", 2, std::ios::goodbit, "good", "next\n"},
      {"empty line", "\n\nthird\n", 0, std::ios::goodbit, "good", "\nthird\n"},
      {"CR LF line end", "7 a\r\nnext\r\n", 1, std::ios::goodbit, "good", "next\r\n"},
      {"lone CR is not a line end", "a\rb\nc", 0, std::ios::goodbit, "good", "c"},
      {"last line without newline", "12 end", 2, std::ios::goodbit, "eof fail ", ""},
      {"already at the end", "", 0, std::ios::goodbit, "eof fail ", ""},
      {"end-of-file flag after the last character", "x", 1, std::ios::eofbit, "eof fail ", ""},
      {"already failed", "abc\ndef\n", 0, std::ios::failbit, "fail ", "abc\ndef\n"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.text);
    in.ignore(c.consumed);
    in.setstate(c.before);
    SkipLine(in);
    EXPECT_EQ(Flags(in), c.flags_after);
    EXPECT_EQ(Rest(in), c.rest);
  }
}

// A failed read stops with four lines; a mere end of file is cleared.
TEST(ConsoleCheckLoad, StopsAfterAFailedReadOnly) {
  const struct {
    const char* text;  // an int is read from it first
    const char* label;
    const char* third_line;  // nullptr: no stop
  } cases[] = {
      {"42 ", "SimpleCfg::Load", nullptr},
      {"42", "SimpleCfg::Load", nullptr},  // the read ends at the end of the input
      {"abc", "SimpleCfg::GetParameters_cfg", "Loading failed, possibly due to wrong file format!"},
      {"  \n ", "Simple_Cfg::GetCrystalMakerPar", "End of file was reached during loading!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("input '") + c.text + "'");
    std::istringstream in(c.text);
    int value = 0;
    in >> value;
    const Observed seen = Observe([&] { CheckLoad(in, c.label); });
    EXPECT_EQ(seen.quit, c.third_line != nullptr);
    if (c.third_line == nullptr) {
      EXPECT_EQ(seen.out + seen.err, "");
      EXPECT_EQ(Flags(in), "good");
    } else {
      EXPECT_EQ(seen.out, std::string("****WARNING****\n") + c.label + "\n" + c.third_line +
                              "\nLoading was not successful, cannot run this way, exiting\n");
      EXPECT_EQ(seen.err, kQuitPrompt);
    }
  }
}

TEST(ConsoleCheckOpenRead, AcceptsOnlyUsableStreams) {
  ScratchDir dir;
  dir.Write("present.txt", "content\n");
  const struct {
    const char* name;
    std::string file;
    bool open_twice;
    std::ios::iostate extra;
    int result;
  } cases[] = {
      {"open file", "present.txt", false, std::ios::goodbit, 1},
      {"open file at its end", "present.txt", false, std::ios::eofbit, 1},
      {"open file, failed read", "present.txt", false, std::ios::failbit, 0},
      {"missing file", "missing.txt", false, std::ios::goodbit, 0},
      {"folder", ".", false, std::ios::goodbit, 0},
      {"opened a second time", "present.txt", true, std::ios::goodbit, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ifstream in;
    OpenForRead(in, dir.File(c.file));
    if (c.open_twice) OpenForRead(in, dir.File(c.file));
    in.setstate(c.extra);
    int result = -1;
    const Observed seen =
        Observe([&] { result = CheckOpenRead(in, "SimpleCfg::GetParams_cfg - *.cfg"); });
    EXPECT_FALSE(seen.quit);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(seen.out, c.result == 1 ? ""
                                      : "****WARNING****\nSimpleCfg::GetParams_cfg - *.cfg file "
                                        "is not open for reading!\n");
    // A warning leaves a clean stream for whatever the caller does next.
    if (c.result == 0) {
      EXPECT_EQ(Flags(in), "good");
    }
  }
}

TEST(ConsoleOpenForSave, EmptiesAnExistingFile) {
  ScratchDir dir;
  dir.Write("out.cmtx", "old content that must go\n");
  std::ofstream out;
  const Observed seen = Observe([&] { OpenForSave(out, dir.File("out.cmtx"), "label", 0); });
  EXPECT_FALSE(seen.quit);
  EXPECT_EQ(seen.out, "");
  out << "new\n";
  out.close();
  EXPECT_EQ(dir.Read("out.cmtx"), "new\n");
}

// Standard input has ended, so nobody can make the file writable: the retry stops at once.
TEST(ConsoleOpenForSave, StopsWhenNoReplyCanBeRead) {
  ScratchDir dir;
  std::ofstream out;
  const Observed seen = Observe([&] {
    OpenForSave(out, dir.File("no/such/folder/out.cmtx"), "SimpleCfg::SaveCrystalMaker", 0);
  });
  EXPECT_TRUE(seen.quit);
  EXPECT_EQ(seen.out,
            "****WARNING****\n"
            "SimpleCfg::SaveCrystalMaker - file could not be opened for saving!\n"
            "If the file is used by another application, close it first.\n"
            "Try again? (Press any key!)\n"
            "No reply can be read from the console, cannot run this way, exiting...\n");
  EXPECT_EQ(seen.err, kQuitPrompt);
  EXPECT_FALSE(dir.Exists("no"));
}

// The hook-free fatal stop really ends the process with status 1 after its prompt on stderr.
TEST(ConsoleQuitDeathTest, EndsTheProcessWithStatusOne) {
  EXPECT_EXIT(QuitProgram(), ::testing::ExitedWithCode(1), "^Quit \\(y\\)\\?->\n$");
}
