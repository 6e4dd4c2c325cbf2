#!/usr/bin/env bash
# The x86_64 DLL under wine64 against the native library on the same scene:
# builds vc15_scene_frames both ways (Release; the native one in the
# benchmark build, the Windows one in build-bench-mingw-x64), runs their
# "time" mode in alternation and prints, per operation, the DLL's speed over
# the native one: the median and the best of the alternations' ratios.
#
#   bench/wine_vs_native.sh [ALTERNATIONS]   (default 5)
#
# Environment: VC15_BENCH_BUILD (native build, default build-bench),
# VC15_BENCH_MINGW_BUILD (default build-bench-mingw-x64), VC15_BENCH_OUT.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NATIVE=${VC15_BENCH_BUILD:-$ROOT/build-bench}
MINGW=${VC15_BENCH_MINGW_BUILD:-$ROOT/build-bench-mingw-x64}
OUT=${VC15_BENCH_OUT:-$NATIVE/bench-results}
ALT=${1:-5}

cmake -S "$ROOT" -B "$NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVC15_BUILD_BENCH=ON >/dev/null
cmake -S "$ROOT" -B "$MINGW" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVC15_BUILD_BENCH=ON -DVC15_BUILD_TESTS=OFF \
    -DVC15_BUILD_EXAMPLES=OFF -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-x86_64.cmake" >/dev/null
ninja -C "$NATIVE" -j2 vc15_scene_frames vc15_cpu_level >/dev/null
ninja -C "$MINGW" -j2 vc15_scene_frames vc15_cpu_level >/dev/null

mkdir -p "$OUT/wine"
wine_run() { "$ROOT/cmake/wine-run.sh" --path "$MINGW" "$@"; }
echo "native: $("$NATIVE/bench/vc15_cpu_level" | head -1)"
echo "wine64: $(wine_run "$MINGW/bench/vc15_cpu_level.exe" | tr -d '\r' | head -1)"
wine_run "$MINGW/bench/vc15_cpu_level.exe" | tr -d '\r' | sed 's/^/  /'
for i in $(seq 1 "$ALT"); do
    "$NATIVE/bench/vc15_scene_frames" time >"$OUT/wine/native.$i.txt"
    wine_run "$MINGW/bench/vc15_scene_frames.exe" time | tr -d '\r' >"$OUT/wine/wine.$i.txt"
    echo "alternation $i of $ALT done"
done

python3 - "$OUT/wine" "$ALT" <<'EOF'
import statistics, sys
d, n = sys.argv[1], int(sys.argv[2])
def read(path):
    rows = {}
    for line in open(path):
        f = line.split()
        if len(f) == 3 and f[0] != "mode":
            try:
                rows[f[0]] = float(f[1])
            except ValueError:
                pass
    return rows
nat = [read("%s/native.%d.txt" % (d, i)) for i in range(1, n + 1)]
win = [read("%s/wine.%d.txt" % (d, i)) for i in range(1, n + 1)]
print("%-16s %12s %12s %14s %12s" % ("op", "native Mpix/s", "wine Mpix/s", "wine/native med", "best"))
for op in nat[0]:
    ratios = [w[op] / a[op] for a, w in zip(nat, win) if op in w and a[op]]
    print("%-16s %12.0f %12.0f %14.2f %12.2f" % (op, statistics.median(a[op] for a in nat),
                                                statistics.median(w.get(op, 0) for w in win),
                                                statistics.median(ratios), max(ratios)))
EOF
