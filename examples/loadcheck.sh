#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks, without a screen, that a tape loads and runs: Fuse emulates a 48K
# Spectrum with the free OpenSE BASIC ROM under Xvfb, `load ""` is typed as a
# person would, and a breakpoint at ADDRESS ends Fuse as soon as the loaded
# program gets there.
#
# Usage: loadcheck.sh [-t SECONDS] [-c CONDITION] TAPE ADDRESS
#   ADDRESS    where the program must get to: decimal, or hexadecimal after 0x
#   -t         how long it may take from Fuse's start (default 60 seconds)
#   -c         a Fuse debugger condition that must hold there, e.g. 'z80:a == 17'
# Exit status: 0 when the program got there in time, 1 when it did not,
# 2 when the check could not be made.
# Needs (apt-get install as root): xvfb xdotool fuse-emulator-sdl opense-basic
set -euo pipefail

usage() {
    sed -n 's/^# \{0,1\}//; 7,13p' "$0" >&2
    exit 2
}
limit=60
condition=
while getopts t:c: option; do
    case $option in
    t) limit=$OPTARG ;;
    c) condition=" if $OPTARG" ;;
    *) usage ;;
    esac
done
shift $((OPTIND - 1))
[ $# -eq 2 ] || usage
tape=$1
address=$2
rom=/usr/share/spectrum-roms/opense.rom
reached=100 # Fuse's exit status when the breakpoint is hit

cannot() {
    echo "loadcheck: $*" >&2
    exit 2
}
[ -r "$tape" ] || cannot "cannot read $tape"
[ -r "$rom" ] || cannot "no OpenSE BASIC ROM: apt-get install opense-basic"
for tool in Xvfb xdotool fuse-sdl; do
    command -v "$tool" >/dev/null || cannot "no $tool: apt-get install xvfb xdotool fuse-emulator-sdl"
done

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
[ -s "$work/display" ] || cannot "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(cat "$work/display")"
HOME=$work # Fuse keeps its settings in ~/.fuserc
export DISPLAY HOME

SECONDS=0
timeout -k 5 "$limit" fuse-sdl --machine 48 --rom-48 "$rom" --no-sound --no-auto-load \
    --traps --fastload --tape "$tape" \
    --debugger-command "break ${address}${condition}
commands 1
exit ${reached}
end" >"$work/fuse.log" 2>&1 &
fuse=$!

window=$(timeout 20 xdotool search --sync --name '^Fuse' | head -n 1) ||
    cannot "no Fuse window: $(cat "$work/fuse.log")"
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
if [ "$status" -ne "$reached" ]; then
    cat "$work/fuse.log" >&2
    echo "loadcheck: $tape did not reach ${address}${condition} within ${limit} s" \
        "(Fuse ended with status ${status})" >&2
    exit 1
fi
echo "loadcheck: $tape reached ${address}${condition} after ${SECONDS} s"
