#!/usr/bin/env bash
# Counts the tests of a run over its architectures and prints one closing line
# "tests: N passed, N failed, N skipped". A test program counts by the tests in its own report;
# a program that failed without a failing test in its report (it ended before its summary) and
# a test that is a script count as one test each. Fails when anything failed, or when an
# architecture ran no test at all.
#   tools/test-summary.sh <results folder> <arch>...
set -u
results=$1
shift
passed=0 failed=0 skipped=0 status=0
for arch in "$@"; do
    junit="$results/ctest-$arch.xml"
    entries=0
    while read -r name outcome; do
        entries=$((entries + 1))
        report="$results/$arch/$name.xml"
        if [ -s "$report" ]; then
            read -r tests failures disabled errors < <(sed -n 's/.*<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)" disabled="\([0-9]*\)" errors="\([0-9]*\)".*/\1 \2 \3 \4/p' "$report")
            skips=$(grep -c 'result="skipped"' "$report")
            bad=$((failures + errors))
            [ "$outcome" != run ] && [ "$bad" -eq 0 ] && bad=1
            passed=$((passed + tests - disabled - skips - failures - errors))
            failed=$((failed + bad))
            skipped=$((skipped + skips + disabled))
        elif [ "$outcome" = run ]; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
        fi
    done < <(sed -n 's/.*<testcase name="\([^"]*\)".* status="\([^"]*\)".*/\1 \2/p' "$junit" 2>/dev/null)
    if [ "$entries" -eq 0 ]; then
        echo "error: no $arch test ran"
        status=1
    fi
done
[ "$failed" -ne 0 ] && status=1
echo "tests: $passed passed, $failed failed, $skipped skipped"
exit $status
