# Shared Wine settings of the project's scripts; sourced, not run.
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=C.UTF-8 TZ=UTC
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"winedbg.exe=d;winebrowser.exe=d;mscoree=d;mshtml=d"}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/xarn-wine-$(id -u)}

XARN_WINE64=/usr/lib/wine/wine64
XARN_WINE32=/usr/lib/wine/wine

# Prints the loader for a PE program (by its machine field), or fails when this machine
# cannot run that architecture.
xarn_wine_loader() {
    local machine
    machine=$(od -An -tx1 -j "$(($(od -An -tu4 -j60 -N4 "$1") + 4))" -N2 "$1" | tr -d ' ')
    case "$machine" in
        6486) echo "$XARN_WINE64" ;;
        4c01) xarn_can_run_32bit && echo "$XARN_WINE32" ;;
        *) return 1 ;;
    esac
}

# Some kernels refuse 32-bit Linux programs, and Wine's 32-bit loader is one.
xarn_can_run_32bit() {
    "$XARN_WINE32" --version >/dev/null 2>&1
}

# Creates the prefix on first use: booted, warmed, drive Z: (the host's root) removed.
xarn_wine_prefix_ready() {
    local lock="$WINEPREFIX.lock"
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.xarn-ready" ]; then
            "$XARN_WINE64" wineboot -i >/dev/null 2>&1 </dev/null
            "$XARN_WINE64" cmd /c exit >/dev/null 2>&1 </dev/null
            rm -f "$WINEPREFIX/dosdevices/z:"
            touch "$WINEPREFIX/.xarn-ready"
        fi
    ) 9>"$lock"
}
