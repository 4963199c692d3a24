#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Windows resources: Reelkit.exe must carry the version resource, with the
# project's version from CMake, and exactly the application manifest in
# platform/win32 (run as the invoker, long paths). Reuses the build of
# 20-windows.sh; on its own, builds just the Reelkit target.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
command -v x86_64-w64-mingw32-windres >/dev/null ||
    apt-get install -y --no-install-recommends g++-mingw-w64-x86-64-posix

cmake --preset windows >/dev/null
cmake --build --preset windows --target Reelkit >/dev/null
exe=build/windows/Reelkit.exe

fail() {
    echo "21-windows-resources: $*" >&2
    exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
[ -n "$version" ] || fail "no project version in build/windows/CMakeCache.txt"
resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc) || fail "cannot read the resources of $exe"

IFS=. read -r major minor patch <<<"$version"
for line in \
    "FILEVERSION $major, $minor, ${patch:-0}, 0" \
    "PRODUCTVERSION $major, $minor, ${patch:-0}, 0" \
    "VALUE \"FileVersion\", \"$version\"" \
    "VALUE \"ProductVersion\", \"$version\"" \
    "VALUE \"ProductName\", \"Reelkit\"" \
    "VALUE \"OriginalFilename\", \"Reelkit.exe\""; do
    grep -qxF "$line" <<<"$(sed 's/^ *//' <<<"$resources")" || fail "version resource lacks: $line"
done
grep -q '^ *VALUE "FileDescription", "[^"]' <<<"$resources" || fail "no file description"

# The manifest as windres prints it: one quoted, escaped string per line.
manifest=$(awk '/^1 24 /{ inside = 1; next } inside && /^END/{ exit } inside && /^  "/' \
    <<<"$resources" | sed -e 's/^  "//' -e 's/\\n"$//' -e 's/""/"/g')
[ "$manifest" = "$(cat platform/win32/Reelkit.manifest)" ] ||
    fail "the manifest in $exe is not platform/win32/Reelkit.manifest"
grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$manifest" || fail "not asInvoker"
grep -q '<longPathAware[^>]*>true</longPathAware>' <<<"$manifest" || fail "not longPathAware"
[ "$(grep -c '<supportedOS Id=' <<<"$manifest")" -eq 5 ] || fail "not Vista to 10/11"

# Address space layout randomisation with 64-bit addresses, and no execution
# from data pages: DllCharacteristics HIGH_ENTROPY_VA | DYNAMIC_BASE | NX_COMPAT.
characteristics=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '$1 == "DllCharacteristics" { print $2 }')
(((0x$characteristics & 0x160) == 0x160)) || fail "no ASLR or DEP: DllCharacteristics $characteristics"

echo "21-windows-resources: $exe $version carries its version resource, manifest, ASLR and DEP"
