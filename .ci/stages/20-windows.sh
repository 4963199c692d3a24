#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Windows: cross-build Reelkit.exe with mingw-w64, then run the unit tests and
# the end-to-end suite against it under wine. The end-to-end suite itself is
# the native one from the release build, pointed at Reelkit.exe. Then, as root,
# the file checks of tests/stress/wine_files.sh on a tiny tmpfs.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y g++-mingw-w64-x86-64-posix wine64

cmake --preset windows
cmake --build --preset windows
cmake --preset release >/dev/null
cmake --build --preset release --target reelkit_e2e

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
WINEPREFIX="$(mktemp -d /tmp/reelkit-wine.XXXXXX)"
export WINEPREFIX WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would prompt.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# A server that stays up for the whole stage, and the prefix created once up
# front (about five seconds). Its background services start here, with their
# output going nowhere: started later, by a test's run of the program, they
# would hold that run's output pipes open long after it ended.
"$WINESERVER" -p
"$WINE" wineboot --init </dev/null >/dev/null 2>&1
echo "wine prefix ready: $WINEPREFIX"

# A run that fails without a word never started: wine, seldom, loses a start.
log=build/windows/unit.log
for again in 1 0; do
    status=0
    timeout 600 "$WINE" build/windows/tests/reelkit_tests.exe | tee "$log" || status=$?
    [ "$status" != 0 ] && [ ! -s "$log" ] && [ $again = 1 ] || break
    echo "wine lost the start of the unit tests (status $status); running them again"
done
[ "$status" = 0 ] || exit "$status"

. .ci/shards.sh
REELKIT_EXE="$PWD/build/windows/Reelkit.exe" REELKIT_RUNNER="$WINE" REELKIT_WINDOWS_PATHS=1 \
    e2e_shards build/windows/e2e || { echo "20-windows: the end-to-end suite failed under wine" >&2; exit 1; }

# A tiny file system filled to the last byte, and files held by other programs.
# Status 77: skipped, which only REELKIT_ALLOW_SKIP=1 allows.
status=0
WINE="$WINE" timeout 300 bash tests/stress/wine_files.sh "$PWD/build/windows/Reelkit.exe" \
    "$PWD/build/windows/tests/reelkit_hold_file.exe" "$PWD/build/release/Reelkit" || status=$?
[ "$status" = 0 ] || [ "$status" = 77 ] || exit "$status"
