#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: wine_files.sh <Reelkit.exe> <reelkit_hold_file.exe> <native Reelkit>; env WINE: wine64.
# Needs root, to mount a tiny tmpfs. Reelkit.exe under wine:
# - fills a 64 KiB file system block by block: every append that fits lands,
#   and the one that does not is undone byte for byte, with "Cannot write file";
# - reads an input that another program holds shared for reading;
# - waits about a second for a file held otherwise, then refuses it, image unchanged;
# - +m on the full file system: a tape that does not fit beside the old one
#   leaves the old one and no temporary file, one that fits replaces it; a
#   read-only tape is refused at once; the Linux build too leaves the old tape;
# - +m of a tape that another program holds shared waits about a second for
#   it, then fails with the old tape intact; let go in time, it is replaced;
# - writes its usage text to a console.
set -u
wine=${WINE:-wine64}
. "${BASH_SOURCE%/*}/probe.sh" bash4 root tmpfs "$wine" script cmp head mktemp
exe=$1 holder=$2 native=$3 failures=0
work=$(mktemp -d) && cd "$work" || exit 1
full=$work/full
cleanup() { cd / && { umount "$full" 2>/dev/null; rm -rf "$work"; }; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
now() { date +%s%N; }
report=$'An unknown exception occured\r\nException text:\r\n\t'
# run <command...>: sets out and status. Reelkit reports every failure on
# standard output, so a run that fails in silence never ran (wine, seldom,
# loses a start): it is run once more.
run() {
    local again
    for again in 1 0; do
        out=$("$@") && status=0 || status=$?
        [ "$status" != 0 ] && [ -z "$out" ] && [ $again = 1 ] || return 0
        echo "wine lost a run (status $status); running it again"
    done
}

mkdir "$full" && mount -t tmpfs -o size=64k tmpfs "$full" || exit 1
head -c 9000 /dev/urandom >"$full/block.bin"
: >"$full/image.tap" && : >expected.tap && cp "$full/block.bin" block.bin && cd "$full"
for ((appends = 0; appends < 20; appends++)); do
    run "$wine" "$exe" +b image.tap block.bin
    [ "$status" = 0 ] || break
    "$native" +b "$work/expected.tap" "$work/block.bin" || exit 1
    cmp -s "$work/expected.tap" image.tap || fail "append $((appends + 1))"
done
cd "$work"
[ "$status" = 1 ] && [[ $out == "${report}Cannot write file \"Z:${full//\//\\}\\image.tap\". "* ]] ||
    fail "a full disk: $status $out"
cmp -s expected.tap "$full/image.tap" || fail "the failed append was not undone"
echo "$appends appends fitted; the next was undone"

# strays <folder>: the temporary files +m makes there (GetTempFileName's rk*.tmp).
strays() { compgen -G "$1/rk*.tmp" | wc -l; }
# made <tape> <list>: sets out and status for +m; the list is in $work, and
# the tape as the native build makes it from the same list is $work/made.tap.
made() {
    run "$wine" "$exe" +m "$1" "$2"
    rm -f "$work/made.tap" && "$native" +m "$work/made.tap" "$work/${2##*/}" || exit 1
}
printf '+b block.bin\n+b block.bin\n' >big.list && printf '+d input.bin 7\n' >small.list
printf 'some input' >input.bin
cp "$full/image.tap" before.tap && cd "$full"
made image.tap ../big.list
[ "$status" = 1 ] && [[ $out == "${report}Cannot write file \"Z:${full//\//\\}\\image.tap\". "* ]] &&
    cmp -s image.tap "$work/before.tap" && [ "$(strays .)" = 0 ] || fail "+m on a full disk: $status $out"
# The Linux build on the same full disk: the old tape, and no file of its own.
status=0
out=$("$native" +m image.tap ../big.list) || status=$?
[ "$status" = 1 ] && [[ $out == "${report}Cannot write file \"$full/image.tap\". "* ]] &&
    cmp -s image.tap "$work/before.tap" && [ -z "$(compgen -G '.image.tap.??????')" ] ||
    fail "+m of the Linux build on a full disk: $status $out"
made image.tap ../small.list
[ "$status" = 0 ] && [ -z "$out" ] && cmp -s image.tap "$work/made.tap" && [ "$(strays .)" = 0 ] ||
    fail "+m that fits on a full disk: $status $out"
cp image.tap "$work/before.tap" && chmod 444 image.tap && start=$(now)
made image.tap ../big.list
took=$((($(now) - start) / 1000000)) && chmod 644 image.tap
[ "$status" = 1 ] && [[ $out == "${report}Cannot write file \"Z:${full//\//\\}\\image.tap\". "* ]] &&
    cmp -s image.tap "$work/before.tap" && [ "$(strays .)" = 0 ] && ((took < 1000)) ||
    fail "+m of a read-only tape: $status after $took ms $out"
cd "$work"
echo "+m on the full disk: too big refused, small made, read-only refused, on Windows and Linux"

# hold <file> share|alone: reelkit_hold_file holds it until released.
hold() {
    rm -f ready release
    "$wine" "$holder" "$1" "$2" ready release &
    for ((tries = 0; tries < 600; tries++)); do
        [ -e ready ] && return
        sleep 0.05
    done
    fail "the holder of $1 did not start" && exit 1
}
release() { touch release && wait; }
: >image.tap
cp image.tap before.tap && "$native" +b before.tap input.bin
hold input.bin share
run "$wine" "$exe" +b image.tap input.bin
[ "$status" = 0 ] && cmp -s image.tap before.tap || fail "input shared for reading: $status $out"
release
for held in input.bin:alone image.tap:share image.tap:alone; do
    cp image.tap before.tap && hold "${held%:*}" "${held#*:}"
    start=$(now)
    run "$wine" "$exe" +b image.tap input.bin
    took=$((($(now) - start) / 1000000))
    release
    [ "$status" = 1 ] && [[ $out == "${report}Cannot open file \""*"${held%:*}\". "* ]] &&
        cmp -s image.tap before.tap && ((took >= 1000)) || fail "$held held: $status after $took ms $out"
done

# A +m waits about a second for a tape held shared, then fails; let go in
# time, the tape is replaced.
"$native" +b image.tap input.bin && cp image.tap before.tap
hold image.tap share
start=$(now)
made image.tap small.list
took=$((($(now) - start) / 1000000))
release
[ "$status" = 1 ] && [[ $out == "${report}Cannot write file \""*"image.tap\". "* ]] &&
    cmp -s image.tap before.tap && [ "$(strays .)" = 0 ] && ((took >= 1000)) ||
    fail "+m of a tape held: $status after $took ms $out"
hold image.tap share
{ sleep 0.3 && touch release; } &
made image.tap small.list
release
[ "$status" = 0 ] && [ -z "$out" ] && cmp -s image.tap made.tap && [ "$(strays .)" = 0 ] ||
    fail "+m of a tape held for a moment: $status $out"
echo "+m of a tape held: refused after $took ms, and made once let go"

# On a terminal wine gives the program a console, written as characters.
run script -qec "$wine $exe --help" /dev/null
out=${out//$'\r'/}
[ "$status" = 0 ] && [[ $out == *"Usage:"*"Parameter description:"*"start address of code file in header."* ]] ||
    fail "usage on a console: $status $out"

echo "wine files: $failures failures"
[ "$failures" = 0 ]
