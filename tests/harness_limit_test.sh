#!/usr/bin/env bash
# The sandbox's limit: its action runs once when the watched process outlives it, never when the
# process ends first, and the watch ends with the process.
#   harness_limit_test.sh
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../tools/wine-env.sh
. "$top/tools/wine-env.sh"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "$1"
    failed=1
}
record() { echo "$1" >>"$work/actions"; }

# Outlives the limit: the action runs once, and the watch returns while the process still runs.
sleep 600 &
long=$!
xarn_at_limit "$long" 1 record "limit"
kill -0 "$long" 2>/dev/null || fail "the watch waited for the process instead of its limit"
[ "$(cat "$work/actions" 2>/dev/null)" = limit ] || fail "the action did not run exactly once"
kill "$long"
wait "$long" 2>/dev/null

# Ends first: the watch returns with it and the action never runs.
: >"$work/actions"
sleep 1 &
short=$!
xarn_at_limit "$short" 600 record "limit"
kill -0 "$short" 2>/dev/null && fail "the watch returned before the process ended"
[ -s "$work/actions" ] && fail "the action ran for a process that ended before its limit"

# A process already gone: nothing to wait for, nothing to do.
xarn_at_limit "$short" 0 record "limit"
[ -s "$work/actions" ] && fail "the action ran for a process that had ended"

[ "$failed" -eq 0 ] && echo "harness limit: ok"
exit "$failed"
