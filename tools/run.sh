#!/usr/bin/env bash
# The main job: builds both architectures and drives an analysis of a drive (default C) over
# the defragmentation service's RPC interface under Wine, printing what happened.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/build.sh" >/dev/null
exec "$top/tools/wine-run.sh" "$top/build/x86_64/service/runclient/defrag_run_client.exe" \
    "${1:-C}" analyse
