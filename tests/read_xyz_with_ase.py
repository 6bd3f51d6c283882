#!/usr/bin/env python3
"""Reads every expected .xyz file of the case folders with ASE, as a user of cfg2xyz would, and
checks that ASE sees what each file says: the atom count, the symbols, the positions, the cubic
cell and the periodic boundaries.

Usage: read_xyz_with_ase.py CASES_FOLDER. Without ASE (Debian: python3-ase) it is skipped (status
77), except under CI=true, where a missing ASE is a failure."""
import glob
import os
import sys

try:
    import ase.io
except ImportError:
    if os.environ.get("CI") == "true":
        sys.exit("ASE is missing: CI installs python3-ase and reads the files with it")
    print("skipped: ASE is not installed (Debian: python3-ase)")
    sys.exit(77)

files = sorted(glob.glob(os.path.join(sys.argv[1], "*", "out", "*.xyz")))
if not files:
    sys.exit("no expected .xyz file found")
for path in files:
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    rows = [line.split() for line in lines[2:] if line]
    edge = float(lines[1].split('"')[1].split()[0])
    atoms = ase.io.read(path, format="extxyz")
    cell = [[edge if i == j else 0.0 for j in range(3)] for i in range(3)]
    checks = {
        "atom count": len(atoms) == int(lines[0]) == len(rows),
        "symbols": atoms.get_chemical_symbols() == [row[0] for row in rows],
        "positions": [list(p) for p in atoms.get_positions()] ==
                     [[float(v) for v in row[1:]] for row in rows],
        "cell": atoms.get_cell().array.tolist() == cell,
        "pbc": list(atoms.get_pbc()) == [True, True, True],
    }
    failed = [name for name, ok in checks.items() if not ok]
    if failed:
        sys.exit(f"{path}: ASE reads another {', '.join(failed)}")
    print(f"{path}: {len(atoms)} atoms, cell {edge}, as written")
