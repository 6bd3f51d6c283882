#!/usr/bin/python3
"""Draws examples/model.png: the first configuration of model_coll.cfg whole, and the slab that
option4.par keeps, both as cfg2xyz writes them and ASE reads them back.

Regenerate the picture after building the programs (cmake -S . -B build && cmake --build build):

    cd examples && MPLBACKEND=Agg /usr/bin/python3 draw_model.py [PATH_TO_CFG2XYZ]

PATH_TO_CFG2XYZ defaults to ../build/cfg2xyz. Needs python3-ase and python3-matplotlib.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import matplotlib.pyplot as plt
import numpy as np
from matplotlib.patches import Patch, Polygon
import ase.io
from ase.data import atomic_numbers
from ase.data.colors import jmol_colors
from ase.io.utils import PlottingVariables
from ase.visualize.plot import plot_atoms

HERE = os.path.dirname(os.path.abspath(__file__))
# Every type size of the model is below 100; the program lowers the counts to the sizes.
ALL_ATOMS = "model_coll.cfg\n1\n2\n2\nSi 100\nO 100\n"
# Seen a little from above and aside, y runs up the page and the slab limits are thin planes.
ROTATION = "15x,-20y"


def convert(program, folder, parameters):
    """Runs cfg2xyz in its own folder, so that the two runs cannot read each other's files."""
    os.mkdir(folder)
    shutil.copy(os.path.join(HERE, "model_coll.cfg"), folder)
    with open(os.path.join(folder, "run.par"), "w") as par:
        par.write(parameters)
    subprocess.run([program, "run.par"], cwd=folder, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, check=True)
    # One configuration is written as model_coll.xyz, several as model_coll0000.xyz, ...
    first = sorted(glob.glob(os.path.join(folder, "*.xyz")))[0]
    return ase.io.read(first, format="extxyz")


def main():
    program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "../build/cfg2xyz")
    with open(os.path.join(HERE, "option4.par")) as par:
        slab_parameters = par.read()
    axis, low, high = slab_parameters.splitlines()[3].split()[1:4]  # "4 AXIS LOW HIGH"
    axis, limits = int(axis), (float(low), float(high))
    with tempfile.TemporaryDirectory() as tmp:
        whole = convert(program, os.path.join(tmp, "whole"), ALL_ATOMS)
        slab = convert(program, os.path.join(tmp, "slab"), slab_parameters)

    slab_title = f"slab, {low} ≤ {'xyz'[axis]} ≤ {high} ({len(slab)} atoms)"
    fig, axes = plt.subplots(1, 2, figsize=(7.2, 4.0))
    for ax, atoms, title in ((axes[0], whole, f"whole model ({len(whole)} atoms)"),
                             (axes[1], slab, slab_title)):
        style = dict(rotation=ROTATION, radii=2.0, show_unit_cell=2)
        plot_atoms(atoms, ax, **style)
        # The same projection as the drawing, to put the slab limits in it as shaded planes.
        view = PlottingVariables(atoms, scale=1, **style)
        across, (a, c) = view.cell[axis, :2], np.delete(view.cell[:, :2], axis, 0)
        for reduced in limits:
            corner = view.cell_vertices[0, :2] + (reduced + 1) / 2 * across
            ax.add_patch(Polygon([corner, corner + a, corner + a + c, corner + c], zorder=0,
                                 facecolor="tab:blue", alpha=0.15, edgecolor="tab:blue"))
        ax.set_title(title, fontsize=11)
        ax.set_axis_off()
    handles = [Patch(facecolor=jmol_colors[atomic_numbers[s]], edgecolor="k", label=s)
               for s in dict.fromkeys(whole.get_chemical_symbols())]
    handles.append(Patch(facecolor="tab:blue", alpha=0.15, edgecolor="tab:blue",
                         label="slab limits"))
    fig.legend(handles=handles, loc="lower center", ncol=len(handles), frameon=False)
    fig.tight_layout(rect=(0, 0.06, 1, 1))
    fig.savefig(os.path.join(HERE, "model.png"), dpi=100)


if __name__ == "__main__":
    main()
