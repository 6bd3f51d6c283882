#include "driver/console.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace {
QuitHook quit_hook = nullptr;
}  // namespace

const char kNoReply[] = "No reply can be read from the console, cannot run this way, exiting...";

bool FilePath(const std::string& name, std::filesystem::path& path) {
  // The conversion to UTF-16 throws for bytes that are not UTF-8.
  try {
    path = std::filesystem::u8path(name);
    return true;
  } catch (const std::exception&) {
    path.clear();
    return false;
  }
}

bool StreamHasOpenFile(std::istream& in) {
  auto* file = dynamic_cast<std::filebuf*>(in.rdbuf());
  return file != nullptr && file->is_open();
}

void PrintLine(const std::string& text) { std::cout << text << '\n' << std::flush; }

void FatalStop(std::initializer_list<std::string> lines) {
  for (const std::string& line : lines) PrintLine(line);
  QuitProgram();
}

void SetQuitHook(QuitHook hook) { quit_hook = hook; }

bool ReadReply() {
  char reply = 0;
  return static_cast<bool>(std::cin >> reply);
}

void QuitProgram() {
  std::cerr << "Quit (y)?->\n";
  ReadReply();
  if (quit_hook != nullptr) quit_hook();
  std::exit(1);
}

namespace {
// The rest of the line, its line end included, into text when there is one.
void ConsumeLine(std::istream& in, std::string* text) {
  if (in.fail()) return;
  // At the end of the input already, the first read fails, as extraction would.
  if (in.eof()) {
    in.setstate(std::ios::failbit);
    return;
  }
  std::streambuf* buf = in.rdbuf();
  // Reading the buffer directly keeps skipping cheap on large files; the flags left behind are
  // those that character-by-character extraction would leave.
  for (;;) {
    const int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit | std::ios::failbit);
      return;
    }
    if (text != nullptr) text->push_back(static_cast<char>(c));
    if (c == '\n') return;
  }
}
}  // namespace

void SkipLine(std::istream& in) { ConsumeLine(in, nullptr); }

std::string TakeLine(std::istream& in) {
  std::string text;
  ConsumeLine(in, &text);
  return text;
}

void ReadWord(std::istream& in, std::string& word) {
  word.clear();
  in >> word;
  const std::size_t nul = word.find('\0');
  if (nul != std::string::npos) word.resize(nul);
}

char* IntToString(int n) {
  // Unsigned magnitude, so that even the most negative int has a well-defined text.
  unsigned int m = n < 0 ? 0u - static_cast<unsigned int>(n) : static_cast<unsigned int>(n);
  int digits = 1;
  for (unsigned int rest = m / 10; rest > 0; rest /= 10) ++digits;
  const int sign = n < 0 ? 1 : 0;
  char* text = new char[static_cast<std::size_t>(digits + sign + 1)];
  if (sign) text[0] = '-';
  text[digits + sign] = '\0';
  for (int pos = digits + sign - 1; pos >= sign; --pos) {
    text[pos] = static_cast<char>('0' + m % 10);
    m /= 10;
  }
  return text;
}

void CheckLoad(std::istream& in, const std::string& label) {
  if (in.fail()) {
    FatalStop({"****WARNING****", label,
               in.eof() ? "End of file was reached during loading!"
                        : "Loading failed, possibly due to wrong file format!",
               "Loading was not successful, cannot run this way, exiting"});
  }
  if (in.eof()) in.clear();
}

int CheckOpenRead(std::istream& in, const std::string& label) {
  if (StreamHasOpenFile(in) && !in.fail() && !in.bad()) return 1;
  PrintLine("****WARNING****");
  PrintLine(label + " file is not open for reading!");
  in.clear();
  return 0;
}

void OpenForSave(std::ofstream& out, const std::filesystem::path& path, const std::string& label,
                 int binary) {
  const std::ios::openmode mode =
      binary == 0 ? std::ios::out | std::ios::trunc : std::ios::out | std::ios::binary;
  for (;;) {
    // An empty path, of a name that no file can have, fails to open like a missing folder.
    out.open(path, mode);
    if (out.is_open() && !out.fail() && !out.bad()) return;
    if (!AskToTryAgain(label)) FatalStop({kNoReply});
    out.clear();
  }
}

bool AskToTryAgain(const std::string& label) {
  PrintLine("****WARNING****");
  PrintLine(label + " - file could not be opened for saving!");
  PrintLine("If the file is used by another application, close it first.");
  PrintLine("Try again? (Press any key!)");
  // With the console at its end nobody can make the file writable: retrying would spin.
  return ReadReply();
}

void StopAfterWriteFailure(const std::string& label, const std::string& name) {
  FatalStop({"****WARNING****", label + " - writing the file " + name + " has failed!",
             "Cannot run this way, exiting..."});
}

namespace {
// Text and binary files alike are read as bytes: the readers take LF and CR LF alike, and a byte
// 0x1A in a free line must not end the input, as text mode on Windows would make it.
void OpenInput(std::ifstream& in, const std::string& name) {
  // A folder opens like a file on some systems and then reads as empty; leaving it unopened lets
  // the caller's check say that the file is not open instead of reporting a format error. An
  // opening of a stream that is open already fails, and leaves the stream failed.
  std::filesystem::path path;
  std::error_code ignored;
  if (FilePath(name, path) && !std::filesystem::is_directory(path, ignored)) {
    in.open(path, std::ios::in | std::ios::binary);
  }
}
}  // namespace

void OpenForRead(std::ifstream& in, const std::string& name) { OpenInput(in, name); }

void OpenForReadBinary(std::ifstream& in, const std::string& name) { OpenInput(in, name); }
