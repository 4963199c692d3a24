#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: make_sweep.sh <Reelkit binary>; env REELKIT_RUNNER: a program to run it with,
# REELKIT_SIGNAL_RUNS: runs stopped by a signal (200, one in six by SIGKILL),
# REELKIT_WRITERS: runs of +m at once (20).
# +m over a tape of 1 MiB (16 files of 64 KiB) leaves the old tape or the whole
# new one, never a part of either:
# - a stop signal (SIGTERM, SIGINT, SIGHUP, SIGQUIT) at any moment of the run,
#   from before it starts to after it ends, and no temporary file after it;
#   SIGKILL at any moment too, where nothing can remove the temporary file: the
#   ones left are counted, not failed;
# - twenty runs at once on one name, each from a list of its own: one of their
#   twenty tapes, whole, and no temporary file;
# - a file size limit cutting the new file short at points all over it, and a
#   tape that may not be written: the old tape, no temporary file, and
#   "Cannot write file", exit status 1.
# A runner such as valgrind makes each run last a second: there the size limit
# cuts at fewer points, and REELKIT_SIGNAL_RUNS and REELKIT_WRITERS set smaller
# samples.
set -u
. "${BASH_SOURCE%/*}/probe.sh" bash5 stat cmp prlimit flock timeout head mktemp \
    $([ "$(id -u)" = 0 ] && echo setpriv)
exe=$1 runner=(${REELKIT_RUNNER:-}) runs=${REELKIT_SIGNAL_RUNS:-200} writers=${REELKIT_WRITERS:-20}
failures=0 calls=10 pieces=31
((${#runner[@]})) && calls=3 pieces=7
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work" || exit 1
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ulimit -c 0 # SIGQUIT would dump core
# The temporary files +m makes for image.tap, or for any tape here.
strays() { compgen -G ".${1:-*}.??????" | wc -l; }
report="An unknown exception occured"$'\r\n'"Exception text:"$'\r\n\t'

for ((i = 1; i <= 16; i++)); do
    head -c 65533 /dev/urandom >part$i.bin && echo "+f part$i.bin part$i C 0" >>make.list
done
printf 'the old tape' >old.bin && echo "+b old.bin" >old.list
"${runner[@]}" "$exe" +m old.tap old.list && "${runner[@]}" "$exe" +m new.tap make.list || exit 1
[ "$(stat -c %s new.tap)" -gt 1048576 ] && [ "$(strays)" = 0 ] || fail "+m made $(stat -c %s new.tap) bytes"

# The moments swept: as long as a run takes on this machine now, and a little more.
span=0 # µs
for ((run = 0; run < calls; run++)); do
    cp old.tap image.tap
    start=${EPOCHREALTIME/./}
    timeout 60 "${runner[@]}" "$exe" +m image.tap make.list || exit 1
    span=$((span + (${EPOCHREALTIME/./} - start) * 5 / 4 / calls))
done
signals=(TERM INT HUP QUIT KILL TERM)
killed=0 left=0
declare -A seen
for ((run = 0; run < runs; run++)); do
    cp old.tap image.tap
    signal=${signals[run % 6]}
    at=$((run * span / runs))
    delay=$(printf '%d.%06d' $((at / 1000000)) $((at % 1000000)))
    timeout --foreground -s "$signal" "$delay" "${runner[@]}" "$exe" +m image.tap make.list >/dev/null
    status=$?
    if cmp -s image.tap old.tap && [ "$status" != 0 ]; then
        seen[old]=$((${seen[old]:-0} + 1))
    elif cmp -s image.tap new.tap; then
        seen[new]=$((${seen[new]:-0} + 1))
    else
        fail "SIG$signal after $delay s (status $status) left $(stat -c %s image.tap) bytes"
    fi
    stray=$(strays image.tap)
    if [ "$signal" = KILL ]; then
        killed=$((killed + 1)) left=$((left + stray))
    elif [ "$stray" != 0 ]; then
        fail "SIG$signal after $delay s left $stray temporary files"
    fi
    rm -f .image.tap.??????
done
echo "$runs runs stopped over $((span / 1000)) ms: ${seen[old]:-0} left the old tape, ${seen[new]:-0} the new one;" \
    "$left temporary files left by $killed SIGKILLs"

# The runs wait on a shared lock of the gate, which is let go when all wait.
for ((i = 1; i <= writers; i++)); do
    printf 'tape %d' $i >tag$i.bin && { cat make.list && echo "+d tag$i.bin $i"; } >list$i
    "${runner[@]}" "$exe" +m alone$i.tap list$i || fail "+m alone$i.tap alone"
done
cp old.tap image.tap
exec 9>gate && flock 9
for ((i = 1; i <= writers; i++)); do
    (exec 9>&- && touch ready$i &&
        flock -s gate "${runner[@]}" "$exe" +m image.tap list$i >out$i; echo $? >status$i) &
done
for ((tries = 0; $(compgen -G 'ready*' | wc -l) < writers; tries++)); do
    ((tries < 6000)) || { fail "the runs did not start" && exit 1; }
    sleep 0.01
done
sleep 0.3 && flock -u 9 && wait
for ((i = 1; i <= writers; i++)); do
    [ "$(cat status$i)" = 0 ] && [ ! -s out$i ] || fail "+m $i of $writers at once: $(cat status$i) $(cat out$i)"
done
winner=
for ((i = 1; i <= writers; i++)); do cmp -s image.tap alone$i.tap && winner=$i; done
[ -n "$winner" ] || fail "$writers runs at once left $(stat -c %s image.tap) bytes, none of their tapes"
[ "$(strays)" = 0 ] || fail "$writers runs at once left $(strays) temporary files"
echo "$writers runs at once: the tape of run $winner is whole"

# expect <case>: the old tape, no temporary file, and the report of a failed write.
expect() {
    cmp -s image.tap old.tap && [ "$(strays)" = 0 ] && [ "$rc" = 1 ] &&
        [[ $out == "${report}Cannot write file \"$work/image.tap\". "*$'\r' ]] || fail "$1: $rc $out"
    rm -f .image.tap.??????
}
size=$(stat -c %s new.tap) cuts=0
for at in 0 1 $(seq 4096 $((size / pieces)) $size) $((size - 1)); do
    cp old.tap image.tap
    # A runner such as valgrind writes files of its own and is spared the signal.
    [ -n "${runner[*]}" ] && trap '' XFSZ
    out=$(prlimit --fsize=$at -- "${runner[@]}" "$exe" +m image.tap make.list)
    rc=$?
    trap - XFSZ
    expect "cut at $at of $size" && cuts=$((cuts + 1))
done
# Root writes anything unless it drops its override capability.
unwritable=()
[ "$(id -u)" = 0 ] && unwritable=(setpriv --bounding-set=-dac_override,-dac_read_search --)
cp old.tap image.tap && chmod 444 image.tap
out=$("${unwritable[@]}" "${runner[@]}" "$exe" +m image.tap make.list)
rc=$?
chmod 644 image.tap && expect "a tape that may not be written"
echo "$cuts cuts of the new file; $failures failures"
[ "$failures" = 0 ]
