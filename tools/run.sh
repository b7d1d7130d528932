#!/usr/bin/env bash
# The main job: installs what is missing, builds both architectures, makes a simulated volume
# with fragmented files, installs the defragmentation service under Wine's service manager with
# the volume named in its Parameters key for a drive letter, gives the drive its letter in the
# prefix and starts the main program Xarn (the users' i686 build, from the install folder). On
# the user's display Xarn runs until the user closes it. Without a display it runs in a virtual
# one, where a driver (another program, as a user would) takes it through an analysis (its
# status lines read back, the one-click summary opened), a defragmentation that it stops and a
# two-pass defragmentation of the drive on its own pages, and then through a junk scan and clean
# and a duplicate scan and removal of the drive's own files (a generated tree of as many files),
# photographing each step and taking the HTML reports into the output folder; throughout, it
# times how long the program's main window takes to answer, and the longest wait is printed at
# the end. At last the volume is checked (sound, every file's bytes as before) and the drive's
# files (the junk gone, one copy of each pair left, the rest as before); then the service (and
# the value) is removed again.
#   tools/run.sh [drive letter (default S)] [files on the volume and the drive (default 20000)]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
drive=$(echo "${1:-S}" | tr '[:lower:]' '[:upper:]')
files=${2:-20000}
case "$drive" in
[A-Z]) ;;
*) echo "usage: tools/run.sh [drive letter] [files]" >&2; exit 1 ;;
esac
case "$files" in
'' | *[!0-9]*) echo "usage: tools/run.sh [drive letter] [files]" >&2; exit 1 ;;
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
    "$top/build/x86_64/platform/volume/xarnsimvol.exe" "$folder/"
# The main program with its libraries, texts and report images beside it.
bin="$top/build/i686/bin"
cp "$bin/Xarn.exe" "$bin"/*.dll "$bin"/*.ini "$folder/"
cp -r "$bin/DefragReport" "$folder/"
output="$top/build/run"
service="$folder/XarnDefragSrv64.exe"
image="C:\\XarnRun\\$drive.img"
digests="C:\\XarnRun\\$drive.dig"
parameters='HKLM\SYSTEM\CurrentControlSet\Services\XarnStellmark\Parameters'

wine() { "$XARN_WINE64" "$@" 2>/dev/null | tr -d '\r'; }
drive_link="$WINEPREFIX/dosdevices/$(echo "$drive" | tr '[:upper:]' '[:lower:]'):"
x11_driver='HKCU\Software\Wine\X11 Driver'
finish() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && wine reg delete "$x11_driver" /v Managed /f >/dev/null || true
    rm -f "$drive_link"
    wine reg delete "$parameters" /v "SimulatedVolume$drive" /f >/dev/null || true
    wine "$service" -remove || true
    rm -rf "$WINEPREFIX/drive_c/XarnRun"
}
trap finish EXIT

# The drive letter in the prefix (a fixed drive), so that the program lists it. The prefix's
# server learns the drives when it starts: the letter is given while none runs (one left by
# another program of the prefix is waited for, within 60 s).
timeout 60 /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
# The drive's folder is the run's own: one left by a broken run is made again.
rm -rf "$WINEPREFIX/drive_c/XarnRun/$drive-root"
mkdir -p "$WINEPREFIX/drive_c/XarnRun/$drive-root"
echo "Simulated" >"$WINEPREFIX/drive_c/XarnRun/$drive-root/.windows-label"
ln -sfn "$WINEPREFIX/drive_c/XarnRun/$drive-root" "$drive_link"

echo "== the drive's files for the junk cleaner and the duplicate finder"
python3 "$top/tools/run/drive_tree.py" make "$WINEPREFIX/drive_c/XarnRun/$drive-root" "$files"

echo "== a simulated volume for $drive:"
# 20000 files on 5 GB by default: each job runs long enough for its page to be seen and the
# defragmentation to be stopped (with 2000 it ends before its page's first poll). Other counts
# keep about as much room per file, and at least 512 MB.
clusters=$((files * 64 > 131072 ? files * 64 : 131072))
rm -f "$WINEPREFIX/drive_c/XarnRun/$drive.img" "$WINEPREFIX/drive_c/XarnRun/$drive.dig"
wine "$folder/xarnsimvol.exe" make "$image" 1 "$files" "$clusters"
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

xarn="C:\\Program Files\\Xarn\\Xarn.exe"
status=0
if [ -n "${DISPLAY:-}" ]; then
    echo "== Xarn on the display $DISPLAY: drive $drive: is in its list; close it to finish"
    "$XARN_WINE32" "$xarn" 2>/dev/null || true
else
    display=""
    for number in $(seq 120 159); do
        [ -e "/tmp/.X11-unix/X$number" ] || { display=":$number"; break; }
    done
    # The Recycle Bin is the trash folder of the home: the run's own.
    export HOME="$WINEPREFIX/drive_c/XarnRun/home"
    mkdir -p "$HOME"
    # The virtual display has no window manager. Wine is told so: otherwise it waits 2 s for
    # one each time the program hides or closes a window it activated (every message box).
    wine reg add "$x11_driver" /v Managed /t REG_SZ /d N /f >/dev/null
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    sleep 1
    echo "== Xarn in the virtual display $display, driven through its pages"
    # No browser in the virtual display: the driver takes the reports from their folder.
    account="$WINEPREFIX/drive_c/XarnRun/driver.txt"
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ieframe=d" "$XARN_WINE32" \
        "$top/build/i686/bin/xarn_run_driver.exe" "$xarn" "$drive" 'C:\XarnRun\pictures' \
        2>/dev/null | tr -d '\r' | tee "$account" || status=$?
    rm -rf "$output"
    mkdir -p "$output"
    cp -r "$WINEPREFIX/drive_c/XarnRun/pictures/." "$output/" 2>/dev/null || true
fi

# The service holds the image while it runs; stopped, it holds it no longer.
wine net stop XarnStellmark >/dev/null || true
echo "== the volume afterwards: sound, and every file's bytes as before?"
wine "$folder/xarnsimvol.exe" check "$image" "$digests" || status=$?
if [ -n "${xvfb_pid:-}" ]; then
    echo "== the drive's files afterwards: the junk gone, one copy of each pair, the rest as before?"
    python3 "$top/tools/run/drive_tree.py" check "$WINEPREFIX/drive_c/XarnRun/$drive-root" ||
        status=$?
fi
if [ -n "${xvfb_pid:-}" ]; then
    echo "the pictures of every step and the reports: $output"
    (cd "$output" && find . -type f | sort | sed 's|^\./|  |')
    echo "responsiveness over the whole run, $files files on the volume:"
    grep "longest wait" "$account" || echo "  no answer times: the driver did not start"
fi
exit "$status"
