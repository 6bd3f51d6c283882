#!/usr/bin/env python3
"""Writes the bundled example inputs: a small two-type text configuration, a collection of three
configurations of the same model, its binary form, and one parameter file per option."""
import random
import struct

NI = [8, 4]          # Si, O
BOX = 15.0


def configuration(seed):
    rng = random.Random(seed)
    return [round(rng.uniform(-1, 1), 6) for _ in range(3 * sum(NI))]


def text(coords):
    lines = [" Example model for cfg2cmtx", " (Version 3 format configuration file)", "", "",
             "         0         0         0 moves generated, tried, accepted",
             "         0                     configurations saved",
             f"        {sum(NI)} molecules of all types",
             f"        {len(NI)} types of molecules",
             "        1 is the largest number of atoms in a molecule",
             "        0 Euler angles are provided", "",
             "          F (Box is not truncated octahedral)",
             "            Defining vectors are:",
             f"           {BOX:.6f}    0.000000    0.000000",
             f"            0.000000   {BOX:.6f}    0.000000",
             f"            0.000000    0.000000   {BOX:.6f}", ""]
    for k, n in enumerate(NI, 1):
        lines += [f"        {n} molecules of type  {k}",
                  f"        1 atomic sites in molecule of type  {k}",
                  "           0.000000    0.000000    0.000000", ""]
    for a in range(sum(NI)):
        lines.append("   " + "  ".join(f"{v:9.6f}" for v in coords[3 * a:3 * a + 3]))
    return "\n".join(lines) + "\n"


def binary(coords):
    data = struct.pack("<iii", 4, sum(NI), len(NI)) + struct.pack(f"<{len(NI)}i", *NI)
    return data + struct.pack("<d", BOX) + struct.pack(f"<{len(coords)}d", *coords)


def main():
    first = configuration(1)
    with open("sample.cfg", "w", newline="\n") as f:
        f.write(text(first))
    with open("sample.bcf", "wb") as f:
        f.write(binary(first))
    with open("model_coll.cfg", "w", newline="\n") as f:
        f.write(" \n".join(text(configuration(seed)) for seed in (1, 2, 3)))
    params = {
        "option1.par": "sample.cfg\n1\n2\n1\nSi 3\nO 2\n",
        "option2.par": "sample.cfg\n1\n2\n2\nSi 8\nO 4\n",
        "option3.par": "sample.cfg\n1\n2\n3\nSi 2\nO 1\n7\n2\n11\n",
        "option4.par": "model_coll.cfg\n3\n2\n4  1  -0.7 0.5\nSi\nO\n",
        "binary.par": "sample.bcf\n1\n2\n2\nSi 8\nO 4\n",
    }
    for name, content in params.items():
        with open(name, "w", newline="\n") as f:
            f.write(content)


if __name__ == "__main__":
    main()
