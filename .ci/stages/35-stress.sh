#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Memory checking: the unit tests and the replayed fuzz corpus run under
# valgrind memcheck, and the end-to-end and stress suites run the program under
# it through REELKIT_RUNNER. Any valgrind report fails the stage. The waits for
# files held in real time are left out: the release tests prove them natively.
set -euo pipefail
cd "$(dirname "$0")/../.."
command -v valgrind >/dev/null || apt-get install -y --no-install-recommends valgrind
command -v clang++ >/dev/null || apt-get install -y --no-install-recommends clang

# The clang gate's build, made here when that stage has not run: optimised,
# with debug information in the form valgrind reads (DWARF 4), and linked
# dynamically, so that memcheck sees every allocation.
build=build/clang
cmake --preset clang >/dev/null
cmake --build --preset clang -j "$(nproc)"

logs=$PWD/$build/valgrind
rm -rf "$logs" && mkdir -p "$logs"
# A unit test that lets a held stop signal end its process dies with the
# exception being unwound, which memcheck counts as lost: that alone is allowed.
cat >"$build/valgrind.supp" <<'EOF'
{
   the exception in flight when a held stop signal ends the test's process
   Memcheck:Leak
   match-leak-kinds: definite
   fun:malloc
   fun:__cxa_allocate_exception
   ...
   fun:*StopSignalWaitsUntilTheAppendLandsOrIsUndone*
}
EOF
# Reports go to one log per process: the program's own stderr must stay empty.
memcheck=(valgrind -q --vgdb=no --leak-check=full --suppressions="$PWD/$build/valgrind.supp"
    --log-file="$logs/%p.log")
"${memcheck[@]}" --error-exitcode=1 "$build/tests/reelkit_tests" --gtest_brief=1
for name in number header hobeta tap commandline disk tapereader basic; do
    "${memcheck[@]}" --error-exitcode=1 "$build/fuzz/replay_$name" fuzz/corpus/$name fuzz/regressions/$name
done
# A distinct status, so that a report never passes for one of the program's own.
printf '#!/bin/sh\nexec %s --error-exitcode=97 "$@"\n' "${memcheck[*]}" >"$build/valgrind-wrapper"
chmod +x "$build/valgrind-wrapper"
# Under valgrind, to keep time, the size limit cuts at every ninth byte, ten
# writers share an image and thirty runs of +m are stopped by a signal: every
# byte, forty writers and two hundred stops are the native runs'.
REELKIT_RUNNER=$PWD/$build/valgrind-wrapper REELKIT_CUT_STEP=9 REELKIT_WRITERS=10 REELKIT_SKIP_REAL_WAITS=1 \
    REELKIT_SIGNAL_RUNS=30 \
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -R '^(e2e|stress_)' \
    -E HeldFilesAreSharedWaitedForOrRefused

if [ -n "$(find "$logs" -type f -size +0)" ]; then
    find "$logs" -type f -size +0 -exec cat {} +
    exit 1
fi
echo "valgrind: no reports from $(find "$logs" -type f | wc -l) processes"
