#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What +i shows of a tape agrees with tools that are not ours: over tapes made
# by zmakebas, pasmo, tapeconv (TAP and TZX, with an archive info block) and
# Reelkit, each block's kind, name, numbers and checksum verdict as tzxlist
# gives them, and each program's lines as listbasic lists them. Every sound
# tape gives exit status 0 (a loader without its code 1), and a tape whose
# checksum is spoilt exit 1 with that block named.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends cmake make g++ libgtest-dev fuse-emulator-utils zmakebas pasmo

fail() {
    echo "42-listing: $*" >&2
    exit 1
}

cmake --preset release >/dev/null
cmake --build --preset release --target Reelkit >/dev/null
reelkit=$PWD/build/release/Reelkit
out=build/listing
rm -rf "$out" && mkdir -p "$out"
make -C examples OUT="../$out/example" >/dev/null
cd "$out"

# The corpus. zmakebas tokenises every keyword the ROM knows, numbers,
# strings and the escapes of block graphics, UDGs and colour codes.
cat >all.bas <<'EOF'
10 REM a program of every kind of statement
20 LET a=PI*2: PRINT a;"abc",INKEY$;RND: IF a<>b AND c>=d OR e<=f THEN GO TO 10
30 FOR i=1 TO 10 STEP 2: NEXT i: PRINT AT 1,2;TAB 3;"x": POKE 23739,111: BORDER 0: PAPER 7: INK 2: BRIGHT 1: CLS
40 LOAD ""CODE 32768: LOAD ""SCREEN$: RANDOMIZE USR 32768: OUT 32765,17: CLEAR 24999
50 DEF FN a(x)=x*x: PRINT FN a(3),SCREEN$ (1,2),ATTR (1,2),POINT (1,2),CODE "a",VAL "1",LEN "a"
60 PRINT SIN 1,COS 1,TAN 1,ASN 1,ACS 1,ATN 1,LN 1,EXP 1,INT 1,SQR 1,SGN 1,ABS 1,PEEK 1,IN 1,USR 1,STR$ 1,CHR$ 1,NOT 1,BIN 101
70 PRINT 1.5;1e10;0.001;65536;-1: GO SUB 100: RETURN: STOP: CONTINUE: DIM a(10): DIM b$(2,3): SAVE "x" LINE 10: VERIFY "x": MERGE "x"
80 READ a: DATA 1,2: RESTORE 10: NEW: LLIST: LIST: LPRINT "x": INPUT a: PLOT 1,2: DRAW 1,2: CIRCLE 1,2,3: BEEP 1,2: OPEN #2,"s": CLOSE #2: FLASH 1: INVERSE 1: OVER 1: COPY: RUN
90 PRINT "\a\b\s\{16}\{2}ink \{22}\{1}\{2}at \::\ .\' \\ done"
9999 PRINT "the last line"
EOF
zmakebas -a 10 -n all -o all.tap all.bas
zmakebas -a 10 -n loader -o loader.tap ../../examples/loader.bas
pasmo --tap ../../examples/demo.asm pasmo.tap
pasmo --tapbas ../../examples/check.asm pasmobas.tap
for tape in example/demo.tap example/screen.tap example/banks.tap; do cp "$tape" .; done
cat loader.tap pasmo.tap >joined.tap
# Arrays (before any loader, which would count them), a loader and what it
# loads, then headerless blocks, with the data flag and one of their own.
printf '\1\3\0\0\0\1\0\0\0\0\2\0\0\0\0\3\0\0' >numbers.bin
printf '\2\2\0\3\0ABCDEF' >characters.bin
cat >mixed.list <<'EOF'
+f numbers.bin nums N a
+f characters.bin chars $ b
+l mixed 32768 24999 SC
+f example/screen.scr screen C 16384
+f example/demo.bin democode C 32768
+b example/demo.sym
+d example/check.bin 1
EOF
"$reelkit" +m mixed.tap mixed.list || fail "+m mixed.tap"
# An archive info block (title, author) for tapeconv to put in front.
printf 'ZXTape!\x1a\x01\x14\x32\x16\x00\x02\x00\x07Reelkit\x02\x0aThe author' >info.tzx
tapeconv -a info.tzx all.tap archived.tzx
for tap in *.tap; do
    tapeconv "$tap" "${tap%.tap}.tzx"
done
tapeconv archived.tzx back.tap 2>/dev/null # it says it leaves the archive info out

# Each block as "n kind name numbers verdict", from tzxlist's words...
from_tzxlist() {
    tzxlist "$1" | awk '
        function flush() { if (n) print n, kind, text, verdict; kind = ""; text = ""; verdict = "" }
        function name() { match($0, /"[^"]*"/); s = substr($0, RSTART + 1, RLENGTH - 2); sub(/ +$/, "", s); return s }
        /^--= Block #/ { flush(); n = substr($3, 2) + 1 }
        /^  Block type 0x10/ { kind = "data" }
        /^  Block type 0x32/ { kind = "archive" }
        /^  Program: / { kind = "program"; text = name(); if (/ LINE /) text = text " line " $NF }
        /^  Length: / { text = text " length " $2 + 0 }
        /^  Bytes: / { kind = "bytes"; text = name(); sub(/,/, "", $(NF - 1)); text = text " " $(NF - 1) " " $NF }
        /^  Number Array: / { kind = "numbers"; text = name() " " tolower(substr($NF, 1, 1)) }
        /^  Character Array: / { kind = "characters"; text = name() " " tolower(substr($NF, 1, 1)) }
        /^  Datablock length: / { text = $3 }
        /^  Full Title: / { sub(/^  Full Title: /, ""); text = text " title " $0 }
        /^ +Author: / { sub(/^ +Author: /, ""); text = text " author " $0 }
        /^  Checksum: / { verdict = $3 }
        END { flush() }'
}
# ... and from +i's.
from_reelkit() {
    "$reelkit" +i "$1" | tr -d '\r' | awk '
        function name() { match(rest, /"[^"]*"/); return substr(rest, RSTART + 1, RLENGTH - 2) }
        /^Block [0-9]+: / {
            n = substr($2, 1, length($2) - 1) + 0; rest = $0; sub(/^Block [0-9]+: /, "", rest)
            verdict[n] = "(PASS)"
            if (rest ~ /^Program: /) { t = name(); if (rest ~ / LINE /) { split(rest, w, " LINE "); t = t " line " w[2] + 0 }
                match(rest, /length [0-9]+/); line[n] = "program " t " length " substr(rest, RSTART + 7, RLENGTH - 7) }
            else if (rest ~ /^Bytes: /) { t = rest; sub(/.* CODE /, "", t); split(t, w, ","); line[n] = "bytes " name() " " w[1] " " w[2] }
            else if (rest ~ /^Number array: /) { t = rest; sub(/.*" /, "", t); line[n] = "numbers " name() " " substr(t, 1, 1) }
            else if (rest ~ /^Character array: /) { t = rest; sub(/.*" /, "", t); line[n] = "characters " name() " " substr(t, 1, 1) }
            else if (rest ~ /^Data: /) { split(rest, w, " "); line[n] = "data " w[2] }
            else if (rest ~ /^Archive info/) { t = rest; gsub(/"/, "", t); sub(/^Archive info: /, "", t); sub(/, author /, " author ", t); line[n] = "archive  " t; verdict[n] = "" }
            else line[n] = "other"
            last = n
        }
        /^Fault in block [0-9]+: the checksum/ { f = $4; sub(/:/, "", f); verdict[f + 0] = "(FAIL)" }
        END { for (i = 1; i <= last; i++) print i, line[i], verdict[i] }'
}

tapes=(*.tap *.tzx)
[ "${#tapes[@]}" -ge 20 ] || fail "the corpus holds only ${#tapes[@]} tapes"
for tape in "${tapes[@]}"; do
    [ "$tape" = info.tzx ] && continue
    # The loader alone: its LOAD ""CODE finds nothing to load, its USR no code.
    expected=0
    [ "${tape%.*}" = loader ] && expected=1
    status=0
    "$reelkit" +i "$tape" >/dev/null || status=$?
    [ "$status" = "$expected" ] || fail "+i $tape: exit status $status, not $expected"
    diff <(from_tzxlist "$tape") <(from_reelkit "$tape") >listing.diff ||
        fail "+i $tape does not agree with tzxlist:"$'\n'"$(cat listing.diff)"
    diff <(listbasic "$tape" 2>/dev/null) <("$reelkit" +i "$tape" | tr -d '\r' | grep -E '^[ 0-9]{4}[0-9]' || true) \
        >basic.diff || fail "+i $tape does not list its programs as listbasic does:"$'\n'"$(cat basic.diff)"
done
echo "42-listing: ${#tapes[@]} tapes agree with tzxlist and listbasic"

# Each of them, as the other tools made it, is a tape that blocks are
# appended to; tzxlist lists the block after its own.
for tape in "${tapes[@]}"; do
    [ "$tape" = info.tzx ] && continue
    cp "$tape" "appended.${tape##*.}"
    "$reelkit" +b "appended.${tape##*.}" numbers.bin || fail "+b to $tape refused it"
    [ $(($(stat -c %s "appended.${tape##*.}") - $(stat -c %s "$tape"))) -ge 22 ] ||
        fail "+b to $tape appended no block"
    tzxlist "appended.${tape##*.}" | grep -q "Datablock length: 18" || fail "tzxlist does not list the block appended to $tape"
done
rm -f appended.tap appended.tzx
echo "42-listing: each of them takes a block appended to it"

# A spoilt checksum: tzxlist says FAIL, +i names the block and exits 1.
cp pasmo.tap spoilt.tap
printf '\x00' | dd of=spoilt.tap bs=1 seek=$(($(stat -c %s spoilt.tap) - 1)) conv=notrunc status=none
tzxlist spoilt.tap | grep -q 'Checksum: 0x[0-9a-f]* (FAIL)' || fail "tzxlist does not fail spoilt.tap"
status=0
"$reelkit" +i spoilt.tap >spoilt.out || status=$?
[ "$status" = 1 ] && grep -q '^Fault in block 2: the checksum is 0x00' spoilt.out ||
    fail "+i spoilt.tap: exit status $status: $(cat spoilt.out)"
diff <(from_tzxlist spoilt.tap) <(from_reelkit spoilt.tap) || fail "+i spoilt.tap does not agree with tzxlist"
echo "42-listing: a spoilt checksum is a fault of its block, as tzxlist has it"
