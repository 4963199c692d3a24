# SPDX-License-Identifier: MIT
# Sourced by the stages that run the natively built end-to-end suite against
# another build of Reelkit (REELKIT_EXE, REELKIT_RUNNER and the rest come from
# the caller's environment): two gtest shards at once, one a core.
#
#   e2e_shards <log prefix> [gtest arguments...]
#
# Each shard writes <log prefix>.<shard>.log; the log of a shard that failed
# is shown, and the status is 1 if any did.
e2e_shards() {
    local log=$1 shard status=0 pids=()
    shift
    for shard in 0 1; do
        GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard timeout 900 \
            build/release/tests/e2e/reelkit_e2e --gtest_brief=1 "$@" >"$log.$shard.log" 2>&1 &
        pids+=($!)
    done
    for shard in 0 1; do
        wait "${pids[shard]}" || { status=1; cat "$log.$shard.log"; }
    done
    return "$status"
}
