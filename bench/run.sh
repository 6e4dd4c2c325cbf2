#!/usr/bin/env bash
# Builds the benchmarks (Release), runs them and the peer comparison (the
# scene drawn by this library, SDL2, Allegro 4 and pixman, next to memcpy),
# prints the tables and writes them as a chart. Fails when a peer's frame is
# not within its tolerance of ours, or ours not exactly the reference model's.
#
#   bench/run.sh [--quick]
#
# Environment: VC15_BENCH_BUILD (build directory, default build-bench),
# VC15_BENCH_OUT (results, default <build>/bench-results), VC15_BENCH_REPS
# (repetitions, default 3; the table shows medians).
#
# The peers (libsdl2-dev, liballegro4-dev, libpixman-1-dev) are installed here
# when missing: they are needed by the comparison program only, never by the
# library or its tests.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${VC15_BENCH_BUILD:-$ROOT/build-bench}
OUT=${VC15_BENCH_OUT:-$BUILD/bench-results}
REPS=${VC15_BENCH_REPS:-3}
QUICK=0
[[ "${1:-}" == "--quick" ]] && QUICK=1

need_pkg() {
    if ! dpkg -s "$1" >/dev/null 2>&1; then
        echo "installing $1 (benchmark peer / tool)"
        local sudo=""
        [[ $(id -u) -ne 0 ]] && sudo=sudo
        $sudo apt-get install -y --no-install-recommends "$1"
    fi
}
need_pkg libbenchmark-dev
need_pkg libsdl2-dev
need_pkg liballegro4-dev
need_pkg libpixman-1-dev
need_pkg pkg-config

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVC15_BUILD_BENCH=ON >/dev/null
ninja -C "$BUILD" -j2 vc15_bench vc15_peer_compare

mkdir -p "$OUT"
echo "load before measuring: $(uptime)"
load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v l="$load" 'BEGIN { exit !(l > 0.5) }'; then
    echo "warning: the machine is busy (load $load); figures will be noisy"
fi

bench_args=(--benchmark_out="$OUT/bench.json" --benchmark_out_format=json)
peer_args=(--json "$OUT/peer.json")
if [[ $QUICK -eq 1 ]]; then
    bench_args+=(--benchmark_min_time=0.05)
    peer_args+=(--quick)
else
    bench_args+=(--benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=true)
fi
"$BUILD/bench/vc15_bench" "${bench_args[@]}" >"$OUT/bench.txt"
peer_status=0
"$BUILD/bench/vc15_peer_compare" "${peer_args[@]}" >"$OUT/peer.txt" || peer_status=$?

python3 "$ROOT/bench/report.py" "$OUT/bench.json" "$OUT/peer.json" "$OUT"
if [[ $peer_status -ne 0 ]]; then
    grep -A12 '^frame checks' "$OUT/peer.txt" >&2 || true
    echo "the peer comparison failed: a frame mismatch or a missing peer (see $OUT/peer.txt)" >&2
    exit 1
fi
