#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (-fsanitize=fuzzer,address,undefined),
# replays the seed corpus as regression inputs, then fuzzes each target for a
# bounded time. Exits non-zero when any input crashes, leaks, hangs (10 s) or
# trips a sanitizer; reproducers are left in the work directory's artifacts/.
#
#   fuzz/run.sh [SECONDS_PER_FUZZER]      (default 60)
#
# Environment: VC15_FUZZ_BUILD_DIR (default <repo>/build-fuzz),
# VC15_FUZZ_WORK_DIR (default <build dir>/fuzz-work; the growing corpus is
# kept there between runs), VC15_FUZZ_JOBS (build jobs, default 2).
set -uo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VC15_FUZZ_BUILD_DIR:-$root/build-fuzz}
work=${VC15_FUZZ_WORK_DIR:-$build/fuzz-work}
jobs=${VC15_FUZZ_JOBS:-2}

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVC15_BUILD_FUZZ=ON -DVC15_BUILD_TESTS=OFF -DVC15_BUILD_EXAMPLES=OFF >/dev/null || exit 2
cmake --build "$build" --target bmp_decode_fuzzer draw_fuzzer -- -j"$jobs" || exit 2

rm -rf "$work/seeds"
python3 "$root/fuzz/make_corpus.py" "$work/seeds" >/dev/null || exit 2
mkdir -p "$work/artifacts"

status=0
summary=""
for pair in bmp_decode_fuzzer:bmp draw_fuzzer:draw; do
    name=${pair%%:*}
    sub=${pair##*:}
    bin="$build/fuzz/$name"
    mkdir -p "$work/corpus/$sub"

    echo "== $name: replaying $(ls "$work/seeds/$sub" | wc -l) seed inputs"
    if ! "$bin" -timeout=10 "$work/seeds/$sub"/* >"$work/$name.replay.log" 2>&1; then
        echo "FAIL: $name crashed on a seed input (see $work/$name.replay.log)"
        tail -n 30 "$work/$name.replay.log"
        status=1
        summary+="$name: seed replay FAILED\n"
        continue
    fi

    echo "== $name: fuzzing for ${seconds}s"
    "$bin" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/$name-" \
        "$work/corpus/$sub" "$work/seeds/$sub" >"$work/$name.log" 2>&1
    rc=$?
    last=$(grep -E '^#[0-9]+' "$work/$name.log" | tail -n 1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    eps=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$name.log")
    line="$name: runs ${runs:-?}, exec/s ${eps:-?}, cov ${cov:-?}, ft ${ft:-?}, corpus $(ls "$work/corpus/$sub" | wc -l)"
    if [ $rc -ne 0 ]; then
        echo "FAIL: $name exited with $rc (see $work/$name.log)"
        grep -E 'ERROR|runtime error|fuzzer: |SUMMARY|Test unit written' "$work/$name.log" | head -n 20
        status=1
        line+=" FAILED"
    fi
    echo "$line"
    summary+="$line\n"
done

echo "== summary"
printf "%b" "$summary"
exit $status
