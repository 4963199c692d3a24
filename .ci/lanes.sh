# SPDX-License-Identifier: MIT
# Sourced by the load stages: runs their load checks two at a time, one a
# core, each in Fuse under an X server of its own, and then judges them.
#
#   lane <name> <reach|stuck> <what is proven> <loadcheck.sh arguments...>
#   lanes_end            # waits for all; fails with the first that went wrong
#
# reach: the check must pass (status 0); stuck: the tape must not reach its
# address in its time (status 1, "did not reach").
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
