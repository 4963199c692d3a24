#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: concurrent_writers.sh <Reelkit binary>; env REELKIT_RUNNER: a program to run it with,
# REELKIT_WRITERS: how many writers (40), REELKIT_SKIP_REAL_WAITS=1: leave out
# the held image, which takes real seconds.
# Forty writers let go at once on one image, all reading one input: each waits
# its turn and appends its whole tape file, and the image ends as a clean run
# of complete header and data pairs, one per writer. Then another program holds
# the image: for a moment, which a writer waits out, and for longer than a
# writer waits, which is refused in about a second with the image unchanged.
# The unit tests prove the waits through the file layer's pause; this is the
# proof in real time, which one native build gives for all.
set -u
. "${BASH_SOURCE%/*}/probe.sh" stat cmp flock mktemp
exe=$1 runner=(${REELKIT_RUNNER:-}) writers=${REELKIT_WRITERS:-40} failures=0
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work" || exit 1
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
writer() { args=(+f "$2" shared.bin file$1 C $1); } # <number> <image>: its command line in args
now() { date +%s%N; }

printf 'contents every writer reads' >shared.bin
for ((i = 1; i <= writers; i++)); do
    : >alone$i.tap && writer $i alone$i.tap
    "${runner[@]}" "$exe" "${args[@]}" >/dev/null || fail "writer $i alone"
done

# The writers wait on a shared lock of the gate, which is let go when all wait.
: >image.tap
exec 9>gate && flock 9
for ((i = 1; i <= writers; i++)); do
    (exec 9>&- && touch ready$i && writer $i image.tap &&
        flock -s gate "${runner[@]}" "$exe" "${args[@]}" >out$i; echo $? >status$i) &
done
# Every wait here is bounded: a helper that died fails the script, never hangs it.
await() { # <seconds> <condition...>
    local limit=$(($1 * 100))
    shift
    until "$@"; do
        ((limit-- > 0)) || { fail "gave up waiting for: $*" && exit 1; }
        sleep 0.01
    done
}
all_ready() { [ "$(ls ready* 2>/dev/null | wc -l)" -ge "$writers" ]; }
await 60 all_ready
sleep 0.3 && flock -u 9 && wait

printf 'An unknown exception occured\r\nException text:\r\n\tCannot open file "%s". %s\r\n' \
    "$work/image.tap" "The process cannot access the file because it is being used by another process" >conflict
# A runner such as valgrind makes each run so slow that a writer may wait its
# second out; there, and only there, a writer may be refused.
declare -A left
for ((i = 1; i <= writers; i++)); do
    if [ "$(cat status$i)" = 0 ] && [ ! -s out$i ]; then
        left[$i]=1
    elif [ -z "${runner[*]}" ] || [ "$(cat status$i)" != 1 ] || ! cmp -s out$i conflict; then
        fail "writer $i exited $(cat status$i): $(cat out$i)"
    fi
done
appended=${#left[@]}
((appended > 0)) || fail "no writer appended"

# Walk the image: at each offset the tape file of a writer that is still
# missing, found by the ZX name in its header ("fileN").
at=0 size=$(stat -c %s image.tap) piece=$(stat -c %s alone1.tap)
while ((at < size)); do
    name=$(tail -c +$((at + 5)) image.tap | head -c 10 | tr -d ' ')
    i=${name#file}
    [ -n "${left[$i]:-}" ] && cmp -s -n $piece -i $at:0 image.tap alone$i.tap ||
        { fail "no complete tape file at offset $at" && break; }
    unset "left[$i]" && ((at += piece))
done
[ ${#left[@]} = 0 ] || fail "missing the tape files of writers ${!left[*]}"

if [ "${REELKIT_SKIP_REAL_WAITS:-}" = 1 ]; then
    echo "$appended of $writers writers appended; the held image left out; $failures failures"
    [ "$failures" = 0 ]
    exit
fi

# hold: another program holds the image exclusively from now until released.
hold() {
    rm -f locked release
    timeout 60 flock -x image.tap -c 'touch locked; until [ -e release ]; do sleep 0.02; done' &
    await 60 test -e locked
}
release() { touch release && wait; }
writer 1 image.tap
cp image.tap before.tap && cat alone1.tap >>before.tap
hold
{ sleep 0.3 && touch release; } &
"${runner[@]}" "$exe" "${args[@]}" >held
[ $? = 0 ] && [ ! -s held ] && cmp -s before.tap image.tap || fail "image held for a moment"
release
cp image.tap before.tap
hold && start=$(now) && "${runner[@]}" "$exe" "${args[@]}" >held
status=$? took=$((($(now) - start) / 1000000)) limit=$((${#runner[@]} ? 8000 : 3000))
release
[ $status = 1 ] && cmp -s held conflict && cmp -s before.tap image.tap || fail "image held: $status"
((took >= 900 && took < limit)) || fail "image held: refused after $took ms"

echo "$appended of $writers writers appended; refused after $took ms; $failures failures"
[ "$failures" = 0 ]
