#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks, without a screen, that a tape loads and runs: Fuse emulates a 48K
# Spectrum (or a 128K) with the free OpenSE BASIC ROM under Xvfb, `load ""` is
# typed as a person would, and a breakpoint at ADDRESS ends Fuse as soon as
# the loaded program gets there.
#
# Usage: loadcheck.sh [-m 48|128] [-t SECONDS] [-c CONDITION] TAPE ADDRESS
#   ADDRESS  where the program must get to: decimal, or hexadecimal after 0x
#   -m       the machine: 48 (the default), or 128, a 128K with OpenSE in both
#            ROM slots, which pages its RAM banks as a 128K does; its tape
#            traps work only while ROM 1 is paged in, so the blocks before a
#            loader's first bank load at the tape's own speed: allow for it in -t
#   -t       how long it may take, in the Spectrum's own time from its start
#            (default 60 seconds; a busy computer does not shorten it)
#   -c       a Fuse debugger condition that must hold there, on 8- or 16-bit
#            registers or memory: 'z80:a == 17', 'z80:hl == 32815', '[23610] == 26'
# Exit status:
#   0  the program got to ADDRESS, with CONDITION true, in time;
#   1  it did not: the time ran out (the registers at that moment are
#      printed), or Fuse could not read the tape (its reason is printed);
#   2  the check could not be made: a wrong command line, a missing tool, or
#      an X server or a Fuse that failed, twice (the reason is printed).
# Needs (apt-get install as root): xvfb xdotool fuse-emulator-sdl opense-basic
set -uo pipefail

usage() {
    sed -n '/^# Usage:/,/^# Needs/{ /^# Needs/d; s/^# \{0,1\}//p; }' "$0" >&2
    exit 2
}
limit=60
condition=
machine=48
while getopts m:t:c: option; do
    case $option in
    m) machine=$OPTARG ;;
    t) limit=$OPTARG ;;
    c) condition=$OPTARG ;;
    *) usage ;;
    esac
done
shift $((OPTIND - 1))
[ $# -eq 2 ] && [[ $limit =~ ^[1-9][0-9]{0,4}$ ]] && [[ $machine =~ ^(48|128)$ ]] || usage
tape=$1
address=$2
rom=/usr/share/spectrum-roms/opense.rom
# Debian has no 128K ROM: OpenSE, a 48K ROM, in both slots, so that the
# Spectrum runs the same BASIC whichever ROM the port pages in.
roms=(--machine 48 --rom-48 "$rom")
[ "$machine" = 48 ] || roms=(--machine 128 --rom-128-0 "$rom" --rom-128-1 "$rom")
goal="${address}${condition:+ if ${condition}}"

cannot() {
    echo "loadcheck: $*" >&2
    exit 2
}
[ -r "$tape" ] || cannot "cannot read $tape"
[ -r "$rom" ] || cannot "no OpenSE BASIC ROM: apt-get install opense-basic"
for tool in Xvfb xdotool fuse-sdl stdbuf; do
    command -v "$tool" >/dev/null || cannot "no $tool: apt-get install xvfb xdotool fuse-emulator-sdl"
done

work=$(mktemp -d) || cannot "no temporary folder"
xvfb=
fuse=
stop() { # ends what this script started, by process id
    [ -z "$fuse" ] || kill -KILL "$fuse" 2>/dev/null
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    fuse='' xvfb=''
}
trap 'stop; rm -rf "$work"' EXIT
trap 'exit 2' INT TERM HUP

# Fuse prints the registers at the breakpoint, when the time is up, and every
# half second of its own time: each record a marker line, then the frames
# since the start (50 a second) and the registers, in hexadecimal, one a line.
registers=(pc sp af bc de hl ix iy)
reached=0x5ec0de00 timeout=0x5ec0de01 beat=0x5ec0de02
record() { # <marker>
    printf 'print %s\n' "$1" spectrum:frames "${registers[@]/#/z80:}"
}
debugger_commands() {
    printf 'break %s\ncommands 1\n%s\nexit 100\nend\n' "$goal" "$(record $reached)"
    printf 'break time 60000 if spectrum:frames >= %d\ncommands 2\n%s\nexit 101\nend\n' \
        $((limit * 50)) "$(record $timeout)"
    printf 'break time 60000 if spectrum:frames - spectrum:frames / 25 * 25 == 0\n'
    printf 'commands 3\n%s\ncontinue\nend\n' "$(record $beat)"
}
last() { # <marker>: its last record as "PC=0x8000 SP=... after 1.50 s", or nothing
    local line values=() record=() inside='' i text=''
    [ -f "$work/fuse.log" ] || return 0
    while IFS= read -r line; do
        if [ -z "$inside" ]; then
            [ "$line" = "$1" ] && inside=1 values=()
        elif [[ $line =~ ^0x[0-9a-f]+$ ]]; then
            values+=($((line)))
            ((${#values[@]} > ${#registers[@]})) && record=("${values[@]}") inside=
        else
            inside=
        fi
    done <"$work/fuse.log"
    ((${#record[@]})) || return 0
    for ((i = 0; i < ${#registers[@]}; i++)); do
        printf -v text '%s%s=0x%04X ' "$text" "${registers[i]^^}" "${record[i + 1]}"
    done
    printf '%safter %d.%02d s\n' "$text" $((record[0] / 50)) $((record[0] % 50 * 2))
}
# Fuse's own words on why it stopped or refused something.
complaint() { grep -m 3 -E 'error|warning|giving up' "$work/fuse.log" | tr '\n' ' '; }
# Fuse shows an error or a warning in a dialog and stops the Spectrum until
# someone closes it, which no one will: says why and returns 1 where the tape
# is at fault, 2 otherwise; returns 0 while there is nothing to say.
complained() {
    grep -qE '^fuse-sdl: (error|warning):' "$work/fuse.log" || return 0
    if grep -qF -e libspectrum -e "'$tape'" "$work/fuse.log"; then
        echo "loadcheck: Fuse cannot read $tape: $(complaint)" >&2
        return 1
    fi
    echo "loadcheck: Fuse stopped: $(complaint)" >&2
    return 2
}

# One run of Fuse under a fresh X server. Returns 0, 1 or 2 as the script
# does, or 3 when the X server failed, which is worth a second run.
attempt() {
    rm -f "$work"/*
    Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 640x480x24 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    # The display number arrives once the server takes connections.
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        [ -s "$work/display" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "loadcheck: Xvfb did not start: $(cat "$work/xvfb.log")" >&2 && return 3; }
    DISPLAY=":$(cat "$work/display")" HOME=$work # Fuse keeps its settings in ~/.fuserc
    export DISPLAY HOME
    x getdisplaygeometry >/dev/null || return 3

    : >"$work/fuse.log"
    # Output line by line, so that the records are there while Fuse runs.
    stdbuf -oL fuse-sdl "${roms[@]}" --no-sound --no-auto-load --traps --fastload \
        --no-confirm-actions --tape "$tape" --debugger-command "$(debugger_commands)" >"$work/fuse.log" 2>&1 &
    fuse=$!

    # Typing starts when the Spectrum has run two seconds of its own time,
    # by when the ROM waits at its prompt, however slow this computer is.
    local seen wall=$SECONDS
    until seen=$(last $beat) && [[ $seen =~ after\ ([0-9]+) ]] && ((BASH_REMATCH[1] >= 2)); do
        if ! kill -0 "$fuse" 2>/dev/null; then
            wait "$fuse"
            echo "loadcheck: Fuse ended with status $? before the Spectrum had started: $(complaint)" >&2
            x getdisplaygeometry >/dev/null 2>&1 || return 3
            return 2
        fi
        complained || return
        ((SECONDS - wall < 60)) || { echo "loadcheck: Fuse did not start within 60 s" >&2 && return 2; }
        sleep 0.1
    done

    local window
    for ((tries = 0; tries < 50; tries++)); do
        window=$(x search --name '^Fuse' 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "loadcheck: no Fuse window on $DISPLAY" >&2 && return 3; }
    x windowfocus "$window" || return 3
    # Each key is held for 0.1 s, as a person would; Control is symbol shift,
    # and symbol shift with P the quote character.
    local key
    for key in l o a d Control_L+p Control_L+p Return; do
        x keydown "$key" && sleep 0.1 && x keyup "$key" && sleep 0.1 || return 3
    done

    # Fuse ends itself at the breakpoint or when its time is up; real time
    # runs out only for a Fuse that hangs or hardly runs at all.
    local status
    wall=$SECONDS
    while kill -0 "$fuse" 2>/dev/null && ((SECONDS - wall < limit * 4 + 60)); do
        complained || return
        sleep 0.1
    done
    if kill -0 "$fuse" 2>/dev/null; then
        echo "loadcheck: Fuse did not run ${limit} s of Spectrum time in $((SECONDS - wall)) s;" \
            "last seen at $(last $beat)" >&2
        return 2
    fi
    wait "$fuse"
    status=$?
    fuse=
    case $status in
    100) echo "loadcheck: $tape reached ${goal}: $(last $reached)" ;;
    101) echo "loadcheck: $tape did not reach ${goal} within ${limit} s; the Spectrum was at $(last $timeout)" >&2 ;;
    *)
        echo "loadcheck: Fuse ended with status ${status}: $(complaint); last seen at $(last $beat)" >&2
        x getdisplaygeometry >/dev/null 2>&1 || return 3
        return 2
        ;;
    esac
    return $((status - 100))
}

# xdotool, with a few more tries for a connection that fails; an X server
# that has gone is said so.
x() {
    local tries
    for ((tries = 0; tries < 5; tries++)); do
        xdotool "$@" 2>>"$work/xdotool.log" && return 0
        kill -0 "$xvfb" 2>/dev/null || { echo "loadcheck: the X server has gone: $(cat "$work/xvfb.log")" >&2 && return 1; }
        sleep 0.2
    done
    echo "loadcheck: xdotool $* failed: $(tail -n 2 "$work/xdotool.log")" >&2
    return 1
}

for round in 1 2; do
    attempt
    status=$?
    stop
    [ "$status" = 3 ] || exit "$status"
    [ "$round" = 2 ] || echo "loadcheck: the X server failed; starting again" >&2
done
exit 2
