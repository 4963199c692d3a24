#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The loader Reelkit makes itself (+l). Its tape file is byte for byte what
# zmakebas makes of the same listing, for several Blocks words. The example
# tape built by Reelkit alone loads in Fuse on the OpenSE ROM: its code finds
# the screen loaded before it intact, the sum of its bytes in HL. A loader
# that leaves out the POKE, so that a block's name is printed over the
# screen, must fail that check though its code gets just as far.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y \
    cmake make g++ libgtest-dev zmakebas pasmo xvfb xdotool fuse-emulator-sdl opense-basic

fail() {
    echo "46-loader: $*" >&2
    exit 1
}

cmake --preset release >/dev/null
cmake --build --preset release --target Reelkit >/dev/null
reelkit=build/release/Reelkit
out=build/loader
rm -rf "$out"
mkdir -p "$out"

# Arguments after the name, and the listing they must give.
words=(
    '32768 24999 SC|10 CLEAR VAL "24999": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE : RANDOMIZE USR VAL "32768"'
    '32768|10 CLEAR VAL "32767": LOAD ""CODE : RANDOMIZE USR VAL "32768"'
    '0x6000 0 cSsc|10 CLEAR VAL "0": LOAD ""CODE : LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE : RANDOMIZE USR VAL "24576"'
    '65535 65534 S|10 CLEAR VAL "65534": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": RANDOMIZE USR VAL "65535"'
)
for word in "${words[@]}"; do
    args=${word%%|*}
    printf '%s\n' "${word#*|}" >"$out/loader.bas"
    zmakebas -a 10 -n loader -o "$out/zmakebas.tap" "$out/loader.bas"
    : >"$out/reelkit.tap"
    "$reelkit" +l "$out/reelkit.tap" loader $args
    cmp "$out/zmakebas.tap" "$out/reelkit.tap" || fail "+l ... $args: not what zmakebas makes"
done
echo "46-loader: ${#words[@]} loaders are what zmakebas makes of their listings"

make -C examples OUT="../$out" >/dev/null
sum=$(cat "$out/screen.sum")
# pasmo writes "finish EQU 08015H".
finish=$(awk '$1 == "finish" { sub(/H$/, "", $3); print "0x" $3 }' "$out/check.sym")
[ -n "$finish" ] || fail "no address for finish in $out/check.sym"
examples/loadcheck.sh -c "z80:hl == $sum" "$out/screen.tap" "$finish" ||
    fail "the tape built by Reelkit alone did not load with its screen intact"

# The same blocks behind a loader that loads the screen as plain code,
# without the POKE. The tape's own loader is its 21-byte header block and a
# data block of 2 + length bytes.
: >"$out/spoilt.tap"
"$reelkit" +l "$out/spoilt.tap" screen 0x8000 0x7FFF CC
read -r low high < <(od -An -tu1 -j 21 -N 2 "$out/screen.tap")
tail -c +$((21 + 2 + low + 256 * high + 1)) "$out/screen.tap" >>"$out/spoilt.tap"
# Its code gets to finish, with another sum: the check above would fail it.
examples/loadcheck.sh -c "z80:hl != $sum" "$out/spoilt.tap" "$finish" ||
    fail "the spoilt tape did not reach finish with another sum"
echo "46-loader: a block name printed over the screen fails the check, as it must"
