#!/usr/bin/env bash
# The main job: installs what is missing, builds both architectures, makes a simulated volume
# with fragmented files, installs the defragmentation service under Wine's service manager with
# the volume named in its Parameters key for a drive letter, starts it, analyses and defragments the drive over its
# RPC interface (as the main program does), prints what happened, checks that the volume is
# sound and every file's bytes are unchanged, then starts the main program Xarn (the users' i686
# build, from the install folder) with the drive in its drive list: on the user's display until
# the user closes it, or without a display in a virtual one, where its main window is
# photographed into the output folder; at last it removes the service (and the value) again.
#   tools/run.sh [drive letter (default S)] [analyse|defragment (default: both, in that order)]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
drive=$(echo "${1:-S}" | tr '[:lower:]' '[:upper:]')
case "$drive" in
[A-Z]) ;;
*) echo "usage: tools/run.sh [drive letter] [analyse|defragment]" >&2; exit 1 ;;
esac
case "${2:-both}" in
analyse | defragment) jobs=$2 ;;
both) jobs="analyse defragment" ;;
*) echo "usage: tools/run.sh [drive letter] [analyse|defragment]" >&2; exit 1 ;;
esac

# shellcheck source=wine-env.sh
. "$top/tools/wine-env.sh"
if [ "${XARN_RUN_STAGE:-}" != wine ]; then
    "$top/tools/setup.sh"
    "$top/tools/build.sh" >/dev/null
    # The Wine part runs as one whole where 32-bit programs can run (see xarn_with_32bit).
    XARN_RUN_STAGE=wine xarn_with_32bit "$0" "$@"
    exit
fi
xarn_wine_prefix_ready

# The service runs from the prefix's C: drive, as from its install folder.
folder="$WINEPREFIX/drive_c/Program Files/Xarn"
mkdir -p "$folder" "$WINEPREFIX/drive_c/XarnRun"
cp "$top/build/x86_64/service/host/XarnDefragSrv64.exe" \
    "$top/build/x86_64/service/runclient/defrag_run_client.exe" \
    "$top/build/x86_64/platform/volume/xarnsimvol.exe" "$folder/"
# The main program with its libraries, texts and report images beside it.
bin="$top/build/i686/bin"
cp "$bin/Xarn.exe" "$bin"/*.dll "$bin"/*.ini "$folder/"
cp -r "$bin/DefragReport" "$folder/"
output="$top/build/run"
mkdir -p "$output"
service="$folder/XarnDefragSrv64.exe"
image="C:\\XarnRun\\$drive.img"
digests="C:\\XarnRun\\$drive.dig"
parameters='HKLM\SYSTEM\CurrentControlSet\Services\XarnStellmark\Parameters'

wine() { "$XARN_WINE64" "$@" 2>/dev/null | tr -d '\r'; }
drive_link="$WINEPREFIX/dosdevices/$(echo "$drive" | tr '[:upper:]' '[:lower:]'):"
finish() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    rm -f "$drive_link"
    wine reg delete "$parameters" /v "SimulatedVolume$drive" /f >/dev/null || true
    wine "$service" -remove || true
    rm -rf "$WINEPREFIX/drive_c/XarnRun"
}
trap finish EXIT

echo "== a simulated volume for $drive:"
wine "$folder/xarnsimvol.exe" make "$image"
wine "$folder/xarnsimvol.exe" digest "$image" "$digests"

echo "== the service"
wine "$service" -remove >/dev/null || true # a service left by a broken run
wine "$service" -install
wine reg add "$parameters" /v "SimulatedVolume$drive" /t REG_SZ /d "$image" /f >/dev/null
echo "$parameters\\SimulatedVolume$drive = $image"
for attempt in 1 2 3; do
    wine net start XarnStellmark >/dev/null && break
    [ "$attempt" -lt 3 ] && sleep 1
done

status=0
for job in $jobs; do
    echo "== $job"
    wine "$folder/defrag_run_client.exe" "$drive" "$job" || status=$?
    # 2: the service never answered on its pipe; nothing more can be done.
    [ "$status" -eq 2 ] && exit 2
done

# The client released the results at its end, so the service holds the image no longer.
echo "== the volume afterwards: sound, and every stream's bytes as before?"
wine "$folder/xarnsimvol.exe" check "$image" "$digests" || status=$?

# The drive letter in the prefix (a fixed drive), so that the program lists it.
mkdir -p "$WINEPREFIX/drive_c/XarnRun/$drive-root"
ln -sfn "$WINEPREFIX/drive_c/XarnRun/$drive-root" "$drive_link"
xarn="C:\\Program Files\\Xarn\\Xarn.exe"
if [ -n "${DISPLAY:-}" ]; then
    echo "== Xarn on the display $DISPLAY: drive $drive: is in its list; close it to finish"
    "$XARN_WINE32" "$xarn" 2>/dev/null || true
else
    display=""
    for number in $(seq 120 159); do
        [ -e "/tmp/.X11-unix/X$number" ] || { display=":$number"; break; }
    done
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    sleep 1
    echo "== Xarn in the virtual display $display"
    "$XARN_WINE32" "$xarn" 2>/dev/null &
    xarn_pid=$!
    # Time for the window to come up and draw (the program is not waited for by its window).
    sleep 15
    import -window root -crop 772x583+126+92 "$output/xarn-home.png" 2>/dev/null ||
        echo "(no picture could be taken)"
    # Closed as a user closes it (its window gets WM_CLOSE), within 30 s.
    "$XARN_WINE64" taskkill /im Xarn.exe >/dev/null 2>&1 || true
    for _ in $(seq 30); do
        kill -0 "$xarn_pid" 2>/dev/null || break
        sleep 1
    done
    kill "$xarn_pid" 2>/dev/null || true
    echo "the main window's picture: $output/xarn-home.png"
fi
exit "$status"
