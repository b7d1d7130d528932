#!/usr/bin/env bash
# The library's MD5, SHA-1 and CRC-32 equal md5sum, sha1sum and zlib's crc32 on random data of
# many lengths, above all around the 64-byte block, the 16-byte CRC step, the 4,096-byte and
# 8,000-byte file reads.
set -u
program=$1
top=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source=../../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_loader "$program" >/dev/null || exit 77
xarn_wine_prefix_ready || exit 1
name="xarn-digest-test-$$"
dir="$WINEPREFIX/drive_c/$name"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
lengths=$(seq 0 140)
for around in 255 4096 8000 16000 65536 1000000; do
    lengths="$lengths $(seq $((around - 3)) $((around + 3)))"
done
files=()
for length in $lengths; do
    head -c "$length" /dev/urandom >"$dir/$length.bin"
    files+=("C:\\$name\\$length.bin")
done
"$top/tools/wine-run.sh" "$program" list "${files[@]}" | tr -d '\r' >"$dir/ours.txt" || exit 1
# The system's digests of every file in one call each: "name md5 sha1 crc32".
(cd "$dir" && paste -d' ' <(md5sum -- *.bin | awk '{print $2, $1}' | sort) \
    <(sha1sum -- *.bin | awk '{print $2, toupper($1)}' | sort) \
    <(python3 -c 'import sys, zlib
for name in sys.argv[1:]:
    print(name, "%08x" % zlib.crc32(open(name, "rb").read()))' *.bin | sort)) |
    awk '{print $1, $2, $4, $6}' >"$dir/system.txt"
awk '{n = split($4, parts, "\\"); print parts[n], $1, $2, $3}' "$dir/ours.txt" | sort >"$dir/ours-sorted.txt"
count=$(wc -l <"$dir/ours-sorted.txt")
[ "$count" -eq "${#files[@]}" ] || { echo "$count digests for ${#files[@]} files"; exit 1; }
failures=$(diff "$dir/system.txt" "$dir/ours-sorted.txt" | grep -c '^>')
diff "$dir/system.txt" "$dir/ours-sorted.txt" | head -20
echo "digests: $count files compared, $failures differ"
[ "$failures" -eq 0 ]
