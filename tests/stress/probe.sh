# SPDX-License-Identifier: MIT
# Sourced by a stress script with the tools it needs: ". probe.sh stat flock ...".
# Where one is missing, or lacks the GNU or util-linux form the script uses, the
# script fails: a check that cannot run has not passed. REELKIT_ALLOW_SKIP=1
# lets it report itself skipped instead, with status 77 (ctest's SKIP_RETURN_CODE).
probe_missing=()
for probe_tool; do
    case $probe_tool in
    bash4) ((BASH_VERSINFO[0] >= 4)) ;;
    bash5) ((BASH_VERSINFO[0] >= 5)) ;; # EPOCHREALTIME
    stat) stat -c %s / ;;
    cmp) cmp -s -n 1 -i 1:1 "$BASH" "$BASH" ;;
    prlimit) prlimit --fsize=1 -- true ;;
    setpriv) setpriv --help ;;
    root) [ "$(id -u)" = 0 ] ;;
    tmpfs) probe_dir=$(mktemp -d) && mount -t tmpfs -o size=4k tmpfs "$probe_dir" &&
        umount "$probe_dir" && rmdir "$probe_dir" ;;
    script) script -qec true /dev/null ;;
    flock) flock -s -n / true ;;
    *) command -v "$probe_tool" ;;
    esac >/dev/null 2>&1 || probe_missing+=("$probe_tool")
done
if ((${#probe_missing[@]})); then
    if [ "${REELKIT_ALLOW_SKIP:-}" = 1 ]; then
        echo "SKIPPED: ${0##*/} needs ${probe_missing[*]}"
        exit 77
    fi
    echo "FAIL: ${0##*/} needs ${probe_missing[*]} (REELKIT_ALLOW_SKIP=1 skips it instead)"
    exit 1
fi
