#!/usr/bin/env bash
# Runs one GoogleTest program under Wine as tools/run-gtest.sh does, but in a Wine prefix of its
# own, made for the run and removed after it, with a scratch home (Wine's Recycle Bin lies
# there): for tests whose programs act on the whole prefix, such as a junk clean of its drive
# C: or ending the product's processes by name. With --drive, the prefix gets a fixed drive of
# that letter over the empty folder "C:\xarn-drive-<letter>", made before the prefix's services
# start: Wine's mount manager knows only the drives it found at its start, and a drive it does
# not know has no volume information and is left out of the logical drives.
#   tools/run-gtest-own-prefix.sh [--drive LETTER] <program.exe> [arguments...]
set -u
drive=""
if [ "${1:-}" = --drive ]; then
    drive=$(echo "$2" | tr '[:upper:]' '[:lower:]')
    shift 2
fi
here=$(cd "$(dirname "$0")" && pwd)
run_dir=$(mktemp -d "${TMPDIR:-/tmp}/xarn-own-prefix.XXXXXX")
export WINEPREFIX="$run_dir/prefix" HOME="$run_dir/home"
mkdir -p "$HOME"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
output="$run_dir/output.txt"
finish() {
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
    cat "$output" 2>/dev/null
    rm -rf "$run_dir"
}
trap finish EXIT
trap 'exit 143' TERM INT

xarn_wine_prefix_ready || exit 1
# The first boot of a prefix can leave a second service manager that never starts a service:
# start the prefix once more from nothing, under a persistent server started without our
# output, so that no Wine process keeps ctest waiting.
/usr/lib/wine/wineserver64 -k >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w >/dev/null 2>&1
if [ -n "$drive" ]; then
    mkdir -p "$WINEPREFIX/drive_c/xarn-drive-$drive"
    ln -sfn "$WINEPREFIX/drive_c/xarn-drive-$drive" "$WINEPREFIX/dosdevices/$drive:"
fi
/usr/lib/wine/wineserver64 -p >/dev/null 2>&1 </dev/null
"$XARN_WINE64" wineboot >/dev/null 2>&1 </dev/null
# Output through a file, as in run-gtest.sh: Wine's helpers must not hold ctest's pipe.
xarn_run_gtest "$@" >"$output" 2>&1
