#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: signal_sweep.sh <Reelkit binary>; env REELKIT_SIGNAL_RUNS: how many runs (500).
# A request to stop (SIGTERM, SIGINT, SIGHUP, SIGQUIT) sent to +b of a full
# block at a random moment of the run: whatever the moment, the image is left
# as it was or with the whole block, never with part of it. The run itself may
# end either way: done, or stopped by the signal once its append has landed.
set -u
. "${BASH_SOURCE%/*}/probe.sh" bash5 stat cmp head timeout mktemp
if [ -n "${REELKIT_RUNNER:-}" ]; then
    echo "SKIPPED: ${0##*/}: the signals would reach the runner, not the program"
    exit 77
fi
exe=$1 runs=${REELKIT_SIGNAL_RUNS:-500} failures=0
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work" || exit 1
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ulimit -c 0 # SIGQUIT would dump core

head -c 65533 /dev/urandom >block.bin
printf '\5\0\377tap\232' >base.tap
cp base.tap whole.tap && "$exe" +b whole.tap block.bin || exit 1
# The moments swept: from before the program starts to after it has ended, as
# long as a run takes on this machine now.
span=0 # µs
for ((run = 0; run < 20; run++)); do
    cp base.tap image.tap
    start=${EPOCHREALTIME/./}
    timeout 10 "$exe" +b image.tap block.bin || exit 1
    span=$((span + (${EPOCHREALTIME/./} - start) / 20))
done
signals=(TERM INT HUP QUIT)
declare -A seen
for ((run = 0; run < runs; run++)); do
    cp base.tap image.tap
    signal=${signals[run % 4]}
    delay=$(printf '%d.%06d' $((run * span / runs / 1000000)) $((run * span / runs % 1000000)))
    timeout -s "$signal" "$delay" "$exe" +b image.tap block.bin >/dev/null
    status=$?
    if cmp -s image.tap base.tap; then
        seen[old]=$((${seen[old]:-0} + 1))
    elif cmp -s image.tap whole.tap; then
        seen[whole]=$((${seen[whole]:-0} + 1))
    else
        fail "SIG$signal after ${delay} s (status $status) left $(stat -c %s image.tap) bytes"
    fi
done
echo "$runs runs: ${seen[old]:-0} left the image as it was, ${seen[whole]:-0} appended the whole block; $failures failures"
[ "$failures" = 0 ]
