#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test under Wine: one
# private Wine prefix and one virtual display for the whole run, both removed at the end. A run
# passes only when both architectures' tests ran and passed; it ends with one line that counts
# the tests of both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine-env.sh
. "$top/tools/wine-env.sh"

if [ "${1:-}" != --wine-part ]; then
    "$top/tools/setup.sh"
    "$top/tools/build.sh"
    # The Wine part runs as one whole where 32-bit programs can run (see xarn_with_32bit).
    xarn_with_32bit "$0" --wine-part
    exit
fi

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/xarn-test.XXXXXX")
export WINEPREFIX="$run_dir/prefix" HOME="$run_dir/home"
mkdir -p "$HOME"

xvfb_pid=""
finish() {
    "$XARN_WINE64" cmd /c exit >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$run_dir"
}
trap finish EXIT

if ! xarn_can_run_32bit; then
    echo "error: the i686 tests cannot run: $(xarn_why_no_32bit)" >&2
    exit 1
fi
[ "${XARN_WINE_WORLD:-}" = emulated ] && echo "note: 32-bit programs run under qemu-user's i386 emulation"

# A free display number for the window tests.
for display in $(seq 90 150); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"

xarn_wine_prefix_ready
if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "error: the test prefix has no 32-bit system" >&2
    exit 1
fi
/usr/lib/wine/wineserver64 -p >/dev/null 2>&1 </dev/null || true

mkdir -p "$run_dir/results"
status=0
for arch in x86_64 i686; do
    echo "== tests: $arch"
    export XARN_RESULTS_DIR="$run_dir/results/$arch"
    ctest --test-dir "$top/build/$arch" --output-on-failure -j"$(nproc)" \
        --output-junit "$run_dir/results/ctest-$arch.xml" || status=1
done
"$top/tools/test-summary.sh" "$run_dir/results" x86_64 i686 || status=1
exit $status
