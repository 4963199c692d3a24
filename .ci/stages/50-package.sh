#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The release as a user gets it: one version everywhere, a .deb in which
# lintian finds no error and no warning and whose Installed-Size is the size
# of its files, and the hardening in place.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make g++ libgtest-dev dpkg-dev lintian devscripts binutils

fail() {
    echo "50-package: $*" >&2
    exit 1
}
build=build/release
cmake --preset release >/dev/null
cmake --build --preset release --target Reelkit >/dev/null
(cd "$build" && rm -f reelkit_*.deb && cpack -G DEB >/dev/null)
deb=$(echo "$build"/reelkit_*.deb)

# One version: project(VERSION) in CMakeLists.txt, and after it the top entry
# of the changelog, the package and the manual page's header.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
changelog=$(dpkg-parsechangelog -l packaging/changelog -S Version)
[ "$changelog" = "$version" ] ||
    fail "packaging/changelog starts with ${changelog}, the project is ${version}"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package is not version ${version}"
grep -q "^\.TH REELKIT 1 \"[0-9-]*\" \"Reelkit ${version}\"" "$build/man/Reelkit.1" ||
    fail "the manual page's header does not name ${version}"

# lintian prints E: for an error and W: for a warning.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$build/lintian.log" 2>&1 ||
    { cat "$build/lintian.log"; fail "lintian failed"; }
! grep -E '^[EW]: ' "$build/lintian.log" || fail "lintian reports the above"
echo "lintian: no error, no warning"

# Installed-Size as dpkg-gencontrol counts it: each file and link its size in
# KiB rounded up, each folder (the top one too) 1 KiB. Links are not copies.
installed=$(dpkg-deb -c "$deb" | awk '
    $NF == "./" { top = 1 }
    /^-/ { kib += int(($3 + 1023) / 1024); next }
    { kib += 1 }
    END { print kib + !top }')
[ "$(dpkg-deb -f "$deb" Installed-Size)" = "$installed" ] ||
    fail "Installed-Size $(dpkg-deb -f "$deb" Installed-Size), the files take ${installed} KiB"
echo "50-package: Installed-Size ${installed} KiB"

# The packaged binary: a static PIE (no program interpreter) with read-only
# relocations and immediate binding.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
binary=$work/usr/bin/Reelkit
grep -Eq '^ *Type: +DYN ' <<<"$(readelf -hW "$binary")" || fail "not position independent"
! grep -q INTERP <<<"$(readelf -lW "$binary")" || fail "not linked statically"
# A static binary has no undefined symbols, in which hardening-check looks for
# the stack protector: it is checked in the project's own objects below. There
# is no control-flow protection to check (cmake/BuildFlags.cmake says why).
hardening-check --nostackprotector --nocfprotection "$binary"

objects=("$build"/CMakeFiles/reelkit_core.dir/*/*.o "$build"/CMakeFiles/Reelkit.dir/shell/*.o)
grep -q ' U __stack_chk_fail$' <<<"$(nm -u "${objects[@]}")" || fail "no stack protector"
for flag in -D_FORTIFY_SOURCE=2 -fstack-clash-protection; do
    grep -q -- "$flag" "$build"/CMakeFiles/reelkit_core.dir/flags.make || fail "built without $flag"
done
echo "50-package: passed"
