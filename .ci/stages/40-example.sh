#!/usr/bin/env bash
# The README's run command on the shipped example, the manual page, and the
# .deb: built, installed, and run again from /usr/bin.
set -euo pipefail
cd "$(dirname "$0")/../.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends \
    cmake make g++ libgtest-dev fuse-emulator-utils zmakebas pasmo groff-base

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

# The README's run command.
status=0
output=$(cmake --preset release && cmake --build --preset release && examples/build.sh) ||
    status=$?
echo "$output"
[ "$status" -eq 0 ] || fail "the README's run command failed"
check_listing "$output"

# The manual page renders without a warning.
warnings=$(groff -man -Tutf8 -ww -z man/Reelkit.1 2>&1)
[ -z "$warnings" ] || fail "man/Reelkit.1: ${warnings}"

# The .deb installs the static binary and the manual page.
(cd build/release && rm -f reelkit_*.deb && cpack -G DEB)
apt-get install -y "$PWD"/build/release/reelkit_*.deb
trap 'apt-get remove -y reelkit >/dev/null' EXIT
[ -f /usr/share/man/man1/Reelkit.1 ] || fail "manual page not installed"
help=$(/usr/bin/Reelkit --help) || fail "installed Reelkit --help failed"
[ "${help%%$'\r'*}" = "Usage: " ] || fail "installed Reelkit --help: ${help%%$'\r'*}"
check_listing "$(examples/build.sh /usr/bin/Reelkit build/example-installed)"
cmp build/example/demo.tap build/example-installed/demo.tap ||
    fail "the installed binary built a different tape"
echo "40-example: passed"
