#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Other CPUs: Reelkit cross-built for ARM64 (where char is unsigned) and s390x
# (big-endian), statically linked; the end-to-end suite, built natively, runs
# the cross-built program under qemu user emulation, and the fuzz corpus is
# replayed under it through every reader: the same bytes and messages. The
# real-time lock waits and the stress scripts are left out: under qemu they
# would test the host's kernel (flock, the file size limit), not the
# target's. `cmake --workflow --preset aarch64` (or s390x) runs the unit tests
# there too.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make g++ libgtest-dev googletest fuse-emulator-utils qemu-user-static \
    g++-aarch64-linux-gnu g++-s390x-linux-gnu

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
cmake --preset release >/dev/null
cmake --build --preset release --target reelkit_e2e >/dev/null
. .ci/shards.sh
replays=(fuzz/corpus/*) && replays=("${replays[@]#fuzz/corpus/}") # one folder a reader
for cpu in aarch64 s390x; do
    echo "--- ${cpu}"
    SECONDS=0
    qemu=qemu-$cpu-static
    libraries=/usr/$cpu-linux-gnu
    cmake --preset "$cpu" >/dev/null
    cmake --build --preset "$cpu" --target Reelkit "${replays[@]/#/replay_}" >/dev/null
    for name in "${replays[@]}"; do
        "$qemu" -L "$libraries" "build/$cpu/fuzz/replay_$name" "fuzz/corpus/$name" "fuzz/regressions/$name"
    done
    REELKIT_EXE="$PWD/build/$cpu/Reelkit" REELKIT_RUNNER="$qemu" REELKIT_SKIP_REAL_WAITS=1 \
        e2e_shards "build/$cpu/e2e" --gtest_filter=-*HeldFilesAreSharedWaitedForOrRefused* ||
        { echo "25-cross: the end-to-end suite failed on $cpu" >&2; exit 1; }
    echo "25-cross: ${cpu} built, replayed and tested end to end in ${SECONDS} s"
done
