#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test under Wine:
# one private Wine prefix and one virtual display for the whole run, both removed at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
"$top/tools/build.sh"

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/xarn-test.XXXXXX")
export WINEPREFIX="$run_dir/prefix" HOME="$run_dir/home"
mkdir -p "$HOME"
# shellcheck source=wine-env.sh
. "$top/tools/wine-env.sh"

xvfb_pid=""
finish() {
    "$XARN_WINE64" cmd /c exit >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$run_dir"
}
trap finish EXIT

# A free display number for the window tests.
for display in $(seq 90 150); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"

xarn_wine_prefix_ready
/usr/lib/wine/wineserver64 -p >/dev/null 2>&1 </dev/null || true

xarn_can_run_32bit || echo "note: this machine cannot run 32-bit programs; the i686 tests are built and skipped"
status=0
for arch in x86_64 i686; do
    echo "== tests: $arch"
    ctest --test-dir "$top/build/$arch" --output-on-failure -j"$(nproc)" || status=1
done
exit $status
