#!/usr/bin/env bash
# Proof that the example tape loads and runs: Fuse emulates a 48K Spectrum
# with the free OpenSE BASIC ROM under Xvfb, `load ""` is typed as a person
# would, and a breakpoint where the loaded code ends makes Fuse exit with
# 100 + register A. The code leaves A = 17, the length of its message.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y \
    cmake make g++ libgtest-dev fuse-emulator-utils zmakebas pasmo \
    xvfb xdotool fuse-emulator-sdl opense-basic

rom=/usr/share/spectrum-roms/opense.rom
limit=60        # seconds from Fuse's start to the breakpoint
expected=117

fail() {
    echo "45-fuse: $*" >&2
    exit 1
}

cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
examples/build.sh build/release/Reelkit build/fuse >/dev/null
# pasmo writes "finish EQU 0801CH".
finish=$(awk '$1 == "finish" { sub(/H$/, "", $3); print "0x" $3 }' build/fuse/demo.sym)
[ -n "$finish" ] || fail "no address for finish in build/fuse/demo.sym"

work=$(mktemp -d)
xvfb=
fuse=
cleanup() {
    [ -z "$fuse" ] || kill "$fuse" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -nolisten tcp -screen 0 640x480x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(cat "$work/display")"
HOME=$work # Fuse keeps its settings in ~/.fuserc
export DISPLAY HOME

SECONDS=0
timeout -k 5 "$limit" fuse-sdl --machine 48 --rom-48 "$rom" --no-sound --no-auto-load \
    --traps --fastload --tape build/fuse/demo.tap \
    --debugger-command "break $finish
commands 1
exit 100+z80:a
end" >"$work/fuse.log" 2>&1 &
fuse=$!

window=$(timeout 20 xdotool search --sync --name '^Fuse' | head -n 1) ||
    fail "no Fuse window: $(cat "$work/fuse.log")"
sleep 2 # the ROM reaches its prompt well within this
xdotool windowfocus "$window"

# Each key is held for 0.1 s, as a person would; Control is symbol shift.
press() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
    sleep 0.1
}
for key in l o a d; do press "$key"; done
xdotool keydown Control_L
sleep 0.1
press p # symbol shift + P is the quote character
press p
xdotool keyup Control_L
press Return

status=0
wait "$fuse" || status=$?
fuse=
if [ "$status" -ne "$expected" ]; then
    cat "$work/fuse.log"
    fail "Fuse ended with status ${status}, expected ${expected}" \
        "(124 or 137: no breakpoint at ${finish} within ${limit} s)"
fi
echo "45-fuse: the code ran to ${finish} with A = $((status - 100)) after ${SECONDS} s"
