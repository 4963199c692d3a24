#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Proof that the example tapes load and run, made with the load check that
# users run on their own tapes:
# - demo.tap and demo.tzx: the code must reach finish with A = 17, the length
#   of its message, and HL past its end; a tape whose code block is cut short
#   must stop with the ROM's tape loading error instead;
# - the loader Reelkit makes itself (+l): its tape file is byte for byte what
#   zmakebas makes of the same listing, for several Blocks words, with bank
#   digits and without; screen.tap, built by Reelkit alone, loads on the
#   OpenSE ROM and its code finds the screen loaded before it intact, the sum
#   of its bytes in HL; a loader that leaves out the POKE, so that a block's
#   name is printed over the screen, must fail that check though its code
#   gets just as far;
# - the screen's channel given back: the demo code, loaded by an SC loader
#   after a screen, prints (the print position moves from where it was, kept
#   in IX); behind the SC loader of Reelkit 1.1.0, which does not give it
#   back, it prints nothing and the check fails.
set -euo pipefail
cd "$(dirname "$0")/../.."

. .ci/lanes.sh
load_stage 45-fuse fuse
finish=$(address demo finish)
message=$(address demo message)

# The Fuse runs go two at a time; each is judged at the end.
for tape in demo.tap demo.tzx; do
    lane "$tape" reach "45-fuse: $tape loads and runs" \
        -c "z80:a == 17 && z80:hl == $((message + 17))" "$out/$tape" "$finish"
done

# The code block 20 bytes shorter than its header says, in a tape that is
# otherwise sound (a tape cut in the middle of a block Fuse refuses to open).
# LOAD ""CODE then reports R Tape loading error: the ROM's error restart,
# RST 8 at 0x0008, is reached with the report's code, 26, at the address on
# the top of the stack.
: >"$out/short.tap"
"$reelkit" +f "$out/short.tap" "$out/loader.bin" demo B 10
"$reelkit" +h "$out/short.tap" democode C 0x8000 "$(stat -c %s "$out/demo.bin")"
head -c -20 "$out/demo.bin" >"$out/short.bin"
"$reelkit" +b "$out/short.tap" "$out/short.bin"
lane short reach "45-fuse: the short tape ends in a tape loading error, as it must" \
    -t 30 -c '[[z80:sp] + 256 * [z80:sp + 1]] == 26' "$out/short.tap" 0x0008

# Arguments after the name, and the listing they must give.
words=(
    '32768 24999 SC|10 CLEAR VAL "24999": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE : POKE VAL "23739",VAL "244": RANDOMIZE USR VAL "32768"'
    '32768|10 CLEAR VAL "32767": LOAD ""CODE : RANDOMIZE USR VAL "32768"'
    '0x6000 0 cSsc|10 CLEAR VAL "0": LOAD ""CODE : LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE : POKE VAL "23739",VAL "244": RANDOMIZE USR VAL "24576"'
    '65535 65534 S|10 CLEAR VAL "65534": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": POKE VAL "23739",VAL "244": RANDOMIZE USR VAL "65535"'
    '0x8000 0x7FFF SC1346|10 CLEAR VAL "32767": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE : @17: LOAD ""CODE : @19: LOAD ""CODE : @20: LOAD ""CODE : @22: LOAD ""CODE : @16: POKE VAL "23739",VAL "244": RANDOMIZE USR VAL "32768"'
    '49152 49151 7|10 CLEAR VAL "49151": @23: LOAD ""CODE : @16: RANDOMIZE USR VAL "49152"'
    '24576 24575 1c0S3|10 CLEAR VAL "24575": @17: LOAD ""CODE : LOAD ""CODE : @16: LOAD ""CODE : LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": @19: LOAD ""CODE : @16: POKE VAL "23739",VAL "244": RANDOMIZE USR VAL "24576"'
    '0 1 6C|10 CLEAR VAL "1": @22: LOAD ""CODE : @16: LOAD ""CODE : RANDOMIZE USR VAL "0"'
)
# @b in a listing: bank b - 16 paged in, BANKM first.
page='POKE VAL "23388",VAL "&": OUT VAL "32765",VAL "&"'
for word in "${words[@]}"; do
    args=${word%%|*}
    listing=${word#*|}
    while [[ $listing =~ @([0-9]+) ]]; do
        listing=${listing/"@${BASH_REMATCH[1]}"/"${page//&/${BASH_REMATCH[1]}}"}
    done
    printf '%s\n' "$listing" >"$out/words.bas"
    zmakebas -a 10 -n loader -o "$out/zmakebas.tap" "$out/words.bas"
    : >"$out/reelkit.tap"
    "$reelkit" +l "$out/reelkit.tap" loader $args
    cmp "$out/zmakebas.tap" "$out/reelkit.tap" || fail "+l ... $args: not what zmakebas makes"
done
echo "45-fuse: ${#words[@]} loaders, with banks and without, are what zmakebas makes of their listings"

sum=$(cat "$out/screen.sum")
finish=$(address check finish)
lane screen reach "45-fuse: the tape built by Reelkit alone loads with its screen intact" \
    -c "z80:hl == $sum" "$out/screen.tap" "$finish"

# The same blocks behind a loader that loads the screen as plain code,
# without the POKE. The tape's own loader is its 21-byte header block and a
# data block of 2 + length bytes.
: >"$out/spoilt.tap"
"$reelkit" +l "$out/spoilt.tap" screen 0x8000 0x7FFF CC
read -r low high < <(od -An -tu1 -j 21 -N 2 "$out/screen.tap")
tail -c +$((21 + 2 + low + 256 * high + 1)) "$out/screen.tap" >>"$out/spoilt.tap"
# Its code gets to finish, with another sum: the check above would fail it.
lane spoilt reach "45-fuse: a block name printed over the screen fails the check, as it must" \
    -c "z80:hl != $sum" "$out/spoilt.tap" "$finish"

# The demo code behind an SC loader and a screen: it prints, moving the print
# position DF_CC (23684) away from where it was before, which it keeps in IX.
finish=$(address demo finish)
printed="[23684] + 256 * [23685] != z80:ix"
: >"$out/channel.tap"
"$reelkit" +l "$out/channel.tap" channel 0x8000 0x7FFF SC
"$reelkit" +f "$out/channel.tap" "$out/screen.scr" picture C 0x4000
"$reelkit" +f "$out/channel.tap" "$out/demo.bin" democode C 0x8000
lane channel reach "45-fuse: code loaded after a screen by an SC loader prints" \
    -c "z80:a == 17 && $printed" "$out/channel.tap" "$finish"

# The same blocks behind the SC loader of Reelkit 1.1.0, without the POKE
# that gives the channel back: its code gets to finish, having printed
# nothing, so the check above would fail it.
printf '%s\n' '10 CLEAR VAL "32767": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE : RANDOMIZE USR VAL "32768"' \
    >"$out/mute.bas"
zmakebas -a 10 -n channel -o "$out/mute.tap" "$out/mute.bas"
read -r low high < <(od -An -tu1 -j 21 -N 2 "$out/channel.tap")
tail -c +$((21 + 2 + low + 256 * high + 1)) "$out/channel.tap" >>"$out/mute.tap"
lane mute reach "45-fuse: behind a loader that keeps the channel muted it prints nothing, so the check can fail" \
    -c "z80:a == 17 && [23684] + 256 * [23685] == z80:ix" "$out/mute.tap" "$finish"
lanes_end
