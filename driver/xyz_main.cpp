// cfg2xyz: converts configuration files to extended XYZ files; see README.md.
#include "driver/program.h"

int main(int argc, char** argv) { return RunProgram(argc, argv, kToExtendedXyz); }
