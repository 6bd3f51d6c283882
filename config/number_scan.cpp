#include "config/number_scan.h"

void ReadInt(std::istream& in, int& value) { in >> value; }

void ReadReal(std::istream& in, double& value) { in >> value; }
