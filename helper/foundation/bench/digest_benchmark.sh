#!/usr/bin/env bash
# Times the library's MD5, SHA-1 and CRC-32 against md5sum, sha1sum and zlib's crc32 on the same
# 1 GiB of random data, held in memory (a file in /dev/shm), in one run, and prints the ratios.
#   helper/foundation/bench/digest_benchmark.sh [build/x86_64]
set -euo pipefail
top=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$top/build/x86_64}
program=$build/bin/digest_benchmark.exe
# shellcheck source=../../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready
data=$(mktemp /dev/shm/xarn-digest.XXXXXX)
# The prefix has no drive for the host's root: the program reaches the file through a link.
link="xarn-digest-$$.bin"
ln -s "$data" "$WINEPREFIX/drive_c/$link"
trap 'rm -f "$data" "$WINEPREFIX/drive_c/$link"' EXIT
head -c 1073741824 /dev/urandom >"$data"

# Best of two runs of a system tool, in MB/s, and its digest.
tool_rate() {
    local best=0 digest="" start end rate
    for _ in 1 2; do
        start=$(date +%s%N)
        digest=$("$@" "$data" | cut -d' ' -f1)
        end=$(date +%s%N)
        rate=$((1073741824 * 1000 / (end - start)))
        [ "$rate" -gt "$best" ] && best=$rate
    done
    echo "$digest $best"
}
read -r md5_sum md5_rate < <(tool_rate md5sum)
read -r sha_sum sha_rate < <(tool_rate sha1sum)
read -r crc_sum crc_rate < <(python3 - "$data" <<'PY'
import sys, time, zlib
data = open(sys.argv[1], "rb").read()
best = 0.0
for _ in range(2):
    start = time.perf_counter()
    crc = zlib.crc32(data)
    seconds = time.perf_counter() - start
    best = max(best, len(data) / seconds / 1e6)
print("%08x %d" % (crc, best))
PY
)
ours=$("$top/tools/wine-run.sh" "$program" time "C:\\$link" | tr -d '\r')
echo "$ours"
ratio() { # name, system digest, system MB/s, goal
    local line digest rate
    line=$(grep "^$1 " <<<"$ours")
    digest=$(cut -d' ' -f2 <<<"$line" | tr 'A-F' 'a-f')
    rate=$(cut -d' ' -f3 <<<"$line")
    awk -v n="$1" -v ours="$rate" -v sys="$3" -v goal="$4" -v same="$([ "$digest" = "$2" ] && echo yes || echo NO)" \
        'BEGIN { printf "%-5s ours %7.1f MB/s, system %7.1f MB/s: %.2fx (goal %.1fx), same digest: %s\n", n, ours, sys, ours / sys, goal, same }'
}
ratio md5 "$md5_sum" "$md5_rate" 0.9
ratio sha1 "$sha_sum" "$sha_rate" 0.8
ratio crc32 "$crc_sum" "$crc_rate" 0.5
