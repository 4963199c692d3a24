#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's run command, the example Makefile under make -j4 (a second run
# on the up-to-date tree must do nothing; two makes at once both succeed), the
# TZX example tape, the manual page, and the .deb: installed, and the example
# built again with the installed reelkit.
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
# The example's tapes, and no temporary file (demo.1234.bin, or Reelkit's
# .demo.tap.Xq3f9a) left behind.
check_example() { # <folder>
    local left
    left=$(find "$1" -regextype posix-extended -regex '.*\.[0-9]+(\.[^/]*)?|.*/\.[^/]*')
    [ -z "$left" ] || fail "temporary files left behind: $left"
    check_listing "$(tzxlist "$1/demo.tap")"
    check_listing "$(tzxlist "$1/demo.tzx")"
    # The TZX tape is what Debian's converter makes of the TAP one.
    tapeconv "$1/demo.tap" "$1/converted.tzx" && cmp "$1/converted.tzx" "$1/demo.tzx" ||
        fail "$1/demo.tzx is not the TZX form of demo.tap"
    rm "$1/converted.tzx"
}

# The README's run command, from a clean example folder.
rm -rf build/example
status=0
output=$(cmake --preset release && cmake --build --preset release --target Reelkit &&
    make -C examples && tzxlist build/example/demo.tap) || status=$?
echo "$output"
[ "$status" -eq 0 ] || fail "the README's run command failed"
check_listing "$output"
check_example build/example

# The example Makefile, twice from clean under -j4: the second run finds
# everything up to date.
rm -rf build/example
make -C examples -j4 >/dev/null
made=$(stat -c %y build/example/demo.tap build/example/demo.tzx)
second=$(make -C examples -j4)
grep -q "Nothing to be done for 'all'" <<<"$second" || fail "a second make did work: $second"
[ "$(stat -c %y build/example/demo.tap build/example/demo.tzx)" = "$made" ] ||
    fail "the tapes were made again"

# Two makes at once from clean, as two terminals or an IDE and a terminal
# would start them: both succeed and leave whole tapes. A temporary name
# shared by both failed about one time in five.
rounds=10
for ((round = 1; round <= rounds; round++)); do
    rm -rf build/example
    make -C examples >build/make1.log 2>&1 &
    first=$!
    make -C examples >build/make2.log 2>&1 || fail "round ${round}: a make failed: $(cat build/make2.log)"
    wait "$first" || fail "round ${round}: a make failed: $(cat build/make1.log)"
    check_example build/example
done
rm -f build/make1.log build/make2.log
echo "40-example: two makes at once succeeded ${rounds} times"

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
rm -rf build/example-installed
make -C examples REELKIT=reelkit OUT=../build/example-installed >/dev/null
check_example build/example-installed
for tape in demo.tap demo.tzx; do
    cmp build/example/$tape build/example-installed/$tape ||
        fail "the installed binary built a different $tape"
done
echo "40-example: passed"
