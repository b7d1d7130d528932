#!/usr/bin/env bash
# Times the duplicate finder against jdupes, rmlint and fdupes on one generated tree (kept in
# the Wine prefix's drive C: so every tool reads the same files, page cache warm), with and
# without content comparison. Prints the median of a few runs per tool and the ratios to
# jdupes; the cost of merely starting a program under Wine is measured and shown apart, and so is
# Wine's floor for a content comparison: opening, reading and closing once every file that
# shares its size with another.
#   tools/dupes-bench.sh [files (default 12000)] [runs (default 3)] [earlier dupes_benchmark.exe]
# An earlier build's benchmark program, when given, is timed too, so that a change is measured
# before and after in one run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-12000}
runs=${2:-3}
earlier=${3:-}
# shellcheck source=wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready
bench="$top/build/x86_64/bin/dupes_benchmark.exe"
[ -f "$bench" ] || { echo "build first: tools/build.sh"; exit 1; }
for tool in jdupes rmlint fdupes; do
    command -v "$tool" >/dev/null || { echo "$tool missing: tools/setup.sh --benchmarks"; exit 1; }
done
root="$WINEPREFIX/drive_c/xarn-bench"
tree="$root/tree-$files"

if [ ! -f "$tree.complete" ]; then
    rm -rf "$tree"
    python3 - "$tree" "$files" <<'PY'
import os, random, sys
# Files in 20 x 10 folders; sizes spread from 512 bytes to 256 KiB. About a third are copies
# of an earlier file (half of them under its name), a tenth have an earlier file's size but
# differ in their last byte; the rest are unique.
root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(20)
made = []
for i in range(count):
    folder = os.path.join(root, f"d{rng.randrange(20):02d}", f"s{rng.randrange(10)}")
    os.makedirs(folder, exist_ok=True)
    pick = rng.random()
    if made and pick < 0.33:
        name, data = rng.choice(made)
        if rng.random() < 0.5:
            name = f"copy{i}_{name}"
    elif made and pick < 0.43:
        name, data = rng.choice(made)
        data = data[:-1] + bytes([(data[-1] + 1) % 256])
        name = f"near{i}.dat"
    else:
        size = int(512 * (512 ** rng.random()))
        data = rng.randbytes(size)
        name = f"f{i}.{rng.choice(['dat', 'txt', 'jpg', 'mp3', 'doc', 'avi'])}"
    path = os.path.join(folder, name)
    if os.path.exists(path):
        continue
    with open(path, "wb") as out:
        out.write(data)
    made.append((name, data))
PY
    touch "$tree.complete"
fi
find "$tree" -type f -exec cat {} + >/dev/null # warm the page cache
treeFiles=$(find "$tree" -type f | wc -l)
treeBytes=$(du -sb "$tree" | cut -f1)
windowsTree="C:\\xarn-bench\\tree-$files"

now() { date +%s.%N; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Wall seconds of one command, median of $runs runs.
wall() {
    local t0 t1
    for _ in $(seq "$runs"); do
        t0=$(now)
        "$@" >/dev/null 2>&1
        t1=$(now)
        echo "$t1 - $t0" | bc -l
    done | median
}
# The finder: wall seconds and its own walk + group milliseconds (medians).
finder() {
    local mode=$1 program=${2:-$bench} tag=${3:-$1} t0 t1 out
    : >"$root/finder-$tag.times"
    for _ in $(seq "$runs"); do
        t0=$(now)
        out=$("$top/tools/wine-run.sh" "$program" "$windowsTree" "$mode" | tr -d '\r' | tail -1)
        t1=$(now)
        echo "$(echo "$t1 - $t0" | bc -l) $out" >>"$root/finder-$tag.times"
    done
}

wineStart=$(wall "$top/tools/wine-run.sh" "$bench" "$windowsTree" none)
finder content
finder names
if [ -n "$earlier" ]; then
    finder content "$earlier" earlier-content
    finder names "$earlier" earlier-names
fi
finder opens
finder candidates
jdupesFull=$(wall jdupes -r -q "$tree")
jdupesQuick=$(wall jdupes -r -q -Q "$tree")
rmlintTime=$(wall rmlint -T df -o fdupes:/dev/null "$tree")
fdupesTime=$(wall fdupes -r -q "$tree")

field() { awk -v f="$2" '{print $f}' "$root/finder-$1.times" | median; }
contentWall=$(field content 1)
contentOwn=$(echo "($(field content 2) + $(field content 3)) / 1000" | bc -l)
namesWall=$(field names 1)
namesOwn=$(echo "($(field names 2) + $(field names 3)) / 1000" | bc -l)
jdupesDupes=$(jdupes -r -q "$tree" | grep -c . || true)
ourDupes=$(field content 5)

printf 'tree: %s files, %s bytes (%s)\n' "$treeFiles" "$treeBytes" "$tree"
printf 'machine: %s processors, load average %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'grouped files: finder (size + content) %s, jdupes %s\n' "$ourDupes" "$jdupesDupes"
printf '%-44s %9s %10s\n' "tool" "seconds" "/ jdupes"
row() { printf '%-44s %9.3f %10.2f\n' "$1" "$2" "$(echo "$2 / $jdupesFull" | bc -l)"; }
row "jdupes -r (content, byte-for-byte check)" "$jdupesFull"
row "jdupes -r -Q (content by hash)" "$jdupesQuick"
row "rmlint -T df" "$rmlintTime"
row "fdupes -r" "$fdupesTime"
row "finder, size + content: whole Wine process" "$contentWall"
row "finder, size + content: walk + grouping" "$contentOwn"
row "finder, name + size: whole Wine process" "$namesWall"
row "finder, name + size: walk + grouping" "$namesOwn"
if [ -n "$earlier" ]; then
    for mode in content names; do
        row "earlier finder, $mode: whole Wine process" "$(field "earlier-$mode" 1)"
        row "earlier finder, $mode: walk + grouping" \
            "$(echo "($(field "earlier-$mode" 2) + $(field "earlier-$mode" 3)) / 1000" | bc -l)"
    done
fi
printf '%-44s %9.3f\n' "Wine: starting and ending a program" "$wineStart"
printf '%-44s %9.3f\n' "Wine: opening and closing each file once" "$(echo "$(field opens 3) / 1000" | bc -l)"
floor=$(echo "$(field candidates 3) / 1000" | bc -l)
printf '%-44s %9.3f  (%s files)\n' "Wine: open, read, close each candidate once" "$floor" \
    "$(field candidates 5)"
row "finder, size + content: beyond that floor" "$(echo "$contentOwn - $floor" | bc -l)"
