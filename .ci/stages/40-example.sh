#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's run command, the example Makefile under make -j4 (a second run
# on the up-to-date tree must do nothing), the manual page, and the .deb:
# installed, and the example built again with the installed reelkit.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make g++ libgtest-dev fuse-emulator-utils zmakebas pasmo groff-base man-db

fail() {
    echo "40-example: $*" >&2
    exit 1
}

# The listing must show the loader with its auto-start line, the code at its
# address, and four blocks whose checksums all pass.
check_listing() {
    local listing=$1
    grep -q '^  Program: "demo      " LINE 10$' <<<"$listing" ||
        fail "no program with auto-start line 10"
    grep -Eq '^  Bytes: "democode  " CODE +32768, ' <<<"$listing" ||
        fail "no code block at 32768"
    [ "$(grep -c '^--= Block #' <<<"$listing")" -eq 4 ] || fail "not four blocks"
    [ "$(grep -c '^  Checksum: 0x[0-9a-f]* (PASS)$' <<<"$listing")" -eq 4 ] ||
        fail "a checksum does not pass"
}

# The README's run command, from a clean example folder.
rm -rf build/example
status=0
output=$(cmake --preset release && cmake --build --preset release &&
    make -C examples && tzxlist build/example/demo.tap) || status=$?
echo "$output"
[ "$status" -eq 0 ] || fail "the README's run command failed"
check_listing "$output"

# The example Makefile, twice from clean under -j4: the second run finds
# everything up to date.
rm -rf build/example
make -C examples -j4 >/dev/null
made=$(stat -c %y build/example/demo.tap)
second=$(make -C examples -j4)
grep -q "Nothing to be done for 'all'" <<<"$second" || fail "a second make did work: $second"
[ "$(stat -c %y build/example/demo.tap)" = "$made" ] || fail "the tape was made again"

# The manual page renders without a warning.
warnings=$(groff -man -Tutf8 -ww -z build/release/man/Reelkit.1 2>&1)
[ -z "$warnings" ] || fail "Reelkit.1: ${warnings}"

# The .deb installs the static binary, its lower-case name and the manual.
(cd build/release && rm -f reelkit_*.deb && cpack -G DEB)
apt-get install -y "$PWD"/build/release/reelkit_*.deb
trap 'apt-get remove -y reelkit >/dev/null' EXIT
for page in Reelkit reelkit; do
    [ "$(readlink -f "$(man -w "$page")")" = /usr/share/man/man1/Reelkit.1.gz ] ||
        fail "man $page does not find the manual page"
done
help=$(/usr/bin/reelkit --help) || fail "installed reelkit --help failed"
[ "${help%%$'\r'*}" = "Usage: " ] || fail "installed reelkit --help: ${help%%$'\r'*}"
make -C examples REELKIT=reelkit OUT=../build/example-installed >/dev/null
check_listing "$(tzxlist build/example-installed/demo.tap)"
cmp build/example/demo.tap build/example-installed/demo.tap ||
    fail "the installed binary built a different tape"
echo "40-example: passed"
