#!/usr/bin/env python3
"""Instructions per pixel of each kernel's main loop, read from the
disassembly: the innermost loop with the most vector instructions, divided
by the pixels one pass of it moves. Emulated timings are no speed figures,
so this is how the NEON loops are set against the SSE2 ones.

usage: loop_instructions.py OBJDUMP OBJECT...
"""
import re
import subprocess
import sys

VECTOR = re.compile(r"%[xyz]mm|\bv[0-9]+\.|\bq[0-9]+\b")
# Pixels per pass of the main loop, by kernel (see the kernels' step sizes).
PIXELS = [
    (r"Each16<.*Rgb555To565Wide,", "555 to 565 wide", 16),
    (r"Each16<.*Rgb555To565,", "555 to 565", 16),
    (r"Each16<.*Rgb565To555,", "565 to 555", 16),
    (r"BlendForms<.*>::Groups\(", "blend groups", 8),
    (r"DepthForms<.*>::Write\(", "depth write", 16),
    (r"DepthForms<.*>::Copy\(", "depth copy", 16),
    (r"DepthForms<.*>::WriteCopy\(", "depth write+copy", 16),
    (r"DepthForms<.*>::Blend\(", "depth blend", 16),
    (r"::(sse2|neon)::Rgb888ToRgb565\(", "888 to 565", 16),
    (r"::(sse2|neon)::Rgb888ToRgb555\(", "888 to 555", 16),
    (r"::sse2::Rgba8888ToArgb1555\(", "8888 to 1555", 8),
    (r"::neon::Rgba8888ToArgb1555\(", "8888 to 1555", 16),
    (r"::sse2::Rgba8888ToArgb4444\(", "8888 to 4444", 8),
    (r"::neon::Rgba8888ToArgb4444\(", "8888 to 4444", 16),
    (r"::sse2::Rgb555ToXrgb8888\(", "555 to xrgb8888", 8),
    (r"::neon::Rgb555ToXrgb8888\(", "555 to xrgb8888", 16),
    (r"::(sse2|neon)::Rgb555ToBgr888\(", "555 to bgr888", 16),
]


def functions(objdump, path):
    text = subprocess.run([objdump, "-d", "--no-show-raw-insn", "-C", path], check=True, capture_output=True,
                          text=True).stdout
    out, name = {}, None
    for line in text.splitlines():
        m = re.match(r"^[0-9a-f]+ <(.*)>:$", line)
        if m:
            name = m.group(1)
            out[name] = []
            continue
        m = re.match(r"^\s+([0-9a-f]+):\s+(\S+)\s*(.*)$", line)
        if m and name:
            out[name].append((int(m.group(1), 16), m.group(2), m.group(3)))
    return out


def main_loop(name, ins):
    addrs = [a for a, _, _ in ins]
    loops = []
    for i, (a, op, args) in enumerate(ins):
        m = re.search(r"\b([0-9a-f]+) <(.*)>", args)
        if m and op[0] in "jb" and not op.startswith("bl") and m.group(2).startswith(name[:60]):
            t = int(m.group(1), 16)
            if t <= a and t in addrs:
                loops.append((addrs.index(t), i))
    inner = [l for l in loops if not any(o != l and l[0] <= o[0] and o[1] <= l[1] for o in loops)]
    best = max(inner, key=lambda l: sum(1 for _, _, g in ins[l[0]:l[1] + 1] if VECTOR.search(g)), default=None)
    return None if best is None else best[1] - best[0] + 1


def main():
    objdump, objects = sys.argv[1], sys.argv[2:]
    for path in objects:
        for name, ins in functions(objdump, path).items():
            for pattern, kernel, pixels in PIXELS:
                if re.search(pattern, name):
                    n = main_loop(name, ins)
                    if n:
                        print(f"{kernel:18s} {n:4d} instructions / {pixels:2d} pixels = {n / pixels:5.2f}")
                    break
    return 0


if __name__ == "__main__":
    sys.exit(main())
