#!/usr/bin/env bash
# The include floor check passes the project's own tree and fails a tree with includes that run
# up (a tool's page to the main window, by name and by relative path), sideways (one tool to
# another) and from the defragmentation's code to the service, naming each place; downward
# includes, a test's use of the service, a name that an allowed folder also bears and system
# headers pass; a file outside every floor is named.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
check="$top/tools/check_include_floors.py"
python3 "$check" "$top"
# The real tree is read: the main program uses the defragmentation's pages. (grep reads the whole
# list: one that stopped at the first match would end the check with a broken pipe.)
python3 "$check" "$top" --edges | grep "^app/main -> app/defrag: " >/dev/null
if output=$(python3 "$check" "$here/tree"); then
    echo "a tree with upward includes passed the check"; exit 1
fi
expected="error: extra/FloorStray.h is in no folder of the floors
error: app/defrag/FloorProgressPage.cpp:1 includes service/FloorServiceHost.h: app/defrag may not use service
error: app/dupes/FloorDupeList.cpp:1 includes app/junk/pages/FloorJunkPage.h: app/dupes may not use app/junk
error: app/junk/pages/FloorJunkPage.cpp:2 includes app/main/FloorMainWindow.h: app/junk may not use app/main
error: app/junk/pages/FloorJunkPage.cpp:3 includes app/main/FloorMainWindow.h: app/junk may not use app/main"
if [ "$output" != "$expected" ]; then
    printf 'unexpected report:\n%s\nexpected:\n%s\n' "$output" "$expected"; exit 1
fi
echo "include floor check: passed"
