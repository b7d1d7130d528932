#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest and the project's scripts.
# The prefix is $WINEPREFIX when the caller made one (tools/test.sh makes one per test run);
# otherwise a per-user prefix that is created once and reused. Exit codes pass through;
# 77 means "skipped": the machine cannot run a 32-bit program.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
program=$1
shift
loader=$(xarn_wine_loader "$program") || exit 77
xarn_wine_prefix_ready || exit 1
# The program's output goes through a file, not straight to ctest's pipe: Wine's own helper
# processes (services, explorer, conhost), started by whichever program comes first, inherit
# the output handles and outlive the program, and ctest would wait for them until the timeout.
output=$(mktemp "${TMPDIR:-/tmp}/xarn-run.XXXXXX")
trap 'cat "$output"; rm -f "$output"' EXIT
"$loader" "$program" "$@" >"$output" 2>&1 </dev/null
