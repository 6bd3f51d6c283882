// cfg2cmtx: converts configuration files to CrystalMaker text files; see README.md.
#include "driver/program.h"

int main(int argc, char** argv) { return RunProgram(argc, argv, kToCrystalMaker); }
