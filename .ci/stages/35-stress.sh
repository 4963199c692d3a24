#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Memory checking: the unit tests and the replayed fuzz corpus run under
# valgrind memcheck, and the end-to-end and stress suites run the program under
# it through REELKIT_RUNNER. Any valgrind report fails the stage. The waits for
# files held in real time are left out: the release tests prove them natively.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/stress
command -v valgrind >/dev/null || apt-get install -y --no-install-recommends valgrind

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)"

logs=$PWD/$build/valgrind
rm -rf "$logs" && mkdir -p "$logs"
# Reports go to one log per process: the program's own stderr must stay empty.
memcheck=(valgrind -q --vgdb=no --leak-check=full --log-file="$logs/%p.log")
"${memcheck[@]}" --error-exitcode=1 "$build/tests/reelkit_tests" --gtest_brief=1
for name in number header hobeta tap commandline disk; do
    "${memcheck[@]}" --error-exitcode=1 "$build/fuzz/replay_$name" fuzz/corpus/$name fuzz/regressions/$name
done
# A distinct status, so that a report never passes for one of the program's own.
printf '#!/bin/sh\nexec %s --error-exitcode=97 "$@"\n' "${memcheck[*]}" >"$build/valgrind-wrapper"
chmod +x "$build/valgrind-wrapper"
# Under valgrind the size limit is cut at every fifth byte only, to keep time.
REELKIT_RUNNER=$PWD/$build/valgrind-wrapper REELKIT_CUT_STEP=5 REELKIT_SKIP_REAL_WAITS=1 \
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -R '^(e2e|stress_)' \
    -E HeldFilesAreSharedWaitedForOrRefused

if [ -n "$(find "$logs" -type f -size +0)" ]; then
    find "$logs" -type f -size +0 -exec cat {} +
    exit 1
fi
echo "valgrind: no reports from $(find "$logs" -type f | wc -l) processes"
