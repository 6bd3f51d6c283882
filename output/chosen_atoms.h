// The atoms that every writer writes, in the order of the configuration file: with option 2 the
// first nused[i] atoms of each type, with the other options the atoms of the selection list.
#ifndef CFG2CMTX_OUTPUT_CHOSEN_ATOMS_H
#define CFG2CMTX_OUTPUT_CHOSEN_ATOMS_H

#include <cstddef>
#include <functional>

// Calls visit(type, atom) for each chosen atom; atom is its zero-based index.
void ForEachChosenAtom(const std::function<void(std::size_t type, int atom)>& visit);

// A reduced coordinate as the writers write it: the length (reduced + 1) * box_scale, added first
// and then multiplied, with seven decimals as printf("%.7f") gives them. Returns the length of the
// text, which has no terminator; out needs room for kFixed7Capacity characters.
std::size_t FormatLength(double reduced, char* out);

#endif
