#!/usr/bin/env bash
# The run over both architectures' tests (tools/combine_tests.py) keeps every test of each build
# under its architecture's name, with its command, arguments, timeout and labels: a failing or
# timed-out test still fails, each test's report goes to its architecture's folder, and a test is
# ordered by its timeout only until ctest has timed it.
#   harness_combine_test.sh
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/xarn-combine.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
failed=0
check() {
    if ! eval "$2"; then
        echo "failed: $1"
        failed=1
    fi
}

# Two builds' listings in ctest's form; each test writes where its results would go.
listing() {
    local arch=$1 outcome=$2
    cat <<EOF
{"kind": "ctestInfo", "version": {"major": 1, "minor": 0}, "tests": [
 {"name": "writes_report",
  "command": ["sh", "-c",
    "echo \$XARN_RESULTS_DIR > $work/report-$arch; echo 'a ]] b;c' \$1 > $work/args-$arch",
    "-", "x;y"],
  "properties": [{"name": "LABELS", "value": ["$arch", "large"]},
                 {"name": "TIMEOUT", "value": 60.0},
                 {"name": "COST", "value": 60.0}, {"name": "WORKING_DIRECTORY", "value": "$work"}]},
 {"name": "verdict", "command": ["$outcome"],
  "properties": [{"name": "LABELS", "value": ["$arch"]}, {"name": "TIMEOUT", "value": 30.0}]},
 {"name": "hangs", "command": ["sleep", "60"],
  "properties": [{"name": "TIMEOUT", "value": 1.0}]}
]}
EOF
}
listing x86_64 true >"$work/x86_64.json"
listing i686 false >"$work/i686.json"
combine() {
    python3 "$top/tools/combine_tests.py" "$work/all" "$work/results" \
        "x86_64=$work/x86_64.json" "i686=$work/i686.json"
}
check "the combined file is written" combine

ctest --test-dir "$work/all" -j4 --output-junit "$work/junit.xml" >"$work/ctest.txt" 2>&1
check "the run fails" '[ $? -ne 0 ]'
outcome() { sed -n "s|.*<testcase name=\"$1\".* status=\"\([^\"]*\)\".*|\1|p" "$work/junit.xml"; }
check "six tests ran" '[ "$(grep -c "<testcase " "$work/junit.xml")" -eq 6 ]'
check "x86_64's passing test passed" '[ "$(outcome x86_64/verdict)" = run ]'
check "i686's failing test failed" '[ "$(outcome i686/verdict)" = fail ]'
check "a test past its timeout failed" \
    '[ "$(outcome i686/hangs)" = fail ] && grep -q "i686/hangs .*Timeout" "$work/ctest.txt"'
check "each test's report goes to its architecture's folder" \
    '[ "$(cat "$work/report-i686")" = "$work/results/i686" ] &&
     [ "$(cat "$work/report-x86_64")" = "$work/results/x86_64" ]'
check "arguments reach the test unchanged" '[ "$(cat "$work/args-i686")" = "a ]] b;c x;y" ]'
ctest --test-dir "$work/all" -L large -N >"$work/large.txt" 2>&1
check "labels are kept" 'grep -q "Total Tests: 2" "$work/large.txt"'

# Timed tests are ordered by ctest's own times from then on, untimed ones by their timeouts.
echo "retired 1 5" >>"$work/all/Testing/Temporary/CTestCostData.txt"
combine
cost() {
    ctest --test-dir "$work/all" --show-only=json-v1 | python3 -c '
import json, sys
tests = {t["name"]: t for t in json.load(sys.stdin)["tests"]}
properties = tests[sys.argv[1]].get("properties", [])
print(next((p["value"] for p in properties if p["name"] == "COST"), "none"))' "$1"
}
check "a timed test has no fixed cost" '[ "$(cost x86_64/writes_report)" = none ]'
grep -v "^i686/verdict " "$work/all/Testing/Temporary/CTestCostData.txt" >"$work/costs" &&
    cp "$work/costs" "$work/all/Testing/Temporary/CTestCostData.txt"
combine
check "an untimed test costs its timeout" '[ "$(cost i686/verdict)" = 30.0 ]'
[ "$failed" -eq 0 ] && echo "combined test runs: ok"
exit "$failed"
