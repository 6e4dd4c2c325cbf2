#!/usr/bin/env python3
"""Only the level files may use vector registers where the baseline is built
without them: the i686 DLL runs on processors that have only the 64-bit MMX
registers, and the aarch64 library's baseline is compiled without Advanced
SIMD. The level files must use them (else the check would be reading nothing).

usage: check_isa.py x86|arm64 OBJDUMP OBJECT...
"""
import re
import subprocess
import sys

KERNEL = {
    "x86": re.compile(r"_(sse2|ssse3|avx2|avx512)\.cpp\.(obj|o)$"),
    "arm64": re.compile(r"_neon\.cpp\.(obj|o)$"),
}
VECTOR_REGISTER = {
    "x86": re.compile(r"%[xyz]mm[0-9]"),
    "arm64": re.compile(r"\bv[0-9]+\.[0-9]*[bhsd]\b|\bq[0-9]+\b"),
}


def vector_lines(objdump, path, arch):
    text = subprocess.run([objdump, "-d", path], check=True, capture_output=True, text=True).stdout
    return [line.strip() for line in text.splitlines() if VECTOR_REGISTER[arch].search(line)]


def main():
    arch, objdump, objects = sys.argv[1], sys.argv[2], sys.argv[3:]
    failures, kernels_with_vectors, baseline_files = [], 0, 0
    for path in objects:
        lines = vector_lines(objdump, path, arch)
        if KERNEL[arch].search(path):
            kernels_with_vectors += bool(lines)
        else:
            baseline_files += 1
            if lines:
                failures.append(f"{path}: {len(lines)} vector instructions, first: {lines[0]}")
    if baseline_files == 0 or kernels_with_vectors == 0:
        failures.append(f"nothing to check: {baseline_files} baseline files, {kernels_with_vectors} level files with vectors")
    for f in failures:
        print(f)
    print(f"{baseline_files} baseline objects free of vector registers, {kernels_with_vectors} level objects use them")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
