#!/usr/bin/env bash
# Usage: concurrent_writers.sh <Reelkit binary>; env REELKIT_RUNNER: a program to run it with.
# Forty writers let go at once on one image, half with +f and half with +$:
# each appends its whole tape file or is turned away with the open conflict,
# and the image ends as a clean run of complete tape files, one per writer
# that succeeded.
set -u
. "${BASH_SOURCE%/*}/probe.sh" stat cmp flock mktemp
exe=$1 runner=(${REELKIT_RUNNER:-}) writers=40 failures=0
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work" || exit 1
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
writer() { # <number> <image>: the writer's command line in args
    (($1 % 2)) && args=(+f "$2" in$1 file$1 C $1) || args=(+\$ "$2" in$1)
}
for ((i = 1; i <= writers; i++)); do
    data="contents of writer $i"
    ((i % 2)) && printf '%s' "$data" >in$i ||
        printf "hob%-5dC\\x$(printf %02x $i)\\0\\x$(printf %02x ${#data})\\0\\0\\0\\0\\0%s" $i "$data" >in$i
    : >alone$i.tap && writer $i alone$i.tap
    "${runner[@]}" "$exe" "${args[@]}" >/dev/null || fail "writer $i alone"
done

# The writers wait on a shared lock of the gate, which is let go when all wait.
: >image.tap
exec 9>gate && flock 9
for ((i = 1; i <= writers; i++)); do
    (exec 9>&- && touch ready$i && writer $i image.tap &&
        flock -s gate "${runner[@]}" "$exe" "${args[@]}" >out$i; echo $? >status$i) &
done
while [ "$(ls ready* | wc -l)" -lt "$writers" ]; do sleep 0.05; done
sleep 0.3 && flock -u 9 && wait

printf 'An unknown exception occured\r\nException text:\r\n\tCannot open file "%s". %s\r\n' \
    "$work/image.tap" "The process cannot access the file because it is being used by another process" >conflict
left=()
for ((i = 1; i <= writers; i++)); do
    case "$(cat status$i)" in
    0) [ -s out$i ] && fail "writer $i printed on success" || left+=($i) ;;
    1) cmp -s out$i conflict || fail "writer $i: $(cat out$i)" ;;
    *) fail "writer $i exited $(cat status$i)" ;;
    esac
done
appended=${#left[@]}

# Walk the image: at each offset the tape file of one of the remaining writers.
at=0 size=$(stat -c %s image.tap)
while ((at < size)); do
    for j in "${!left[@]}" none; do
        [ $j = none ] && fail "no complete tape file at offset $at" && break 2
        piece=$(stat -c %s alone${left[j]}.tap)
        cmp -s -n $piece -i $at:0 image.tap alone${left[j]}.tap && ((at += piece)) && unset "left[j]" && break
    done
done
[ ${#left[@]} = 0 ] || fail "missing the tape files of writers ${left[*]}"

# While another program holds the image, a writer is turned away at once.
cp image.tap before.tap
for i in 1 2; do
    writer $i image.tap && flock image.tap "${runner[@]}" "$exe" "${args[@]}" >held
    [ $? = 1 ] && cmp -s held conflict && cmp -s before.tap image.tap || fail "writer $i, image held"
done

echo "$appended appended, $((writers - appended)) turned away; $failures failures"
[ "$failures" = 0 ]
