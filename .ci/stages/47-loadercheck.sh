#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Proof that each kind of fault the loader check of +i finds breaks a real
# load, made with the load check that users run on their own tapes: a tape
# that +i faults, with that fault and no other, does not reach its program's
# finish in Fuse, and the same tape with the fault mended does.
#
# On the 48K each tape holds a loader made by +l, the screen and the two
# files of parts.asm: part2 at 43008, where the program starts, adds up the
# screen into HL and jumps into part1, 10 KiB at 32768 that begin with
# finish. Mended, every one of them is sound.tap, +l ... 43008 32767 SCC and
# the screen, part2 and part1 in that order, which must reach finish with the
# screen's sum in HL: its one run proves every mend. The faults:
# - more: part1 left off; the last LOAD ""CODE waits for a tape that has
#   ended. Mended by appending part1;
# - array: part1 as a number array; LOAD ""CODE passes it by and waits on.
#   Mended with part1 as code;
# - fewer: a loader of the screen and part2 only (SC); part2 jumps into
#   part1, never loaded. Mended by loading both;
# - long: the screen 256 bytes too long; LOAD ""SCREEN$ stops with "R Tape
#   loading error". Mended with the 6912-byte screen;
# - low: CLEAR 40000; part1, loaded over the machine stack just below it,
#   leaves the ROM a return address of zeros, a reset. Mended with CLEAR 32767;
# - past: part2 at 65520, its last 8 bytes, and its jump to finish with them,
#   past 65535, lost in the ROM; from 65535 the Z80 runs on into the ROM at 0,
#   a reset. Mended by loading it at 43008, and calling it there;
# - stray: RANDOMIZE USR 43080, in no file: the Z80 runs up through empty
#   memory into the ROM at 0. Mended with the address of part2.
# On the 128K a loader from a listing by zmakebas (+l writes none with such a
# CLEAR) pages bank 1 in, loads paged.bin at 60000 and runs it there; it
# must reach finish with A = 17, BANKM as the loader set it:
# - stack: CLEAR 59999 puts the machine stack just below 59999, in the bank
#   at 49152, which the OUT that pages bank 1 in takes away: the ROM returns
#   from OUT through bank 1's bytes, a reset. Mended with CLEAR 32767.
# Each time allowed is about twice what the mended tape takes (4 s on the
# 48K, 11 s on the 128K, where the loader loads at the tape's own speed).
set -euo pipefail
cd "$(dirname "$0")/../.."

. .ci/lanes.sh
load_stage 47-loadercheck loadercheck
finish=$(address parts finish)
start=$(address parts start)

# tape <name> <RunAddress> <ClearAddress> <Blocks> <file:type:start>...: the
# loader, named loader on every tape, then each file by +f, named as the file
# is, C or N (a number array).
tape() {
    local name=$1 run=$2 clear=$3 blocks=$4 file type file_start
    shift 4
    : >"$out/$name.tap"
    "$reelkit" +l "$out/$name.tap" loader "$run" "$clear" "$blocks"
    for file; do
        IFS=: read -r file type file_start <<<"$file"
        if [ "$type" = C ]; then
            "$reelkit" +f "$out/$name.tap" "$out/$file" "${file%.*}" C "$file_start"
        else
            "$reelkit" +f "$out/$name.tap" "$out/$file" "${file%.*}" N a
        fi
    done
}
# faulted <tape> <fault>: +i gives that fault, "Fault in block N: ...", and no
# other, with exit status 1.
faulted() {
    local listing status=0
    listing=$("$reelkit" +i "$out/$1" | tr -d '\r') || status=$?
    [ "$status" = 1 ] || fail "+i $1 exited with $status, not 1: $listing"
    grep -qxF "Fault in block $2" <<<"$listing" || fail "+i $1 does not give \"Fault in block $2\": $listing"
    [ "$(grep -c '^Fault' <<<"$listing")" = 1 ] || fail "+i $1 gives more faults than its own: $listing"
}
# sound <tape>: +i finds no fault.
sound() {
    local listing
    listing=$("$reelkit" +i "$out/$1" | tr -d '\r') || fail "+i $1 faults it: $listing"
    ! grep -q '^Fault' <<<"$listing" || fail "+i $1 faults it: $listing"
}
# The Fuse runs go two at a time; each is judged at the end.

screen=screen.scr:C:16384
part1=part1.bin:C:$finish
part2=part2.bin:C:$start
tape sound "$start" 32767 SCC "$screen" "$part2" "$part1"
sound sound.tap
lane sound reach "47-loadercheck: sound.tap, every faulty tape mended, reaches finish with the screen intact" \
    -t 8 -c "z80:hl == $(cat "$out/screen.sum")" "$out/sound.tap" "$finish"

tape more "$start" 32767 SCC "$screen" "$part2"
faulted more.tap "1: the loader loads 3 files, 2 follow it"
# Mended, it is sound.tap itself.
cp "$out/more.tap" "$out/mended.tap"
"$reelkit" +f "$out/mended.tap" "$out/part1.bin" part1 C "$finish"
cmp -s "$out/mended.tap" "$out/sound.tap" || fail "more.tap with part1 appended is not sound.tap"
lane more stuck "47-loadercheck: a loader that loads more files than follow it waits for the tape, as +i says" \
    -t 8 "$out/more.tap" "$finish"

tape array "$start" 32767 SCC "$screen" "$part2" part1.bin:N
faulted array.tap '7: LOAD ""CODE finds Number array "part1", not code'
lane array stuck "47-loadercheck: LOAD \"\"CODE passes a number array by, as +i says" \
    -t 8 "$out/array.tap" "$finish"

tape fewer "$start" 32767 SC "$screen" "$part2" "$part1"
faulted fewer.tap "1: the loader loads 2 files, 3 follow it"
lane fewer stuck "47-loadercheck: a loader that loads fewer files than follow it runs without them, as +i says" \
    -t 8 "$out/fewer.tap" "$finish"

head -c 256 /dev/zero | cat "$out/screen.scr" - >"$out/long.scr"
tape long "$start" 32767 SCC long.scr:C:16384 "$part2" "$part1"
faulted long.tap '3: LOAD ""SCREEN$ finds "long", 7168 bytes at 16384: a screen is 6912 bytes at 16384'
lane long stuck "47-loadercheck: LOAD \"\"SCREEN\$ of 7168 bytes stops the loader, as +i says" \
    -t 8 "$out/long.tap" "$finish"

tape low "$start" 40000 SCC "$screen" "$part2" "$part1"
faulted low.tap "7: \"part1\" loads at $((finish)), not above CLEAR 40000"
lane low stuck "47-loadercheck: code loaded over the stack below CLEAR breaks the loader, as +i says" \
    -t 8 "$out/low.tap" "$finish"

tape past 65520 32767 SCC "$screen" part2.bin:C:65520 "$part1"
faulted past.tap "5: \"part2\" ends at 65544, past 65536"
lane past stuck "47-loadercheck: code past 65536 is lost, as +i says" -t 8 "$out/past.tap" "$finish"

tape stray 43080 32767 SCC "$screen" "$part2" "$part1"
faulted stray.tap "1: RANDOMIZE USR 43080 is in no file the loader loads"
lane stray stuck "47-loadercheck: RANDOMIZE USR into no file loaded runs astray, as +i says" \
    -t 8 "$out/stray.tap" "$finish"

# The 128K: paged <name> <CLEAR address>, the loader named loader on both.
finish=$(address paged finish)
start=$(address paged start)
paged() {
    printf '10 CLEAR %d: POKE 23388,17: OUT 32765,17: LOAD ""CODE : RANDOMIZE USR %d\n' \
        "$2" "$start" >"$out/$1.bas"
    zmakebas -a 10 -n loader -o "$out/$1.tap" "$out/$1.bas"
    "$reelkit" +f "$out/$1.tap" "$out/paged.bin" paged C "$finish"
}
paged paged 32767
sound paged.tap
lane paged reach "47-loadercheck: paged.tap reaches finish on the 128K with bank 1 paged in" \
    -m 128 -t 20 -c 'z80:a == 17' "$out/paged.tap" "$finish"
paged stack 59999
faulted stack.tap "1: CLEAR 59999 is not below 49152, where the loader pages 128K banks"
lane stack stuck "47-loadercheck: a loader that pages banks over its stack breaks, as +i says" \
    -m 128 -t 20 "$out/stack.tap" "$finish"
lanes_end
