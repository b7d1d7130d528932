#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest and the project's scripts.
# The prefix is $WINEPREFIX when the caller made one (tools/test.sh makes one per test run);
# otherwise a per-user prefix that is created once and reused. Exit codes pass through; a program
# this machine cannot run fails with the reason.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
# Run on its own where 32-bit programs need the emulation: the whole run, and the wineserver it
# starts, stay inside the emulation's namespace.
if [ -z "${XARN_WINE_WORLD:-}" ] && ! xarn_can_run_32bit; then
    xarn_with_32bit bash -c '"$0" "$@"; status=$?; /usr/lib/wine/wineserver64 -w; exit $status' \
        "$0" "$@"
    exit
fi
program=$1
shift
loader=$(xarn_wine_loader "$program") || exit 1
xarn_wine_prefix_ready || exit 1
# The program's output goes through a file, not straight to ctest's pipe: Wine's own helper
# processes (services, explorer, conhost), started by whichever program comes first, inherit
# the output handles and outlive the program, and ctest would wait for them until the timeout.
output=$(mktemp "${TMPDIR:-/tmp}/xarn-run.XXXXXX")
trap 'cat "$output"; rm -f "$output"' EXIT
"$loader" "$program" "$@" >"$output" 2>&1 </dev/null
