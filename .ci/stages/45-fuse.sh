#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Proof that the example tape loads and runs, made with the load check that
# users run on their own tapes: the code must reach finish with A = 17, the
# length of its message. A tape cut short must fail the same check.
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
out=build/fuse
rm -rf "$out"
make -C examples OUT="../$out" >/dev/null
# pasmo writes "finish EQU 0801CH".
finish=$(awk '$1 == "finish" { sub(/H$/, "", $3); print "0x" $3 }' "$out/demo.sym")
[ -n "$finish" ] || fail "no address for finish in $out/demo.sym"

examples/loadcheck.sh -c 'z80:a == 17' "$out/demo.tap" "$finish" ||
    fail "the example tape did not load and run"

# The last 20 bytes of the code block missing.
head -c -20 "$out/demo.tap" >"$out/truncated.tap"
status=0
examples/loadcheck.sh -t 20 "$out/truncated.tap" "$finish" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "the load check on a truncated tape ended with ${status}, expected 1"
echo "45-fuse: the truncated tape failed the load check, as it must"
