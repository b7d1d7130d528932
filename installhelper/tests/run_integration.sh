#!/usr/bin/env bash
# Runs the install helper's integration test in a Wine prefix of its own: the helper ends
# processes by name and stops a service, which must never reach other tests' processes.
# Arguments: the test driver, KillXarnProcesses.exe, the stand-in service, the sleeper.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
loader=$(xarn_wine_loader "$1") || exit 1

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/killxarn-test.XXXXXX")
export WINEPREFIX="$run_dir/prefix" HOME="$run_dir/home"
mkdir -p "$HOME"
finish() {
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
    rm -rf "$run_dir"
}
trap finish EXIT
trap 'exit 143' TERM INT

xarn_wine_prefix_ready || exit 1
# On a busy machine the first boot of a prefix can leave a second service manager running,
# which then never finishes starting services: start the prefix once more from nothing.
/usr/lib/wine/wineserver64 -k >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w >/dev/null 2>&1
# A persistent server started without our output, so no Wine process keeps the runner waiting.
/usr/lib/wine/wineserver64 -p >/dev/null 2>&1 </dev/null
"$XARN_WINE64" wineboot >/dev/null 2>&1 </dev/null

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
