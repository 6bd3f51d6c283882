#!/usr/bin/env python3
"""Reads every expected .xyz file of the case folders with ASE, as a user of cfg2xyz would, and
checks that ASE sees what each file says: the atom count, the symbols, the positions, the cell
and the periodic boundaries. In a case of a truncated octahedral box, ASE must find the nearest
image of every atom (across a hexagonal face, for the atoms put near one) where the body-centred
cubic lattice of the box puts it.

Usage: read_xyz_with_ase.py CASES_FOLDER. Without ASE (Debian: python3-ase) it is skipped (status
77); CI makes sure that ASE is there."""
import glob
import itertools
import os
import sys

try:
    import ase.io
except ImportError:
    print("skipped: ASE is not installed (Debian: python3-ase)")
    sys.exit(77)

files = sorted(glob.glob(os.path.join(sys.argv[1], "*", "out", "*.xyz")))
for path in files:
    with open(path, encoding="utf-8") as f:
        count, box, *lines = f.read().splitlines()
    rows = [line.split() for line in lines]
    cell = [float(v) for v in box.split('"')[1].split()]
    atoms = ase.io.read(path, format="extxyz")
    seen = (len(atoms), atoms.get_chemical_symbols(), atoms.get_positions().tolist(),
            atoms.get_cell().array.tolist(), atoms.get_pbc().tolist())
    written = (int(count), [row[0] for row in rows], [[float(v) for v in row[1:]] for row in rows],
               [cell[0:3], cell[3:6], cell[6:9]], [True] * 3)
    if seen != written or len(rows) != int(count):
        sys.exit(f"{path}: ASE reads {seen}\nthe file says {written}")
    if "octahedral" in path:
        # The box of length L (line 14 of the input) fills the cube of edge 2 L, with images at
        # the cube's corners and at its centre: the nearest image of each atom, by brute force.
        cfg = glob.glob(os.path.join(os.path.dirname(os.path.dirname(path)), "in", "*.cfg"))[0]
        with open(cfg, encoding="utf-8") as f:
            length = float(f.read().splitlines()[13].split()[0])
        shifts = [[length * (2 * n[i] + centre) for i in range(3)]
                  for n in itertools.product(range(-2, 3), repeat=3) for centre in (0, 1)]
        for i, j in itertools.combinations(range(len(atoms)), 2):
            d = [a - b for a, b in zip(written[2][i], written[2][j])]
            nearest = min(sum((d[k] + s[k]) ** 2 for k in range(3)) ** 0.5 for s in shifts)
            found = atoms.get_distance(i, j, mic=True)
            if abs(found - nearest) > 1e-9:
                sys.exit(f"{path}: ASE finds atom {j}'s image at {found} from atom {i}, the box "
                         f"puts it at {nearest}")
    print(f"{path}: {len(atoms)} atoms, cell {cell}, as written")
if not files:
    sys.exit("no expected .xyz file found")
