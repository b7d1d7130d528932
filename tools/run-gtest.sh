#!/usr/bin/env bash
# Runs one GoogleTest program under Wine for ctest and passes only when the program itself ended
# with its summary and every test in it passed (see xarn_run_gtest).
#   tools/run-gtest.sh <program.exe> [arguments...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
xarn_wine_prefix_ready || exit 1
# Output through a file, as in wine-run.sh: Wine's helpers must not hold ctest's pipe.
output=$(mktemp "${TMPDIR:-/tmp}/xarn-run.XXXXXX")
trap 'cat "$output"; rm -f "$output"' EXIT
xarn_run_gtest "$@" >"$output" 2>&1
