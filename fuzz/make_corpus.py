#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses into fuzz/corpus/<harness>/.

Small, valid or nearly valid inputs of every kind the program reads, so that the fuzzer starts
from the interesting shapes instead of discovering the formats byte by byte. Files named
regression-* are kept: they are inputs that once broke the program. Run from anywhere:
    python3 fuzz/make_corpus.py
"""
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def text_configuration(ni, box, coords, crlf=False):
    lines = [
        " (Version 3 format configuration file)",
        " Fuzz seed configuration",
        "",
        "",
        "         0         0         0 moves generated, tried, accepted",
        "         0                     configurations saved",
        "      %d molecules of all types" % sum(ni),
        "      %d types of molecules" % len(ni),
        "        1 is the largest number of atoms in a molecule",
        "        0 Euler angles are provided",
        "",
        "          F (Box is not truncated octahedral)",
        "            Defining vectors are:",
        "     %r    0.000000    0.000000" % box,
        "        0.000000   %r    0.000000" % box,
        "        0.000000    0.000000   %r" % box,
        "",
    ]
    for k, n in enumerate(ni):
        lines += [
            "      %d molecules of type  %d" % (n, k + 1),
            "        1 atomic sites in molecule of type  %d" % (k + 1),
            "           0.000000    0.000000    0.000000",
            "",
        ]
    for a in range(0, len(coords), 3):
        lines.append("  %.6f %.6f %.6f" % tuple(coords[a:a + 3]))
    end = "\r\n" if crlf else "\n"
    return end.join(lines) + end


def collection(confs):
    return " \n".join(text_configuration(*c) for c in confs)


def binary_configuration(ni, box, coords, lead=0):
    out = b""
    if lead:
        out += struct.pack("<i", lead)
    out += struct.pack("<ii", sum(ni), len(ni))
    out += struct.pack("<%di" % len(ni), *ni)
    out += struct.pack("<d", box)
    out += struct.pack("<%dd" % len(coords), *coords)
    return out


def coords_for(ni, seed):
    rng = random.Random(seed)
    return [round(rng.uniform(-1.0, 1.0), 6) for _ in range(3 * sum(ni))]


def conf(ni, box, seed):
    return (ni, box, coords_for(ni, seed))


def write(harness, name, data):
    folder = os.path.join(CORPUS, harness)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def clear(harness):
    folder = os.path.join(CORPUS, harness)
    if not os.path.isdir(folder):
        return
    for name in os.listdir(folder):
        if not name.startswith("regression-"):
            os.remove(os.path.join(folder, name))


PARAMETER_FILES = {
    "option1": "sample.cfg\n1\n2\n1\nSi 3\nO 2\n",
    "option2": "sample.cfg\n1\n2\n2\nSi 8\nO 4\n",
    "option3": "sample.cfg\n1\n2\n3\nSi 2\nO 1\n7\n2\n11\n",
    "option4": "model_coll.cfg\n3\n2\n4  1  -0.7 0.5\nSi\nO\n",
    "option4_swapped_limits": "run_coll.cfg\n2\n2\n4 2 0.5 -0.7\nSi 4\nO 1\n",
    "binary": "sample.bcf\n1\n2\n2\nSi 8\nO 4\n",
    "choose_out_of_range": "sample.cfg\n5\n2\n7\nSi 3\nO 2\n",
    "negative_count": "sample.cfg\n1\n2\n2\nSi -3\nO 2\n",
    "crlf": "sample.cfg\r\n1\r\n2\r\n3\r\nSi 2\r\nO 1\r\n7\r\n2\r\n11\r\n",
    "comments": ("run_coll.cfg   the file\n2 configurations\n1 type\n3 index list\n"
                 "Au 2 gold\n1\n4\n"),
    "option3_zero_index": "a.cfg\n1\n1\n3\nX 2\n0\n3\n",
    "axis_out_of_range": "sample.cfg\n1\n1\n4 3 0 1\nSi\n",
    "limit_out_of_range": "sample.cfg\n1\n1\n4 0 -1.5 1\nSi\n",
    "no_extension": "sample\n1\n1\n2\nSi 1\n",
    "short": "sample.cfg\n1\n2\n",
    "ntypes_zero": ".cfg\n0\n0\n2\n",
}


def params():
    clear("params")
    for name, text in PARAMETER_FILES.items():
        write("params", name, text)


def text():
    clear("text")
    single = text_configuration(*conf([8, 4], 10.0, 1))
    write("text", "option2_single", b"\x01" + single.encode())
    write("text", "option4_single", b"\x03" + single.encode())
    write("text", "used_above_size", bytes([0x40]) + single.encode())
    write("text", "type_count_differs", b"\x04" + single.encode())
    write("text", "crlf", b"\x00" + text_configuration(*conf([3, 2], 5.5, 2), crlf=True).encode())
    coll = collection([conf([3, 1, 2], 7.25, s) for s in (3, 4, 5)])
    write("text", "collection_three", bytes([0x10 | 0x02]) + coll.encode())
    write("text", "collection_one_too_many", bytes([0x18]) + coll.encode())
    changed = collection([conf([3, 1, 2], 7.25, 6), conf([2, 2, 2], 7.25, 7)])
    write("text", "collection_counts_change", bytes([0x08]) + changed.encode())
    write("text", "empty_type", b"\x01" + text_configuration(*conf([2, 0, 1], 3.0, 8)).encode())
    write("text", "no_atoms", b"\x01" + text_configuration([0], 1.0, []).encode())


def binary():
    clear("binary")
    c = conf([8, 4], 10.0, 11)
    write("binary", "plain", b"\x01" + binary_configuration(*c))
    write("binary", "lead4", b"\x00" + binary_configuration(*c, lead=4))
    write("binary", "lead8", b"\x03" + binary_configuration(*c, lead=8))
    write("binary", "rewritten_count", bytes([0x80 | (4 << 3)]) + binary_configuration(*c))
    write("binary", "rewritten_type", bytes([0x80 | (12 << 3)]) + binary_configuration(*c))
    write("binary", "cut_in_coords", b"\x01" + binary_configuration(*c)[:-5])
    write("binary", "cut_in_header", b"\x01" + binary_configuration(*c)[:10])
    write("binary", "three_types", b"\x02" + binary_configuration(*conf([1, 2, 3], 2.5, 12)))


def conversion():
    clear("conversion")
    single = conf([8, 4], 10.0, 21)
    single_text = text_configuration(*single).encode()
    for option in ("option1", "option2", "option3"):
        write("conversion", option, PARAMETER_FILES[option].encode() + b"\0" + single_text)
    write("conversion", "option4_collection",
          PARAMETER_FILES["option4"].encode() + b"\0" +
          collection([conf([8, 4], 10.0, s) for s in (22, 23, 24)]).encode())
    write("conversion", "binary",
          PARAMETER_FILES["binary"].encode() + b"\0" + binary_configuration(*single, lead=4))
    write("conversion", "binary_option4",
          b"sample.bcf\n1\n2\n4 0 -0.5 0.5\nSi\nO\n\0" + binary_configuration(*single))
    write("conversion", "crlf",
          PARAMETER_FILES["crlf"].encode() + b"\0" +
          text_configuration(*single, crlf=True).encode())
    write("conversion", "missing_configuration", PARAMETER_FILES["option2"])
    write("conversion", "collection_short",
          b"run_coll.cfg\n4\n1\n2\nAr 2\n\0" +
          collection([conf([3], 4.0, s) for s in (25, 26)]).encode())


if __name__ == "__main__":
    params()
    text()
    binary()
    conversion()
