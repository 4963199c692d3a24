#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzing: every libFuzzer target runs on a copy of its corpus and its saved
# regressions, under AddressSanitizer and UndefinedBehaviorSanitizer, as many
# at a time as there are cores. FUZZ_SECONDS (24) is the whole stage's budget,
# shared evenly: with eight targets on two cores, four rounds of 6 s. Any
# finding fails the stage; the input that caused it is kept under
# build/fuzz/findings for fuzz/regressions.
set -euo pipefail
cd "$(dirname "$0")/../.."
budget=${FUZZ_SECONDS:-24}
build=build/fuzz

if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null; then
    apt-get install -y --no-install-recommends clang libclang-rt-dev
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREELKIT_FUZZ=ON -DBUILD_TESTING=OFF
targets=(fuzz/corpus/*) && targets=("${targets[@]#fuzz/corpus/}") # one folder a reader
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
jobs=$(nproc)
rounds=$(((${#targets[@]} + jobs - 1) / jobs))
seconds=$((budget / rounds > 5 ? budget / rounds : 5))

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
for ((at = 0; at < ${#targets[@]}; at += jobs)); do
    round=("${targets[@]:at:jobs}")
    pids=()
    for name in "${round[@]}"; do
        fuzz "$name" &
        pids+=($!)
    done
    for i in "${!round[@]}"; do
        name=${round[i]}
        if ! wait "${pids[i]}"; then
            echo "fuzz_$name: FINDING"
            tail -n 40 "$build/$name.log"
            status=1
        fi
        echo "fuzz_$name: $(grep -m1 -o 'executed_units: [0-9]*' "$build/$name.log" | cut -d' ' -f2) executions in ${seconds} s"
    done
done
rm -f /dev/shm/reelkit-fuzz-* # scratch files of a run that stopped inside an input
ls "$build/findings"
exit "$status"
