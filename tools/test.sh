#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test under Wine: both
# architectures' tests in one run that keeps every core busy, every test in a sandbox of its own
# (tools/test-sandbox.sh: a copy of one Wine prefix made for the run while the build runs, its
# own virtual display and home folder), all removed at the end. A run passes only when both
# architectures' tests ran and passed; it prints the time of each phase and the ten longest test
# programs, and ends with one line that counts the tests of both architectures.
#   XARN_TEST_JOBS: test programs run at once, of both architectures together (default: the
#   machine's cores)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine-env.sh
. "$top/tools/wine-env.sh"
archs=(x86_64 i686)

# Prints "<phase> <seconds>" into the run's phase list.
phase_done() {
    echo "$1 $(($(date +%s) - $2))" >>"$run_dir/phases"
}

# The run's prefix, booted once; every sandbox copies it. Its Wine processes have all ended when
# this returns, so it may be made in another emulation namespace than the tests'.
make_template() {
    export WINEPREFIX="$run_dir/template/prefix" HOME="$run_dir/template/home"
    mkdir -p "$HOME"
    if ! xarn_can_run_32bit; then
        echo "error: the i686 tests cannot run: $(xarn_why_no_32bit)" >&2
        return 1
    fi
    xarn_own_display "$run_dir/template" || return 1
    xarn_wine_prefix_ready
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
    xarn_end_display "$run_dir/template"
    if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "error: the test prefix has no 32-bit system" >&2
        return 1
    fi
}

# A fingerprint of the files that every copy of the template shares: a test that wrote into
# them would reach every other test.
shared_files_fingerprint() {
    (cd "$XARN_PREFIX_TEMPLATE" &&
        find "${XARN_PREFIX_SHARED_FOLDERS[@]}" -type f -printf '%p %s %T@\n' | sort | md5sum)
}

# Every test runs in a sandbox whose limit comes just before its timeout.
check_sandboxed() {
    local margin
    margin=$(sed -n 's/^set(XARN_TEST_SANDBOX_MARGIN \([0-9]*\))$/\1/p' "$top/cmake/XarnTesting.cmake")
    ctest --test-dir "$top/build/$1" --show-only=json-v1 |
        python3 "$top/tools/check_sandboxed_tests.py" "$margin"
}

# Runs the tests of every architecture in one ctest run, so that the cores that one
# architecture's tests leave free at its end serve the other's. Each test's name begins with its
# architecture's; an architecture's phase ends with the last of its tests. The run's test list is
# its own (runs side by side never meet); ctest's times of the tests are kept in the build folder
# for the next run's order.
run_tests() {
    local started status arch listings=() all="$run_dir/all" times="$top/build/test-times.txt"
    started=$(date +%s)
    for arch in "${archs[@]}"; do
        ctest --test-dir "$top/build/$arch" --show-only=json-v1 >"$run_dir/tests-$arch.json"
        listings+=("$arch=$run_dir/tests-$arch.json")
    done
    mkdir -p "$all/Testing/Temporary"
    [ ! -f "$times" ] || cp "$times" "$all/Testing/Temporary/CTestCostData.txt"
    python3 "$top/tools/combine_tests.py" "$all" "$run_dir/results" "${listings[@]}"
    set +e
    ctest --test-dir "$all" --output-on-failure -j"$jobs" \
        --output-junit "$run_dir/results/ctest-all.xml" 2>&1 | {
        declare -A ended=()
        while IFS= read -r line; do
            printf '%s\n' "$line"
            [[ $line =~ Test\ +\#[0-9]+:\ ([a-z0-9_]+)/ ]] && ended[${BASH_REMATCH[1]}]=$(date +%s)
        done
        for arch in "${archs[@]}"; do
            [ -z "${ended[$arch]:-}" ] ||
                echo "tests-$arch $((ended[$arch] - started))" >>"$run_dir/phases"
        done
    }
    status=${PIPESTATUS[0]}
    set -e
    if [ -f "$all/Testing/Temporary/CTestCostData.txt" ]; then
        cp "$all/Testing/Temporary/CTestCostData.txt" "$times.$$" && mv "$times.$$" "$times"
    fi
    # Each architecture's entries of the run's report, under their own names.
    for arch in "${archs[@]}"; do
        sed -n "s|<testcase name=\"$arch/|<testcase name=\"|p" "$run_dir/results/ctest-all.xml" \
            >"$run_dir/results/ctest-$arch.xml"
    done
    return "$status"
}

# Everything Wine does in one emulation namespace (see xarn_with_32bit).
wine_part() {
    export XARN_PREFIX_TEMPLATE="$run_dir/template/prefix"
    export XARN_SANDBOX_ROOT="$run_dir/sandboxes"
    mkdir -p "$XARN_SANDBOX_ROOT" "$run_dir/results"
    trap end_sandboxes EXIT
    trap 'exit 143' TERM INT
    [ "${XARN_WINE_WORLD:-}" = emulated ] && echo "note: 32-bit programs run under qemu-user's i386 emulation"
    local fingerprint arch status=0
    for arch in "${archs[@]}"; do
        check_sandboxed "$arch" || status=1
    done
    fingerprint=$(shared_files_fingerprint)
    run_tests || status=1
    if [ "$(shared_files_fingerprint)" != "$fingerprint" ]; then
        echo "error: a test wrote into the prefix's system folders, which every sandbox shares"
        status=1
    fi
    return $status
}

# Sandboxes that a timeout cut short: their Wine processes and displays end here.
end_sandboxes() {
    local sandbox
    for sandbox in "$XARN_SANDBOX_ROOT"/*/; do
        [ -d "$sandbox" ] || continue
        WINEPREFIX="$sandbox/prefix" TMPDIR="$sandbox/tmp" /usr/lib/wine/wineserver64 -k \
            >/dev/null 2>&1 || true
        xarn_end_display "$sandbox"
    done
}

# The ten longest test programs of the run, by their ctest times. awk reads the whole list: a
# reader that stopped early would break sort's pipe and fail the run.
print_longest() {
    local arch
    echo "longest test programs:"
    for arch in "${archs[@]}"; do
        sed -n 's/.*<testcase name="\([^"]*\)".* time="\([0-9.]*\)".*/\2 \1 ('"$arch"')/p' \
            "$run_dir/results/ctest-$arch.xml" 2>/dev/null
    done | sort -rn | awk 'NR <= 10 {printf "  %7.1f s  %s %s\n", $1, $2, $3}'
}

print_phases() {
    echo "phases:"
    awk '{printf "  %-14s %4d min %02d s\n", $1, $2 / 60, $2 % 60}' "$run_dir/phases"
}

case "${1:-}" in
    --make-template)
        run_dir=$2
        make_template
        exit
        ;;
    --wine-part)
        run_dir=$2
        jobs=${XARN_TEST_JOBS:-$(nproc)}
        wine_part
        exit
        ;;
esac

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/xarn-test.XXXXXX")
trap 'rm -rf "$run_dir"' EXIT
trap 'exit 143' TERM INT
run_started=$(date +%s)
started=$run_started
"$top/tools/setup.sh"
phase_done set-up "$started"

# The run's prefix is made while the build runs: it needs Wine, not the build.
xarn_with_32bit "$0" --make-template "$run_dir" >"$run_dir/template.log" 2>&1 &
template_pid=$!
started=$(date +%s)
"$top/tools/build.sh"
phase_done build "$started"
started=$(date +%s)
if ! wait "$template_pid"; then
    cat "$run_dir/template.log" >&2
    exit 1
fi
phase_done prefix-wait "$started"

status=0
started=$(date +%s)
xarn_with_32bit "$0" --wine-part "$run_dir" || status=1
phase_done tests "$started"
phase_done total "$run_started"
print_phases
print_longest
"$top/tools/test-summary.sh" "$run_dir/results" "${archs[@]}" || status=1
exit $status
