# SPDX-License-Identifier: MIT
# Sourced by a stress script with the tools it needs: ". probe.sh stat flock ...".
# Where one is missing, or lacks the GNU or util-linux form the script uses, the
# script reports itself skipped with status 77 (ctest's SKIP_RETURN_CODE);
# under CI=true a missing tool fails it instead.
probe_missing=()
for probe_tool; do
    case $probe_tool in
    bash4) ((BASH_VERSINFO[0] >= 4)) ;;
    bash5) ((BASH_VERSINFO[0] >= 5)) ;; # EPOCHREALTIME
    stat) stat -c %s / ;;
    cmp) cmp -s -n 1 -i 1:1 "$BASH" "$BASH" ;;
    prlimit) prlimit --fsize=1 -- true ;;
    setpriv) setpriv --help ;;
    flock) flock -s -n / true ;;
    *) command -v "$probe_tool" ;;
    esac >/dev/null 2>&1 || probe_missing+=("$probe_tool")
done
if ((${#probe_missing[@]})); then
    if [ "${CI:-}" = true ]; then
        echo "FAIL: ${0##*/} needs ${probe_missing[*]}"
        exit 1
    fi
    echo "SKIPPED: ${0##*/} needs ${probe_missing[*]}"
    exit 77
fi
