#!/usr/bin/env bash
# Drives xarnsimvol under Wine: makes two images, digests them, checks one against its own
# digests (sound) and against the other's (must fail), refuses to make an image over an existing
# one, leaves no file behind when a volume cannot be built, and refuses a bad command line.
set -u
tool=$1
top=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source=../../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_loader "$tool" >/dev/null || exit 1
xarn_wine_prefix_ready || exit 1
dir="xarnsimvol-test-$$"
mkdir -p "$WINEPREFIX/drive_c/$dir"
trap 'rm -rf "$WINEPREFIX/drive_c/$dir"' EXIT
w="C:\\$dir"
run() { "$top/tools/wine-run.sh" "$tool" "$@"; }

run make "$w\\a.img" 5 300 || exit 1
run make "$w\\b.img" 6 300 || exit 1
run digest "$w\\a.img" "$w\\a.dig" || exit 1
run digest "$w\\b.img" "$w\\b.dig" || exit 1
run check "$w\\a.img" "$w\\a.dig" || exit 1
run check "$w\\a.img" || exit 1
run check "$w\\a.img" "$w\\b.dig" >/dev/null
status=$?
[ "$status" -eq 1 ] || { echo "check against another volume's digests gave $status"; exit 1; }
run make "$w\\a.img" 7 300 >/dev/null 2>&1
status=$?
[ "$status" -eq 1 ] || { echo "a make over an existing image gave $status"; exit 1; }
run check "$w\\a.img" "$w\\a.dig" >/dev/null || { echo "the existing image changed"; exit 1; }
# 2000 files cannot fit in 1024 clusters.
run make "$w\\full.img" 8 2000 1024 >/dev/null 2>&1
status=$?
[ "$status" -eq 1 ] || { echo "a volume too small to build gave $status"; exit 1; }
[ ! -e "$WINEPREFIX/drive_c/$dir/full.img" ] || { echo "an unfinished image was left"; exit 1; }
run frobnicate "$w\\a.img" >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || { echo "a bad command gave $status"; exit 1; }
echo "xarnsimvol: ok"
