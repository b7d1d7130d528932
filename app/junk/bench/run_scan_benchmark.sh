#!/usr/bin/env bash
# Makes a tree of 10^5 files (1,000 folders of 100; one in 20 matches a default mask, one in 100
# a disabled one) on a test drive, then times the junk scan against `find` with the same masks.
#   app/junk/bench/run_scan_benchmark.sh [build/x86_64] [earlier JunkScanBenchmark.exe]
# An earlier build's benchmark program, when given, runs first on the same tree, so that a
# change is measured before and after in one run.
set -euo pipefail
top=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$top/build/x86_64}
earlier=${2:-}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/xarn-junk-bench-$(id -u)}
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready

tree="$WINEPREFIX/drive_c/xarn-junk-bench"
rm -rf "$tree"
python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
n = 0
for top in range(100):
    for sub in range(10):
        folder = os.path.join(root, f"d{top:03}", f"s{sub}")
        os.makedirs(folder)
        for i in range(100):
            name = f"f{n}.dat"
            if n % 20 == 0:
                name = f"f{n}.tmp"
            elif n % 100 == 1:
                name = f"f{n}.bak"
            elif n % 100 == 3:
                name = f"~f{n}.txt"
            open(os.path.join(folder, name), "w").close()
            n += 1
PY
ln -sfn "$tree" "$WINEPREFIX/dosdevices/b:"
trap 'rm -f "$WINEPREFIX/dosdevices/b:"; rm -rf "$tree"' EXIT
run() { "$(xarn_wine_loader "$1")" "$1" B "$tree" | tr -d '\r'; }
if [ -n "$earlier" ]; then
    echo "== earlier: $earlier"
    run "$earlier" || true
    echo "== this build"
fi
run "$build/bin/JunkScanBenchmark.exe"
