// The Windows console, where names in any language need UTF-8 both ways. Elsewhere the console
// passes UTF-8 through as it is, and these do nothing.
#ifndef CFG2CMTX_DRIVER_WINDOWS_CONSOLE_H
#define CFG2CMTX_DRIVER_WINDOWS_CONSOLE_H

#include <string>

#if defined(_WIN32)
// When standard output is a console: UTF-8 from now on, and its earlier code page back on every
// way out (the end of the run, a fatal stop, Ctrl+C).
void UseUtf8Console();

// When standard input is a console: reads one word as typed, in UTF-8 (empty when the console
// input has ended), and returns true. False when standard input is redirected: it is then read as
// bytes, as on every system.
bool ReadTypedWord(std::string& word);
#else
inline void UseUtf8Console() {}
inline bool ReadTypedWord(std::string&) { return false; }
#endif

#endif
