#!/usr/bin/env bash
# Code-health gates, first because they are quick: every C++ file formatted as
# .clang-format says, no clang-tidy finding under .clang-tidy, and a clang
# build with warnings as errors whose tests pass. (The gcc and mingw builds
# treat warnings as errors through their presets.)
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make clang clang-format-14 clang-tidy-14 libgtest-dev fuse-emulator-utils

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
SECONDS=0
find . \( -path ./build -o -path ./.git \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format-14 --dry-run -Werror
echo "05-gates: formatting checked in ${SECONDS} s"

SECONDS=0
cmake --workflow --preset clang
echo "05-gates: clang build without warnings, tests passed in ${SECONDS} s"

SECONDS=0
run-clang-tidy-14 -p build/clang -quiet -j "$CMAKE_BUILD_PARALLEL_LEVEL" \
    -clang-tidy-binary clang-tidy-14 >build/clang/tidy.log 2>&1 || {
    sed 's/\x1b\[[0-9;]*m//g' build/clang/tidy.log | grep -E '(warning|error):' | sort -u
    echo "05-gates: clang-tidy findings (in build/clang/tidy.log)" >&2
    exit 1
}
echo "05-gates: no clang-tidy findings in ${SECONDS} s"
