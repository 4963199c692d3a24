#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzing: every libFuzzer target runs about a minute (FUZZ_SECONDS) on a copy
# of its corpus and its saved regressions, under AddressSanitizer and
# UndefinedBehaviorSanitizer, two at a time. Any finding fails the stage; the
# input that caused it is kept under build/fuzz/findings for fuzz/regressions.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-60}
build=build/fuzz

if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null; then
    apt-get install -y --no-install-recommends clang libclang-rt-dev
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREELKIT_FUZZ=ON -DBUILD_TESTING=OFF
targets=(number header hobeta tap commandline disk)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

rm -rf "$build/work" "$build/findings"
mkdir -p "$build/findings"
fuzz() {
    local name=$1 work="$build/work/$1"
    mkdir -p "$work"
    cp fuzz/corpus/"$name"/* "$work"/
    cp fuzz/regressions/"$name"/* "$work"/ 2>/dev/null || true
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" "$work" >"$build/$name.log" 2>&1
}

status=0
for pair in "number header" "hobeta tap" "commandline disk"; do
    pids=()
    for name in $pair; do
        fuzz "$name" &
        pids+=($!)
    done
    set -- $pair
    for pid in "${pids[@]}"; do
        if ! wait "$pid"; then
            echo "fuzz_$1: FINDING"
            tail -n 40 "$build/$1.log"
            status=1
        fi
        echo "fuzz_$1: $(grep -m1 -o 'executed_units: [0-9]*' "$build/$1.log" | cut -d' ' -f2) executions"
        shift
    done
done
rm -f /dev/shm/reelkit-fuzz-* # scratch files of a run that stopped inside an input
ls "$build/findings"
exit "$status"
