#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Proof that the example tapes, TAP and TZX, load and run, made with the load
# check that users run on their own tapes: the code must reach finish with
# A = 17, the length of its message, and HL past its end. A tape whose code
# block is cut short must stop with the ROM's tape loading error instead.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y \
    cmake make g++ libgtest-dev zmakebas pasmo xvfb xdotool fuse-emulator-sdl opense-basic

fail() {
    echo "45-fuse: $*" >&2
    exit 1
}

cmake --preset release >/dev/null
cmake --build --preset release --target Reelkit >/dev/null
reelkit=build/release/Reelkit
out=build/fuse
rm -rf "$out"
make -C examples OUT="../$out" >/dev/null
# pasmo writes "finish EQU 0801CH" and "message EQU 0801EH".
address() { awk -v name="$1" '$1 == name { sub(/H$/, "", $3); print "0x" $3 }' "$out/demo.sym"; }
finish=$(address finish)
message=$(address message)
[ -n "$finish" ] && [ -n "$message" ] || fail "no address for finish or message in $out/demo.sym"

for tape in demo.tap demo.tzx; do
    examples/loadcheck.sh -c "z80:a == 17 && z80:hl == $((message + 17))" "$out/$tape" "$finish" ||
        fail "$tape did not load and run"
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
examples/loadcheck.sh -t 30 -c '[[z80:sp] + 256 * [z80:sp + 1]] == 26' "$out/short.tap" 0x0008 ||
    fail "the short tape did not end in a tape loading error"
echo "45-fuse: the short tape ended in a tape loading error, as it must"
