#!/usr/bin/env bash
# Makes a tree of 10^5 files (1,000 folders of 100; one in 20 matches a default mask, one in 100
# a disabled one) on a test drive, then times the junk scan against `find` with the same masks,
# and the removal of 10^4 found files (for good and to the Recycle Bin) against Wine's floors in
# the same run. Every measure is taken XARN_BENCH_RUNS times (default 3); the summary gives the
# minimum, median and maximum of each.
#   app/junk/bench/run_scan_benchmark.sh [build/x86_64] [earlier JunkScanBenchmark.exe]
# An earlier build's scan benchmark program, when given, runs first on the same tree, so that a
# change is measured before and after in one run.
set -euo pipefail
top=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$top/build/x86_64}
earlier=${2:-}
runs=${XARN_BENCH_RUNS:-3}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/xarn-junk-bench-$(id -u)}
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready

scratch=$(mktemp -d "${TMPDIR:-/tmp}/xarn-junk-bench.XXXXXX")
tree="$WINEPREFIX/drive_c/xarn-junk-bench"
removal="$WINEPREFIX/drive_c/xarn-junk-removal"
rm -rf "$tree" "$removal"
trap 'rm -f "$WINEPREFIX/dosdevices/b:" "$WINEPREFIX/dosdevices/r:"; rm -rf "$tree" "$removal" "$scratch"' EXIT
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
# The prefix's server learns its drives when it starts, and its services keep the home folder of
# the program that started them, which under Wine decides where the Recycle Bin lies for every
# program of the prefix (a bin of another home takes no file that the cleaner holds). So both
# letters are given, and the run's own home folder set, while no server runs (one left by another
# program of the prefix is waited for, within 60 s).
timeout 60 /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
export HOME="$scratch/home"
mkdir -p "$HOME" "$removal"
ln -sfn "$tree" "$WINEPREFIX/dosdevices/b:"
ln -sfn "$removal" "$WINEPREFIX/dosdevices/r:"
run() { "$(xarn_wine_loader "$1")" "$@" | tr -d '\r'; }
if [ -n "$earlier" ]; then
    echo "== earlier: $earlier"
    run "$earlier" B "$tree" || true
    echo "== this build"
fi
status=0
for i in $(seq "$runs"); do
    echo "== run $i of $runs"
    run "$build/bin/JunkScanBenchmark.exe" B "$tree" | tee -a "$scratch/results" || status=1
    run "$build/bin/JunkDeleteBenchmark.exe" R | tee -a "$scratch/results" || status=1
    # The Recycle Bin (in the run's home folder) and the removal's folder are emptied each run.
    rm -rf "$HOME/.local/share/Trash"
    find "$removal" -mindepth 1 -delete
done
echo "== $runs runs: minimum / median / maximum (ms)"
python3 - "$scratch/results" <<'PY'
import statistics, sys
measures = {}
for line in open(sys.argv[1]):
    if line.startswith("RESULT "):
        _, name, value = line.split()
        measures.setdefault(name, []).append(float(value))
for name, values in measures.items():
    print(f"  {name:32} {min(values):9.1f} {statistics.median(values):9.1f} {max(values):9.1f}")
def ratio(a, b):
    if a in measures and b in measures:
        r = [x / y for x, y in zip(measures[a], measures[b]) if y > 0]
        print(f"  {a + ' / ' + b:58} {min(r):6.2f} {statistics.median(r):6.2f} {max(r):6.2f}")
print("== ratios in each run: minimum / median / maximum")
ratio("scan-engine", "scan-find")
ratio("scan-bare-walk", "scan-find")
ratio("delete-engine-for-good", "delete-floor-DeleteFileW")
ratio("delete-engine-recycle", "delete-floor-shell-batches")
PY
exit $status
