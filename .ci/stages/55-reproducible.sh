#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Reproducible builds: Reelkit, the .deb, Reelkit.exe and the .zip of the
# current commit, as this tree's build/release and build/windows hold them
# (made by the earlier workflow and stage; made here where missing), must be
# byte for byte what a second build of the same commit gives later, cloned
# into a folder of another name. The second is configured with
# BUILD_TESTING=OFF, so that only what is compared is built.
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
changed=$(git status --porcelain --untracked-files=no)
[ -z "$changed" ] || fail "this tree is not its commit; commit or stash first: $changed"
commit=$(git rev-parse HEAD)
work=$(mktemp -d /tmp/reelkit-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

artifacts=(build/release/Reelkit build/release/reelkit_*.deb
    build/windows/Reelkit.exe build/windows/Reelkit-*-windows.zip)
build() { # <tree> [cmake option]: the program and the package of each preset
    local preset
    for preset in release windows; do
        (
            cd "$1"
            cmake --preset "$preset" "${@:2}" >/dev/null
            cmake --build --preset "$preset" --target Reelkit >/dev/null
            cd "build/$preset" && rm -f reelkit_*.deb Reelkit-*-windows.zip && cpack >/dev/null
        )
    done
}
build "$PWD"
sleep 2 # every time stamp that leaks would differ
second=$work/second-folder-with-another-name
git clone -q --no-checkout "$PWD" "$second"
git -C "$second" -c advice.detachedHead=false checkout -q "$commit"
build "$second" -DBUILD_TESTING=OFF

for pattern in "${artifacts[@]}"; do
    first=$(echo $pattern)
    [ -f "$first" ] || fail "not built: $pattern"
    if ! cmp "$first" "$second/$first"; then
        cmp -l "$first" "$second/$first" | head -n 20
        fail "$first differs between the two builds"
    fi
    echo "identical: $first ($(sha256sum <"$first" | cut -c1-16))"
done

# The Windows zip holds what the README promises, the manual included.
zip=$(echo build/windows/Reelkit-*-windows.zip)
listing=$(unzip -Z1 "$zip" | sed 's|^[^/]*/||' | sort)
for member in LICENSE README.md Reelkit.exe Reelkit.txt; do
    grep -qxF "$member" <<<"$listing" || fail "${zip##*/} lacks $member: $listing"
done
echo "55-reproducible: passed"
