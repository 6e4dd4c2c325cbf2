#!/usr/bin/env python3
"""Writes the seed corpus of the fuzzers.

    make_corpus.py OUTDIR

OUTDIR/bmp gets small BMP files: valid ones of every row-padding class,
truncated ones, zero, negative and huge sizes, a header that claims 8 bits per
pixel. OUTDIR/draw gets fixed pseudo-random inputs of a few lengths for the
draw fuzzer (its inputs are decisions, not a file format). The same files
serve as regression inputs: run.sh replays them before fuzzing.
"""
import os
import random
import struct
import sys


def stride(width):
    return 3 * width + (width & 3)


def bmp(width, height, data=None, bit_count=24, signature=b"BM"):
    """A 54-byte header followed by the pixel rows (generated when not given)."""
    if data is None:
        rows = max(height, 0) * stride(max(width, 0))
        data = bytes((i * 37 + 11) & 0xFF for i in range(min(rows, 1 << 16)))
    header = signature + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def bmp_seeds():
    seeds = {}
    for w, h in [(1, 1), (2, 2), (3, 2), (4, 1), (5, 3), (7, 4), (8, 2), (16, 16)]:
        seeds["valid_%dx%d.bmp" % (w, h)] = bmp(w, h)
    seeds["example_2x2.bmp"] = bmp(2, 2, bytes([1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0]))
    full = bmp(5, 3)
    for cut in (0, 1, 17, 20, 25, 53, 54, 60, len(full) - 1):
        seeds["truncated_%d.bmp" % cut] = full[:cut]
    seeds["header_8bit.bmp"] = bmp(3, 2, bit_count=8, signature=b"XY")
    for w, h in [(0, 5), (5, 0), (0, 0), (-1, 2), (-4, 2), (3, -2), (-3, -3)]:
        seeds["dims_%d_%d.bmp" % (w, h)] = bmp(w, h, data=b"\x11" * 24)
    for w, h in [(0x7FFFFFFF, 0x7FFFFFFF), (65536, 21846), (1 << 20, 1 << 20), (1, (1 << 26) + 1),
                 (0x55555556, 3), (1, 1 << 26), (80000000, 1)]:
        seeds["huge_%d_%d.bmp" % (w, h)] = bmp(w, h, data=b"\x22" * 12)
    seeds["int_min.bmp"] = bmp(-0x80000000, -0x80000000, data=b"")
    return seeds


def draw_seeds():
    rng = random.Random(15)
    seeds = {}
    for length in (16, 48, 96, 200, 400, 800, 1500):
        for k in range(3):
            seeds["random_%d_%d" % (length, k)] = bytes(rng.randrange(256) for _ in range(length))
    return seeds


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    for sub, seeds in (("bmp", bmp_seeds()), ("draw", draw_seeds())):
        d = os.path.join(out, sub)
        os.makedirs(d, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(d, name), "wb") as f:
                f.write(data)
        print("%s: %d files" % (d, len(seeds)))


if __name__ == "__main__":
    main()
