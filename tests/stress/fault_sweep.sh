#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: fault_sweep.sh <Reelkit binary>; env REELKIT_RUNNER: a program to run it with,
# REELKIT_CUT_STEP: bytes between cut points (1, every byte, by default).
# Each command, cut short by a file size limit at every byte of its append,
# leaves the image byte for byte as it was and reports the failed write; so
# does a full block, cut at its first and last bytes, and a new TZX image,
# whose file header goes in the same append. Inputs that are gone, folders or
# unreadable are reported and change nothing.
set -u
. "${BASH_SOURCE%/*}/probe.sh" bash4 stat cmp prlimit seq tr head mktemp $([ "$(id -u)" = 0 ] && echo setpriv)
exe=$1 runner=(${REELKIT_RUNNER:-}) unreadable=() failures=0 cuts=0
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work" || exit 1
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { out=$("$@" "${runner[@]}" "$exe" "${args[@]}"); rc=$?; }
# expect <case> <status> <pattern of the whole output>; the image must be as it was.
base=base.tap image=image.tap
expect() { cmp -s $base $image && [ "$rc" = "$2" ] && [[ $out == $3 ]] || fail "$1: $rc $out"; }
# cut <case> <bytes>: the append cut short by a file size limit after <bytes> of it.
cut() {
    cp $base $image
    # The program guards itself against SIGXFSZ; a runner such as valgrind writes
    # files of its own before the program starts and is spared the signal.
    [ -n "${runner[*]}" ] && trap '' XFSZ
    run prlimit --fsize=$(($(stat -c %s $base) + $2)) --
    trap - XFSZ
    expect "$1, cut at $2" 1 "${report}Cannot write file \"$work/$image\". *"$'\r'
    cuts=$((cuts + 1))
}
report="An unknown exception occured"$'\r\n'"Exception text:"$'\r\n\t'
printf '\5\0\377tap\232' >base.tap # a TAP image: its first block fits
seq 1 12 | tr -d '\n' >pc.bin
printf 'header seventeen!' >header.bin
printf 'prog    B\4\0\4\0\0\0\0\0ABCD\x80\xaa\n\0' >hobeta.bin
{ printf 'SINCLAIR\2prog    B\4\0\4\0\1code    C\0\x80\3\0\1ABCD\x80\xaa\n\0'; head -c 504 /dev/zero; } >disk.scl
commands=("+b image.tap pc.bin" "+h image.tap name C 32768 5" "+f image.tap pc.bin name B 10"
    "+hb image.tap header.bin" "+\$ image.tap hobeta.bin" "+t image.tap disk.scl"
    "+l image.tap name 32768 24999 SC" "+d image.tap pc.bin 7")
old=$(stat -c %s base.tap)
declare -A appended
for command in "${commands[@]}"; do
    read -ra args <<<"$command"
    cp base.tap image.tap && run
    appended[$command]=$(($(stat -c %s image.tap) - old))
    [ "$rc$out" = 0 ] && [ "${appended[$command]}" -gt 0 ] || fail "$command: $rc $out"
    for ((at = 0; at < appended[$command]; at += ${REELKIT_CUT_STEP:-1})); do
        cut "$command" $at
    done
done
head -c 65533 /dev/urandom >full.bin
args=(+b image.tap full.bin)
for at in 0 1 65535 65536; do cut "${args[*]}" $at; done
: >base.tzx && base=base.tzx image=image.tzx args=(+f image.tzx pc.bin name C 32768)
cp $base $image && run && size=$(stat -c %s $image)
[ "$rc$out" = 0 ] && [ "$size" -gt 10 ] || fail "${args[*]}: $rc $out"
for ((at = 0; at < size; at += ${REELKIT_CUT_STEP:-1})); do cut "${args[*]}" $at; done
base=base.tap image=image.tap

# Root reads anything unless it drops its override capabilities.
[ "$(id -u)" = 0 ] && unreadable=(setpriv --bounding-set=-dac_override,-dac_read_search --)
for command in "${commands[@]}"; do
    read -ra args <<<"$command"
    input=${args[2]}
    [ -f "$input" ] && cp "$input" keep.bin && cp base.tap image.tap || continue
    gone="Specified in agrument 3 file is not found"$'\r\n'*
    rm "$input" && run && expect "$command, input gone" 2 "$gone"
    mkdir "$input" && run && expect "$command, input a folder" 2 "$gone"
    rmdir "$input" && cp keep.bin "$input" && chmod 000 "$input" && run "${unreadable[@]}"
    expect "$command, input unreadable" 1 "${report}Cannot open file \"$work/$input\". *"$'\r'
    chmod 644 "$input" && chmod 444 image.tap && run "${unreadable[@]}"
    expect "$command, image read-only" 1 "${report}Cannot open file \"$work/image.tap\". *"$'\r'
    chmod 644 image.tap
done

# An image that may be written but not read is appended to as ever; an empty
# one named .tzx still gets its TZX header, but a non-empty one, which cannot
# be told from a TAP image, is refused.
args=(+b tape.tzx pc.bin)
: >tape.tzx && run && cp tape.tzx whole.tzx
: >tape.tzx && chmod 200 tape.tzx && run "${unreadable[@]}"
chmod 644 tape.tzx && cmp -s tape.tzx whole.tzx && [ "$rc$out" = 0 ] || fail "write-only empty .tzx: $rc $out"
cp base.tap image.tap && cp base.tap wanted.tap && args=(+b wanted.tap pc.bin) && run
args=(+b image.tap pc.bin) && chmod 200 image.tap && run "${unreadable[@]}"
chmod 644 image.tap && cmp -s image.tap wanted.tap && [ "$rc$out" = 0 ] || fail "write-only TAP: $rc $out"
cp whole.tzx tape.tzx && chmod 200 tape.tzx && args=(+b tape.tzx pc.bin) && run "${unreadable[@]}"
chmod 644 tape.tzx && cmp -s tape.tzx whole.tzx && [ "$rc" = 1 ] &&
    [[ $out == "${report}Cannot write file \"$work/tape.tzx\". The file cannot be read to tell whether it is a TZX image"$'\r' ]] ||
    fail "write-only non-empty .tzx: $rc $out"

echo "$cuts cut runs; $failures failures"
[ "$failures" = 0 ]
