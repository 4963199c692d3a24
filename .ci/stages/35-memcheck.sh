#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Memory checking: the unit tests and the replayed fuzz corpus, which drive
# every reader and every command's parts in process, run under valgrind
# memcheck, which also sees a read of memory never written. Any valgrind
# report fails the stage. The program itself, through the end-to-end and
# stress suites, runs under AddressSanitizer, its leak check and
# UndefinedBehaviorSanitizer in the asan workflow.
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
for name in $(ls fuzz/corpus); do # one folder a reader
    "${memcheck[@]}" --error-exitcode=1 "$build/fuzz/replay_$name" fuzz/corpus/$name fuzz/regressions/$name
done

if [ -n "$(find "$logs" -type f -size +0)" ]; then
    find "$logs" -type f -size +0 -exec cat {} +
    exit 1
fi
echo "valgrind: no reports from $(find "$logs" -type f | wc -l) processes"
