#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Proof that a loader with banks loads on a 128K, made with the load check
# that users run on their own tapes, on Fuse's 128K with the OpenSE ROM in
# both ROM slots:
# - banks.tap, built by Reelkit alone (+l ... SC1346, a screen, code at
#   32768 and four 16 KiB bank files for 49152), reaches the code's finish
#   with the sums of the screen and of banks 1, 3, 4 and 6 in HL, BC, DE, IX
#   and IY, each as the files give it, and with BANKM as the loader left it,
#   16 (bank 0 paged back), in A;
# - the same tape with the files of banks 1 and 3 swapped reaches finish with
#   those two sums swapped: the check above would fail it.
# Fuse's tape traps work on its 128K only while ROM 1 is paged in, that is
# from the first bank on; the loader, the screen and the code before it load
# at the tape's own speed, about 40 s of the Spectrum's time in all.
set -euo pipefail
cd "$(dirname "$0")/../.."

. .ci/lanes.sh
load_stage 46-fuse128 fuse128
finish=$(address banks finish)
screen=$(cat "$out/screen.sum")
{ read -r bank1 && read -r bank3 && read -r bank4 && read -r bank6; } <"$out/banks.sum" ||
    fail "$out/banks.sum does not hold four sums"
[ "$bank1" != "$bank3" ] || fail "banks 1 and 3 add up alike: swapping them proves nothing"

sums() { # <sum of bank 1> <sum of bank 3>: the condition at finish
    echo "z80:a == 16 && z80:hl == $screen && z80:bc == $1 && z80:de == $2 &&" \
        "z80:ix == $bank4 && z80:iy == $bank6"
}
lane banks reach "46-fuse128: banks.tap loads on the 128K with the screen and every bank intact" \
    -m 128 -t 120 -c "$(sums "$bank1" "$bank3")" "$out/banks.tap" "$finish"

# The same loader, screen and code, then the files of banks 1 and 3 in each
# other's place.
: >"$out/swapped.tap"
"$reelkit" +l "$out/swapped.tap" banks 0x8000 0x7FFF SC1346
"$reelkit" +f "$out/swapped.tap" "$out/screen.scr" picture C 0x4000
"$reelkit" +f "$out/swapped.tap" "$out/banks.bin" banksum C 0x8000
for bank in 3 1 4 6; do
    "$reelkit" +f "$out/swapped.tap" "$out/bank$bank.bin" "bank$bank" C 0xC000
done
lane swapped reach "46-fuse128: with two bank files swapped their sums are swapped, as they must be" \
    -m 128 -t 120 -c "$(sums "$bank3" "$bank1")" "$out/swapped.tap" "$finish"
lanes_end
