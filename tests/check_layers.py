#!/usr/bin/env python3
"""Each library folder includes only from its own folder and the layers below
it; the public headers (include/) are below everything.

    core/  simd/                   services (processor check, kernel table, allocators, list nodes); the vector layer
    pixel/  blit/  ddraw/          converters and BMP loader, the drawing engine, DirectDraw helpers
    levels/  canvas/  present/     each kernel level's table, the canvas object, presenting a canvas

usage: check_layers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

LAYER = {"core": 1, "simd": 1, "pixel": 2, "blit": 2, "ddraw": 2, "levels": 3, "canvas": 3, "present": 3}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    root = pathlib.Path(sys.argv[1])
    problems, files = [], 0
    for folder, level in LAYER.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            files += 1
            for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
                top = target.split("/")[0]
                if "/" not in target or top == folder:
                    continue  # public header, or a file of its own folder
                if top not in LAYER:
                    problems.append(f"{path.relative_to(root)}: includes {target} from outside the library")
                elif LAYER[top] >= level:
                    problems.append(f"{path.relative_to(root)} (layer {level}) includes {target} (layer {LAYER[top]})")
    if files < 20:
        problems.append(f"only {files} source files found under {root}")
    for p in problems:
        print(p)
    print(f"{files} files, {len(problems)} layering problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
