#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Code-health gates, first because they are quick: a licence line in every
# source file, every C++ file formatted as .clang-format says, a clang build
# with warnings as errors, and no clang-tidy finding under .clang-tidy in the
# product and the fuzz targets. (The
# gcc and mingw builds treat warnings as errors through their presets; the
# tests run in the gcc builds, so the clang build is only built.)
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make clang clang-format-14 clang-tidy-14 libgtest-dev fuse-emulator-utils \
    g++-mingw-w64-x86-64-posix

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
git() { command git -c safe.directory='*' "$@"; } # the checkout may not be root's
sources=$(git ls-files '*.cpp' '*.h' '*.cmake' '*.sh' '*.py' 'CMakeLists.txt') && [ -n "$sources" ] ||
    { echo "05-gates: git lists no source files" >&2 && exit 1; }
missing=$(xargs -d '\n' grep -L 'SPDX-License-Identifier: MIT' <<<"$sources" || true)
[ -z "$missing" ] || { echo "05-gates: no licence line in: $missing" >&2; exit 1; }

SECONDS=0
find . \( -path ./build -o -path ./.git \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format-14 --dry-run -Werror
echo "05-gates: formatting checked in ${SECONDS} s"

SECONDS=0
cmake --preset clang
cmake --build --preset clang
echo "05-gates: clang build without warnings in ${SECONDS} s"

# clang-tidy over the clang build's files, then over the Windows sources as
# mingw-w64 compiles them: its C and C++ headers, clang's own intrinsics
# (gcc's own headers are left out: clang cannot read them).
SECONDS=0
tidy() { # <build directory> [file pattern]; options for clang-tidy follow in tidy_args
    run-clang-tidy-14 -p "$1" -quiet -j "$CMAKE_BUILD_PARALLEL_LEVEL" -clang-tidy-binary clang-tidy-14 \
        "${tidy_args[@]}" "${@:2}" >"$1/tidy.log" 2>&1 && return
    sed 's/\x1b\[[0-9;]*m//g' "$1/tidy.log" | grep -E '(warning|error):' | sort -u
    echo "05-gates: clang-tidy findings (in $1/tidy.log)" >&2
    exit 1
}
# The product and the fuzz targets, which read untrusted input; the tests
# are built with warnings as errors but not tidied.
tidy_args=()
tidy build/clang '^(?!.*/tests/)'
cmake --preset windows -B build/windows-tidy -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
tidy_args=(-extra-arg=--target=x86_64-w64-mingw32 -extra-arg=-nostdinc++)
while read -r dir; do
    tidy_args+=("-extra-arg=-isystem$dir")
done < <(x86_64-w64-mingw32-g++-posix -E -x c++ -v - </dev/null 2>&1 |
    sed -n '/^#include <...>/,/^End of search list/s/^ //p' |
    grep -v '^/usr/lib/gcc/[^/]*/[^/]*/include\(-fixed\)\?$')
tidy build/windows-tidy '_win32\.cpp$'
echo "05-gates: no clang-tidy findings in ${SECONDS} s"
