#!/usr/bin/env python3
"""The i686 DLL runs on processors that have only the 64-bit MMX registers:
no object outside the per-level kernel files may use an SSE register. The
kernel files must (else the check would be reading nothing).

usage: check_isa.py OBJDUMP OBJECT...
"""
import re
import subprocess
import sys

KERNEL = re.compile(r"_(sse2|ssse3|avx2|avx512)\.cpp\.(obj|o)$")
VECTOR_REGISTER = re.compile(r"%[xyz]mm[0-9]")


def vector_lines(objdump, path):
    text = subprocess.run([objdump, "-d", path], check=True, capture_output=True, text=True).stdout
    return [line.strip() for line in text.splitlines() if VECTOR_REGISTER.search(line)]


def main():
    objdump, objects = sys.argv[1], sys.argv[2:]
    failures, kernels_with_vectors, baseline_files = [], 0, 0
    for path in objects:
        lines = vector_lines(objdump, path)
        if KERNEL.search(path):
            kernels_with_vectors += bool(lines)
        else:
            baseline_files += 1
            if lines:
                failures.append(f"{path}: {len(lines)} SSE instructions, first: {lines[0]}")
    if baseline_files == 0 or kernels_with_vectors == 0:
        failures.append(f"nothing to check: {baseline_files} baseline files, {kernels_with_vectors} kernel files with SSE")
    for f in failures:
        print(f)
    print(f"{baseline_files} baseline objects free of SSE, {kernels_with_vectors} kernel objects use it")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
