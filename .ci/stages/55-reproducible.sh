#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Reproducible builds: the current commit, cloned into two folders of
# different names and built one after the other, must give byte-identical
# Reelkit, .deb, Reelkit.exe and .zip. Only what is compared is built.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make g++ libgtest-dev git groff-base g++-mingw-w64-x86-64-posix unzip

fail() {
    echo "55-reproducible: $*" >&2
    exit 1
}
unset SOURCE_DATE_EPOCH # the packages take the last commit's time
git() { command git -c safe.directory='*' "$@"; } # the checkout may not be root's
commit=$(git rev-parse HEAD)
work=$(mktemp -d /tmp/reelkit-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

artifacts=(build/release/Reelkit build/release/reelkit_*.deb
    build/windows/Reelkit.exe build/windows/Reelkit-*-windows.zip)
build() {
    local tree=$work/$1
    git clone -q --no-checkout "$PWD" "$tree"
    git -C "$tree" -c advice.detachedHead=false checkout -q "$commit"
    (
        cd "$tree"
        for preset in release windows; do
            cmake --preset "$preset" >/dev/null
            cmake --build --preset "$preset" --target Reelkit -j "$(nproc)" >/dev/null
            (cd "build/$preset" && cpack >/dev/null)
        done
    )
}
build first
sleep 2 # every time stamp that leaks would differ
build second-folder-with-a-longer-name

for pattern in "${artifacts[@]}"; do
    first=$(cd "$work/first" && echo $pattern)
    [ -f "$work/first/$first" ] || fail "not built: $pattern"
    if ! cmp "$work/first/$first" "$work/second-folder-with-a-longer-name/$first"; then
        cmp -l "$work/first/$first" "$work/second-folder-with-a-longer-name/$first" | head -n 20
        fail "$first differs between the two builds"
    fi
    echo "identical: $first ($(sha256sum <"$work/first/$first" | cut -c1-16))"
done

# The Windows zip holds what the README promises, the manual included.
zip=$(echo "$work"/first/build/windows/Reelkit-*-windows.zip)
listing=$(unzip -Z1 "$zip" | sed 's|^[^/]*/||' | sort)
for member in LICENSE README.md Reelkit.exe Reelkit.txt; do
    grep -qxF "$member" <<<"$listing" || fail "${zip##*/} lacks $member: $listing"
done
echo "55-reproducible: passed"
