#!/usr/bin/env bash
# Maps the test drive V: to a folder of its own in the prefix (as a Wine drive) and runs the
# drive-list test, which must list it; the letter is removed afterwards.
#   check_drive_list.sh <core_units_test.exe>
set -u
top=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source=../../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready || exit 1
folder=$(mktemp -d "${TMPDIR:-/tmp}/xarn-drive-v.XXXXXX") || exit 1
link="$WINEPREFIX/dosdevices/v:"
trap 'rm -f "$link"; rm -rf "$folder"' EXIT
[ -e "$link" ] && { echo "drive V: is in use in this prefix"; exit 1; }
ln -s "$folder" "$link" || exit 1
XARN_TEST_DRIVE=V xarn_run_gtest "$1" --gtest_brief=1 --gtest_filter='DriveList.*'
