#!/usr/bin/env bash
# The test runner's verdict is the test program's own: a program that ends with exit status 0
# before its summary fails, and so does one with a failing test; a clean run passes.
#   harness_verdict_test.sh <harness_verdict_probe.exe>
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../tools/wine-env.sh
. "$top/tools/wine-env.sh"
unset XARN_RESULTS_DIR # these runs are not part of the suite's count
probe=$1
failed=0
expect() {
    local want=$1 text=$2 filter=$3 output status
    # Through a file: a Wine process left running would hold a pipe open.
    xarn_run_gtest "$probe" --gtest_brief=1 "--gtest_filter=$filter" >"$WINEPREFIX/verdict.txt" 2>&1
    status=$?
    output=$(cat "$WINEPREFIX/verdict.txt")
    if { [ "$want" = pass ] && [ "$status" -ne 0 ]; } || { [ "$want" = fail ] && [ "$status" -eq 0 ]; } ||
        ! grep -q -- "$text" <<<"$output"; then
        echo "with $filter: expected to $want with \"$text\", got status $status:"
        echo "$output"
        failed=1
    fi
}
xarn_wine_prefix_ready || exit 1
expect pass "" 'Verdict.Passes'
expect fail "1 failed" 'Verdict.*'
expect fail "ended before its summary (exit status 0)" 'EarlyExit.*'
[ "$failed" -eq 0 ] && echo "harness verdicts: ok"
exit "$failed"
