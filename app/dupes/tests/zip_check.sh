#!/usr/bin/env bash
# Has the zip writer's fixture write its archives under Wine, then checks them from outside:
# unzip -t, zipinfo, Python's zipfile, and (for the small archive) unzip's extraction compared
# byte for byte with the sources. Usage: zip_check.sh <fixture.exe> [large]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
fixture=$1
mode=${2:-}
# shellcheck source=../../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready
name="xarn-zipcheck-$$-$RANDOM"
dir="$WINEPREFIX/drive_c/$name"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
"$top/tools/wine-run.sh" "$fixture" "C:\\$name" $mode

for zip in "$dir"/*.zip; do
    unzip -tq "$zip"
    zipinfo "$zip" >/dev/null
done
if [ -n "$mode" ]; then
    zipinfo -v "$dir/large-archive.zip" >"$dir/large-archive.info"
    grep -q "PKWARE 64-bit sizes" "$dir/large-archive.info" || { echo "large-archive.zip: no Zip64 field"; exit 1; }
fi
python3 "$here/zip_check.py" "$dir"

out="$dir/extracted"
mkdir -p "$out"
unzip -q "$dir/small.zip" -d "$out"
while IFS= read -r line; do
    entry=${line%%$'\t'*}
    rest=${line#*$'\t'}
    source=${rest%%$'\t'*}
    kind=${rest#*$'\t'}
    [ "$kind" = folder ] && { [ -d "$out/$entry" ] || { echo "missing folder $entry"; exit 1; }; continue; }
    cmp "$out/$entry" "$dir/${source//\\//}"
done <"$dir/small.manifest"
echo "small.zip: extracted byte-identical"
