#!/usr/bin/env python3
"""Reads every expected .xyz file of the case folders with ASE, as a user of cfg2xyz would, and
checks that ASE sees what each file says: the atom count, the symbols, the positions, the cubic
cell and the periodic boundaries.

Usage: read_xyz_with_ase.py CASES_FOLDER. Without ASE (Debian: python3-ase) it is skipped (status
77); CI makes sure that ASE is there."""
import glob
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
    edge = float(box.split('"')[1].split()[0])
    atoms = ase.io.read(path, format="extxyz")
    seen = (len(atoms), atoms.get_chemical_symbols(), atoms.get_positions().tolist(),
            atoms.get_cell().array.tolist(), atoms.get_pbc().tolist())
    written = (int(count), [row[0] for row in rows], [[float(v) for v in row[1:]] for row in rows],
               [[edge * (i == j) for j in range(3)] for i in range(3)], [True] * 3)
    if seen != written or len(rows) != int(count):
        sys.exit(f"{path}: ASE reads {seen}\nthe file says {written}")
    print(f"{path}: {len(atoms)} atoms, cell {edge}, as written")
if not files:
    sys.exit("no expected .xyz file found")
