#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: wine_files.sh <Reelkit.exe> <reelkit_hold_file.exe> <native Reelkit>; env WINE: wine64.
# Needs root, to mount a tiny tmpfs. Reelkit.exe under wine:
# - fills a 64 KiB file system block by block: every append that fits lands,
#   and the one that does not is undone byte for byte, with "Cannot write file";
# - reads an input that another program holds shared for reading;
# - waits about a second for a file held otherwise, then refuses it, image unchanged;
# - writes its usage text to a console.
set -u
wine=${WINE:-wine64}
. "${BASH_SOURCE%/*}/probe.sh" bash4 root tmpfs "$wine" script cmp head mktemp tr
exe=$1 holder=$2 native=$3 failures=0
work=$(mktemp -d) && cd "$work" || exit 1
full=$work/full
cleanup() { cd / && { umount "$full" 2>/dev/null; rm -rf "$work"; }; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
now() { date +%s%N; }
report=$'An unknown exception occured\r\nException text:\r\n\t'

mkdir "$full" && mount -t tmpfs -o size=64k tmpfs "$full" || exit 1
head -c 9000 /dev/urandom >"$full/block.bin"
: >"$full/image.tap" && : >expected.tap && cp "$full/block.bin" block.bin
for ((run = 1; run <= 20; run++)); do
    out=$(cd "$full" && "$wine" "$exe" +b image.tap block.bin) && status=0 || status=$?
    [ "$status" = 0 ] || break
    "$native" +b expected.tap block.bin || exit 1
    cmp -s expected.tap "$full/image.tap" || fail "append $run"
done
[ "$status" = 1 ] && [[ $out == "${report}Cannot write file \"Z:${full//\//\\}\\image.tap\". "* ]] ||
    fail "a full disk: $status $out"
cmp -s expected.tap "$full/image.tap" || fail "the failed append was not undone"
echo "$((run - 1)) appends fitted; the next was undone"

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
printf 'some input' >input.bin && : >image.tap
cp image.tap before.tap && "$native" +b before.tap input.bin
hold input.bin share
out=$("$wine" "$exe" +b image.tap input.bin) && cmp -s image.tap before.tap ||
    fail "input shared for reading: $out"
release
for held in input.bin:alone image.tap:share image.tap:alone; do
    cp image.tap before.tap && hold "${held%:*}" "${held#*:}"
    start=$(now)
    out=$("$wine" "$exe" +b image.tap input.bin) && status=0 || status=$?
    took=$((($(now) - start) / 1000000))
    release
    [ "$status" = 1 ] && [[ $out == "${report}Cannot open file \""*"${held%:*}\". "* ]] &&
        cmp -s image.tap before.tap && ((took >= 1000)) || fail "$held held: $status after $took ms $out"
done

# On a terminal wine gives the program a console, written as characters.
out=$(script -qec "$wine $exe --help" /dev/null | tr -d '\r') && status=0 || status=$?
[ "$status" = 0 ] && [[ $out == *"Usage:"*"Parameter description:"*"start address of code file in header."* ]] ||
    fail "usage on a console: $status $out"

echo "wine files: $failures failures"
[ "$failures" = 0 ]
