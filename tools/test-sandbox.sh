#!/usr/bin/env bash
# Runs one test command in a sandbox of its own, so that tests run side by side: a Wine prefix
# copied from a settled one (a test may install the service, serve its pipe, change scheduled
# tasks or the registry, or end the product's processes by name), its own virtual display (a
# test may read pixels off the screen), its own home folder (Wine's Recycle Bin lies there) and
# temporary folder (Wine's server socket lies there too). Every Wine process of the prefix ends
# with the command and the sandbox is removed; the command's output is shown after that, so that
# no process left behind keeps the runner waiting.
#
# The prefix is a copy of $XARN_PREFIX_TEMPLATE (tools/test.sh makes one per run), otherwise of
# the per-user prefix of tools/wine-env.sh, made on first use. Sandboxes are made in
# $XARN_SANDBOX_ROOT, otherwise in the temporary folder. With --drive, the prefix has a fixed
# drive of that letter over the empty folder "C:\xarn-drive-<letter>" from its start: Wine's
# mount manager knows only the drives it found at its start, and a drive it does not know has no
# volume information and is left out of the logical drives. With --limit, the prefix's programs
# are ended after that many seconds, so that a test that hangs still shows its output (ctest kills
# a test at its timeout without a word); the runner's timeout stays the outer bound.
#   tools/test-sandbox.sh [--limit SECONDS] [--drive LETTER] <command> [arguments...]
set -u
# The sandbox runs as the first process of a process namespace of its own where the system allows
# one: when it ends, even killed at the runner's timeout, the kernel ends every process it left.
if [ -z "${XARN_SANDBOX_NAMESPACE:-}" ] && unshare --pid --fork --mount-proc true 2>/dev/null; then
    XARN_SANDBOX_NAMESPACE=1 exec unshare --pid --fork --mount-proc --kill-child "$0" "$@"
fi
unset XARN_SANDBOX_NAMESPACE
limit=""
drive=""
while true; do
    case "${1:-}" in
        --limit) limit=$2 ;;
        --drive) drive=$(echo "$2" | tr '[:upper:]' '[:lower:]') ;;
        *) break ;;
    esac
    shift 2
done
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"

template=${XARN_PREFIX_TEMPLATE:-}
if [ -z "$template" ]; then
    template=$WINEPREFIX
    xarn_wine_prefix_ready || exit 1
fi
root=${XARN_SANDBOX_ROOT:-${TMPDIR:-/tmp}}
mkdir -p "$root"
sandbox=$(mktemp -d "$root/xarn-sandbox.XXXXXX") || exit 1
export WINEPREFIX="$sandbox/prefix" HOME="$sandbox/home" TMPDIR="$sandbox/tmp"
mkdir -p "$HOME" "$TMPDIR"
output="$sandbox/output.txt"
: >"$output"

finish() {
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
    xarn_end_display "$sandbox"
    cat "$output"
    rm -rf "$sandbox"
}
trap finish EXIT
trap 'exit 143' TERM INT

# The display starts while the prefix is copied.
xarn_start_display "$sandbox"
xarn_wine_prefix_copy "$template" "$WINEPREFIX" || exit 1
if [ -n "$drive" ]; then
    mkdir -p "$WINEPREFIX/drive_c/xarn-drive-$drive"
    ln -sfn "$WINEPREFIX/drive_c/xarn-drive-$drive" "$WINEPREFIX/dosdevices/$drive:"
fi
xarn_await_display "$sandbox" || exit 1
# A persistent server, and the prefix's system processes (service manager, device and plug and
# play services), started without the command's output: they would hold whatever pipe the
# command's first Wine program was given until the end. They all end with the server. The first
# program tells Wine that no window manager runs on the display: otherwise each window hidden
# waits two seconds for a manager's answer.
/usr/lib/wine/wineserver64 -p >/dev/null 2>&1 </dev/null
"$XARN_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
# In the background, so that a signal reaches the clean-up at once.
"$@" >>"$output" 2>&1 </dev/null &
command=$!
end_programs_at_limit() {
    echo "test-sandbox: still running after $limit s: its programs are ended" >>"$output"
    /usr/lib/wine/wineserver64 -k
}
if [ -n "$limit" ]; then
    xarn_at_limit "$command" "$limit" end_programs_at_limit >/dev/null 2>&1 </dev/null &
fi
wait "$command"
