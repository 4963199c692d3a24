#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Other CPUs: Reelkit cross-built for ARM64 (where char is unsigned) and s390x
# (big-endian), statically linked, with its unit, end-to-end and fuzz-replay
# suites run under qemu user emulation: the same bytes and messages. The
# stress scripts and the real-time lock waits are left out by the test presets:
# under qemu they would test the host's kernel (flock, the file size limit),
# not the target's.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make googletest fuse-emulator-utils qemu-user-static \
    g++-aarch64-linux-gnu g++-s390x-linux-gnu

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
for cpu in aarch64 s390x; do
    echo "--- ${cpu}"
    SECONDS=0
    cmake --workflow --preset "$cpu"
    echo "25-cross: ${cpu} built and tested in ${SECONDS} s"
done
