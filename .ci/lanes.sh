# SPDX-License-Identifier: MIT
# Sourced by the load stages: their packages and builds, and their load
# checks run two at a time, one a core, each in Fuse under an X server of its
# own, and then judged.
#
#   load_stage <stage> <folder>   # Reelkit as $reelkit, the examples in $out
#   address <program> <label>     # a label's address in the examples' symbols
#   lane <name> <reach|stuck> <what is proven> <loadcheck.sh arguments...>
#   lanes_end            # waits for all; fails with the first that went wrong
#
# reach: the check must pass (status 0); stuck: the tape must not reach its
# address in its time (status 1, "did not reach").
load_stage() {
    stage=$1
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y \
        cmake make g++ libgtest-dev zmakebas pasmo xvfb xdotool fuse-emulator-sdl opense-basic
    cmake --preset release >/dev/null
    cmake --build --preset release --target Reelkit >/dev/null
    reelkit=build/release/Reelkit
    out=build/$2
    rm -rf "$out"
    make -C examples OUT="../$out" >/dev/null
}
fail() {
    echo "$stage: $*" >&2
    exit 1
}
# pasmo writes "finish EQU 08000H" into <program>.sym; a label not there fails
# the stage (set -e ends it at the assignment that takes the address).
address() {
    local at
    at=$(awk -v name="$2" '$1 == name { sub(/H$/, "", $3); print "0x" $3 }' "$out/$1.sym")
    [ -n "$at" ] || fail "no address for $2 in $out/$1.sym"
    echo "$at"
}

lane_dir=$(mktemp -d)
lane_names=()
lane_expect=()
lane_what=()
lane() {
    local name=$1 expect=$2 what=$3
    shift 3
    while (($(jobs -rp | wc -l) >= 2)); do
        wait -n || true
    done
    lane_names+=("$name") lane_expect+=("$expect") lane_what+=("$what")
    (
        status=0
        examples/loadcheck.sh "$@" >"$lane_dir/$name.out" 2>&1 || status=$?
        echo "$status" >"$lane_dir/$name.status"
    ) &
}
lanes_end() {
    wait
    local i name status
    for i in "${!lane_names[@]}"; do
        name=${lane_names[i]}
        status=$(cat "$lane_dir/$name.status")
        cat "$lane_dir/$name.out"
        if [ "${lane_expect[i]}" = reach ]; then
            [ "$status" = 0 ] || fail "$name did not reach its finish: ${lane_what[i]} is not proven"
        else
            [ "$status" = 1 ] && grep -q 'did not reach' "$lane_dir/$name.out" ||
                fail "$name reached its finish, or could not be run to the end of its time (status $status): ${lane_what[i]} is not proven"
        fi
        echo "${lane_what[i]}"
    done
    rm -rf "$lane_dir"
}
