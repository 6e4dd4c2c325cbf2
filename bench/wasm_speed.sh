#!/usr/bin/env bash
# One showcase frame (640 x 480, every effect) natively at every level of
# this processor and as WebAssembly under node (the SIMD128 module at both
# its levels, and the scalar-only module), in one run on one machine:
# microseconds per frame (tenth percentile of single frames) and the ratios
# to native scalar and native SSE2. Every row must draw the pinned frame.
#
#   bench/wasm_speed.sh        (also ./run bench wasm)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
export NODE_PATH=/usr/share/nodejs
JOBS=${VC15_JOBS:-2}
crc=$(sed -nE 's/^ *set\(VC15_SHOWCASE_CRC ([0-9a-f]+)\)/\1/p' examples/showcase/CMakeLists.txt)

for preset in native-release wasm32-web; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS" --target vc15_showcase_speed >/dev/null
done
# The module for engines without SIMD128.
cmake -S . -B build/wasm32-scalar -G Ninja -DCMAKE_BUILD_TYPE=Release -DVC15_SIMD128=OFF -DVC15_BUILD_BENCH=ON \
    -DVC15_BUILD_TESTS=OFF -DVC15_BUILD_EXAMPLES=OFF \
    -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake >/dev/null
cmake --build build/wasm32-scalar -j "$JOBS" --target vc15_showcase_speed >/dev/null
echo "load before measuring: $(cut -d' ' -f1-3 /proc/loadavg)"
{
    build/native-release/bench/vc15_showcase_speed | sed 's/^/native /'
    node --no-experimental-fetch build/wasm32-web/bench/vc15_showcase_speed.js | sed 's/^/wasm /'
    node --no-experimental-fetch build/wasm32-scalar/bench/vc15_showcase_speed.js | sed 's/^/wasm-nosimd /'
} >build/wasm32-web/showcase_speed.txt
awk -v pinned="$crc" '
    { build[NR] = $1; level[NR] = $2; us[NR] = $3; crc[NR] = $4 }
    $1 == "native" && $2 == "scalar" { scalar = $3 }
    $1 == "native" && $2 == "sse2" { sse2 = $3 }
    END {
        printf "%-11s %-8s %10s %10s %10s\n", "build", "level", "us/frame", "/ native", "/ native"
        printf "%-11s %-8s %10s %10s %10s\n", "", "", "", "scalar", "SSE2"
        bad = 0
        for (i = 1; i <= NR; ++i) {
            printf "%-11s %-8s %10.1f %10.2f %10s\n", build[i], level[i], us[i], us[i] / scalar,
                   sse2 ? sprintf("%.2f", us[i] / sse2) : "-"
            if (crc[i] != pinned) { printf "  frame crc %s, pinned %s\n", crc[i], pinned; bad = 1 }
        }
        exit bad
    }' build/wasm32-web/showcase_speed.txt
