#!/usr/bin/env bash
# Runs the install helper's integration test from a folder of the prefix's drive C:, under the
# product's executable names. The helper ends processes by name and stops a service: the test
# runs in a sandbox of its own (tools/test-sandbox.sh), whose prefix no other test uses.
# Arguments: the test driver, KillXarnProcesses.exe, the stand-in service, the sleeper.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
loader=$(xarn_wine_loader "$1") || exit 1
xarn_wine_prefix_ready || exit 1

folder="$WINEPREFIX/drive_c/xarntest"
mkdir -p "$folder"
cp "$1" "$folder/killxarn_integration_test.exe"
cp "$2" "$folder/KillXarnProcesses.exe"
cp "$3" "$folder/test_service.exe"
cp "$4" "$folder/sleeper.exe"
cd "$folder" || exit 1
# In the background, so that a timeout's signal reaches the clean-up at once.
"$loader" 'C:\xarntest\killxarn_integration_test.exe' --gtest_brief=1 \
    '--gtest_output=xml:C:\xarntest\report.xml' </dev/null &
wait $!
xarn_gtest_verdict "$folder/report.xml" $? killxarn_integration_test
