#!/usr/bin/env bash
# The resource identifier check passes the project's own tree and fails a tree where two files
# define one identifier with different numbers, naming both places.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
check="$top/tools/check_resource_ids.py"
python3 "$check" "$top"
if output=$(python3 "$check" "$here" clash); then
    echo "a clash passed the check"; exit 1
fi
grep -q "IDC_SCAN_PROGRESS is defined 2 times: clash/FirstToolResource.h:1 = 6031, clash/SecondTool.rc:1 = 5025" <<<"$output" ||
    { echo "unexpected report: $output"; exit 1; }
! grep -q IDC_FIRST_ONLY <<<"$output"
echo "resource identifier check: passed"
