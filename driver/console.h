// Console and stream utilities shared by every part of the converter: the fatal stop, the line
// skipper, the stream checks with their warning texts, and the file openers with the retry
// dialogue for output files. They keep no state, apart from the quit hook that test and fuzz
// builds install to observe a fatal stop without ending their process.
#ifndef CFG2CMTX_DRIVER_CONSOLE_H
#define CFG2CMTX_DRIVER_CONSOLE_H

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <istream>
#include <string>

// The console texts are part of the output and are kept byte for byte, misspellings included.

// Writes text, a newline and flushes standard output: every console message is a whole line.
void PrintLine(const std::string& text);

// Waits for the one reply character of a prompt (white space before it is passed over); its value
// is not looked at. False when the console has ended, so that nobody can answer.
bool ReadReply();

// Prints the quit prompt on standard error, waits for one reply character and ends the process
// with status 1.
[[noreturn]] void QuitProgram();

// Prints each line (PrintLine), then stops through QuitProgram: every fatal problem ends here.
[[noreturn]] void FatalStop(std::initializer_list<std::string> lines);

// The stop when a prompt finds the console at its end.
extern const char kNoReply[];

// Called by QuitProgram after the prompt and before the process ends. A hook may throw to hand
// control back to a test or fuzz harness; the program itself never installs one.
using QuitHook = void (*)();
void SetQuitHook(QuitHook hook);

void SkipLine(std::istream& in);

// The rest of the line as SkipLine consumes it, with its line end when it has one.
std::string TakeLine(std::istream& in);

// True when the stream reads from an open file.
bool StreamHasOpenFile(std::istream& in);

// Reads one white-space delimited word. The text ends at a NUL byte, as a name does for the
// file system: a name that went on past it would be checked whole but open another file.
void ReadWord(std::istream& in, std::string& word);

// Decimal text of n; the caller owns the array (delete[]).
char* IntToString(int n);

// Stops the program after a failed read; clears a mere end-of-file state.
void CheckLoad(std::istream& in, const std::string& label);

// 1 when the stream is attached to an open file and not failed; otherwise warns, clears the
// state and returns 0.
int CheckOpenRead(std::istream& in, const std::string& label);

// The file-system name of a UTF-8 name, made the same way for every opening, renaming and
// removal, so that all of them see the same file. False for bytes that are not UTF-8 where the
// system takes names as UTF-16 (Windows): no file has such a name.
bool FilePath(const std::string& name, std::filesystem::path& path);

// Opens the file for writing, asking the user to retry until it succeeds. The path is made by
// FilePath: a narrow name would be read in another code page on Windows.
void OpenForSave(std::ofstream& out, const std::filesystem::path& path, const std::string& label,
                 int binary);
void OpenForSave(std::ofstream& out, const std::string& name, const std::string& label,
                 int binary) = delete;

// The retry dialogue of an output file that cannot be written, under the writer's label. False
// when the console has ended, so that nobody can free the file.
bool AskToTryAgain(const std::string& label);

// The stop after an output file could not be written whole.
[[noreturn]] void StopAfterWriteFailure(const std::string& label, const std::string& name);

void OpenForRead(std::ifstream& in, const std::string& name);
void OpenForReadBinary(std::ifstream& in, const std::string& name);

#endif
