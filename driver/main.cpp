// cfg2cmtx: converts configuration files to CrystalMaker text files; see README.md.
#include "driver/program.h"

#if defined(__SANITIZE_ADDRESS__)
// An absurd atom count must end in the program's own message, not in the sanitizer's report.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

int main(int argc, char** argv) { return RunProgram(argc, argv); }
