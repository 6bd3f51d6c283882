#include "driver/help.h"

#include <cstddef>
#include <iterator>

#include "driver/console.h"

namespace {
const char* const kHelpLines[] = {
    "This program creates CrytalMaker *.cmtx text format configuration file from ",
    "version 3 format  Tamber file.\n",
    "It requires a parameter file containing information for the building of the ",
    "CrystalMaker configuration file.",
    "1. line: has to contain the full name of the configuration file. It can be a ",
    "       -text type *.cfg file containing one configuration ",
    "       -text type *_coll.cfg file containing consecutively several ",
    "        configurations",
    "       -binary *.bcf file conaining one configuration.",
    "     The name of the output file will be derived from the input file name, ",
    "     cutting the extension, inserting the frame index in case of multiple ",
    "     configurations, and adding the cmtx extension.",
    "2. line: number of configurations to convert, always 1 except for *_coll.cfg",
    "         file.",
    "3. line: the number of atom types in the configuration",
    "4. line: integer option switch regarding how the particles should",
    "         be selected, if not all the particles of a type will be used.",
    "         If the option switch=4, than one more integer ",
    "         and two real numbers have to follow in the same line, see later.\n",
    "   option 1: The indices of the specified number of atoms for each type will",
    "             be spread among the atoms of this type with as equal step as ",
    "             possible. As usually atoms with similar indices are close to ",
    "             each other, especially if no swaps were used during the ",
    "             simulation, this way the particles can be found everywhere in ",
    "             the simulation box.",
    "   option 2: The first given number of atoms will be used from a type. ",
    "             (Most probably atoms close to each other are chosen this way!)",
    "   option 3: Atoms of given indices specified at the end the parameter file",
    "             will be selected. (Index can range from 1 -> ntotal, has to  ",
    "             follow the order of atom types.)",
    "   option 4: Only particles between two parallel planes will be saved into the",
    "             file. The planes have to be parallel to one of the sides of the ",
    "             simulation box! There have to be an integer after option 4 to ",
    "             specify which axis is perpendicular to the plane (x:0, y:1, z:2),",
    "             followed by two real numbers (between -1 and +1) to specify the ",
    "             reduced coordinates,between which the atoms will be outputted.",
    "             Example for this line of the parameter file choosing the atoms,",
    "             with reduced y-coordinates between -0.7 -> 0.5:   4  1  -0.7 0.5  ",
    "\nAfter this it has to be as many lines as atom types, in each line containing:",
    "its chemical SYMBOL, the NUMBER OF PARTICLES used from this type.",
    "\nIn case of option 3 there has to follow the indices of the atoms to select one",
    "index in each line. Indexing starts with 1, first the indices for the first ",
    "atom type, then the second and so on.",
};

// cfg2xyz's own lines around the shared ones.
const char* const kXyzIntro[] = {
    "This program creates extended XYZ files (*.xyz) from version 3 format Tamber",
    "configuration files.\n",
    "It requires a parameter file containing information for the building of the ",
    "extended XYZ files.",
};
const char kXyzExtension[] = "     configurations, and adding the xyz extension.";
const char* const kXyzOutput[] = {
    "\nThe output file holds the number of atoms, a line with the periodic box (Lattice) and the",
    "columns (Properties), then one line per atom: its chemical symbol and its x, y and z",
    "coordinates in the length unit of the box. ASE and OVITO read it with its box, and turn it",
    "into other formats (CIF, POSCAR, PDB, LAMMPS data files).",
};
// Where cfg2cmtx's text stops being about the program and starts documenting the parameter file,
// and the line that names its extension.
constexpr std::size_t kParameterLines = 4;
constexpr std::size_t kExtensionLine = 11;

void PrintLines(const char* const* first, const char* const* last) {
  for (; first != last; ++first) PrintLine(*first);
}
}  // namespace

void PrintHelp() { PrintLines(std::begin(kHelpLines), std::end(kHelpLines)); }

void PrintXyzHelp() {
  PrintLines(std::begin(kXyzIntro), std::end(kXyzIntro));
  PrintLines(kHelpLines + kParameterLines, kHelpLines + kExtensionLine);
  PrintLine(kXyzExtension);
  PrintLines(kHelpLines + kExtensionLine + 1, std::end(kHelpLines));
  PrintLines(std::begin(kXyzOutput), std::end(kXyzOutput));
}
