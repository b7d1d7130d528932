#!/usr/bin/env bash
# The main job: builds both architectures, installs the defragmentation service under Wine's
# service manager, starts it, drives a run of a drive over its RPC interface (as the main
# program does), prints what happened, and removes the service again.
#   tools/run.sh [drive letter (default C)] [analyse|defragment (default analyse)]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/build.sh" >/dev/null
# shellcheck source=wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready

# The service runs from the prefix's C: drive, as from its install folder.
folder="$WINEPREFIX/drive_c/Program Files/Xarn"
mkdir -p "$folder"
cp "$top/build/x86_64/service/host/XarnDefragSrv64.exe" \
    "$top/build/x86_64/service/runclient/defrag_run_client.exe" "$folder/"
service="$folder/XarnDefragSrv64.exe"

remove() { "$XARN_WINE64" "$service" -remove 2>/dev/null | tr -d '\r' || true; }
trap remove EXIT
"$XARN_WINE64" "$service" -remove >/dev/null 2>&1 || true # a service left by a broken run
"$XARN_WINE64" "$service" -install 2>/dev/null | tr -d '\r'
"$XARN_WINE64" net start XarnStellmark >/dev/null 2>&1
"$XARN_WINE64" "$folder/defrag_run_client.exe" "${1:-C}" "${2:-analyse}" 2>/dev/null | tr -d '\r'
exit "${PIPESTATUS[0]}"
