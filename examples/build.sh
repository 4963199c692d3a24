#!/bin/sh
# Builds the example tape demo.tap: a BASIC loader that loads and runs a
# small machine-code program. Needs zmakebas, pasmo and tzxlist.
# Usage: examples/build.sh [Reelkit binary [output directory]]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
reelkit=${1:-$root/build/release/Reelkit}
out=${2:-$root/build/example}

mkdir -p "$out"
zmakebas -r -o "$out/loader.bin" "$here/loader.bas"
pasmo "$here/demo.asm" "$out/demo.bin" "$out/demo.sym"

tape=$out/demo.tap
: > "$tape"
"$reelkit" +f "$tape" "$out/loader.bin" demo B 10
"$reelkit" +f "$tape" "$out/demo.bin" democode C 32768
tzxlist "$tape"
