// The Windows console. Under the programs' UTF-8 code page (see driver/windows.manifest) the
// console must show UTF-8 too, and a name typed in any language must arrive as UTF-8: reading the
// console as bytes gives NUL bytes for every character outside ASCII on Windows 10, so a typed
// name is read as UTF-16 and converted. Redirected input and output are bytes, as on every
// system, and are left alone. KERNEL32 calls only, so that the programs need no other DLL.
#include "driver/windows_console.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
// The console's code page before the run: atexit and the control handler take no arguments, so
// it can only be kept here.
UINT earlier_output_code_page = 0;

void RestoreConsole() {
  if (earlier_output_code_page != 0) SetConsoleOutputCP(earlier_output_code_page);
}

// Ctrl+C, Ctrl+Break and closing the window end the process without atexit: restore first, then
// let the next handler end it as usual.
BOOL WINAPI OnConsoleEvent(DWORD) {
  RestoreConsole();
  return FALSE;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// UTF-16 units as the user typed them; 0 once the console input has ended (Ctrl+Z, as the C
// library takes it, or a failed read).
class TypedUnits {
 public:
  explicit TypedUnits(HANDLE input) : input_(input) {}
  wchar_t Next() {
    if (next_ == size_) {
      next_ = 0;
      if (!ReadConsoleW(input_, units_, kRoom, &size_, nullptr) || size_ == 0) return 0;
    }
    const wchar_t unit = units_[next_++];
    return unit == 0x1A ? 0 : unit;
  }

 private:
  static constexpr DWORD kRoom = 512;
  HANDLE input_;
  wchar_t units_[kRoom];
  DWORD size_ = 0;
  DWORD next_ = 0;
};

bool IsBlank(wchar_t unit) { return unit == L' ' || (unit >= L'\t' && unit <= L'\r'); }

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return "";
  const int size = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}
}  // namespace

void UseUtf8Console() {
  if (!IsConsole(GetStdHandle(STD_OUTPUT_HANDLE))) return;
  const UINT earlier = GetConsoleOutputCP();
  if (earlier == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
  earlier_output_code_page = earlier;
  std::atexit(RestoreConsole);  // the end of the run, and every fatal stop through exit()
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool ReadTypedWord(std::string& word) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!IsConsole(input)) return false;
  // As formatted extraction reads a word: blanks and empty lines before it are passed over.
  TypedUnits typed(input);
  wchar_t unit = typed.Next();
  while (unit != 0 && IsBlank(unit)) unit = typed.Next();
  std::wstring name;
  while (unit != 0 && !IsBlank(unit)) {
    name.push_back(unit);
    unit = typed.Next();
  }
  // The rest of the line came with the name; the next prompt waits for a line of its own.
  while (unit != 0 && unit != L'\n') unit = typed.Next();
  word = ToUtf8(name);
  return true;
}
