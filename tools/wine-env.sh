# Shared Wine settings of the project's scripts; sourced, not run.
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=C.UTF-8 TZ=UTC
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"winedbg.exe=d;winebrowser.exe=d;mscoree=d;mshtml=d"}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/xarn-wine-$(id -u)}

XARN_WINE64=/usr/lib/wine/wine64
XARN_WINE32=/usr/lib/wine/wine
XARN_QEMU_I386_BINFMT=/usr/share/qemu/binfmt.d/qemu-i386.conf

# Prints the loader for a PE program (by its machine field), or fails with the reason when this
# machine cannot run that architecture.
xarn_wine_loader() {
    local machine
    machine=$(od -An -tx1 -j "$(($(od -An -tu4 -j60 -N4 "$1") + 4))" -N2 "$1" | tr -d ' ')
    case "$machine" in
        6486) echo "$XARN_WINE64" ;;
        4c01)
            if xarn_can_run_32bit; then
                echo "$XARN_WINE32"
            else
                echo "cannot run the 32-bit program $1: $(xarn_why_no_32bit)" >&2
                return 1
            fi
            ;;
        *)
            echo "not a Windows program for i686 or x86_64: $1" >&2
            return 1
            ;;
    esac
}

# Some kernels refuse 32-bit Linux programs, and Wine's 32-bit loader is one.
xarn_can_run_32bit() {
    "$XARN_WINE32" --version >/dev/null 2>&1
}

xarn_why_no_32bit() {
    if [ ! -x "$XARN_WINE32" ]; then
        echo "wine32 is not installed (run tools/setup.sh)"
    elif [ -n "${XARN_WINE_WORLD:-}" ]; then
        echo "the kernel refuses 32-bit programs and the i386 emulation did not take"
    elif [ ! -f "$XARN_QEMU_I386_BINFMT" ]; then
        echo "the kernel refuses 32-bit programs and qemu-user is not installed (run tools/setup.sh)"
    else
        echo "the kernel refuses 32-bit programs (run the command through tools/test.sh or tools/run.sh)"
    fi
}

# Runs a command where Wine's 32-bit loader works: as it is where the kernel runs 32-bit
# programs, otherwise inside a private user and mount namespace in which qemu-user is registered
# for i386 programs (nothing global changes). A wineserver outside that namespace cannot reach
# the programs inside, so a script runs its whole Wine part, prefix creation included, through
# one call. XARN_I686_EMULATION=force takes the namespace even where it is not needed.
xarn_with_32bit() {
    if [ -n "${XARN_WINE_WORLD:-}" ] ||
        { [ "${XARN_I686_EMULATION:-}" != force ] && xarn_can_run_32bit; }; then
        "$@"
        return
    fi
    if [ ! -f "$XARN_QEMU_I386_BINFMT" ] || ! command -v unshare >/dev/null; then
        echo "cannot run 32-bit programs: $(xarn_why_no_32bit)" >&2
        return 1
    fi
    XARN_WINE_WORLD=emulated unshare --user --map-root-user --mount -- bash -c '
        conf=$1
        shift
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
            cat "$conf" >/proc/sys/fs/binfmt_misc/register || {
            echo "cannot register the i386 emulation in a private namespace (Linux 6.7 or later needed)" >&2
            exit 1
        }
        exec "$@"' xarn-i386 "$XARN_QEMU_I386_BINFMT" "$@"
}

# Creates the prefix on first use: booted, warmed, drive Z: (the host's root) removed. A prefix
# made while 32-bit programs could not run has no 32-bit system and never gets one: it is made
# anew.
xarn_wine_prefix_ready() {
    local lock="$WINEPREFIX.lock"
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ -f "$WINEPREFIX/.xarn-ready" ] &&
            [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && xarn_can_run_32bit; then
            echo "note: $WINEPREFIX has no 32-bit system; making it anew" >&2
            /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
            rm -rf "$WINEPREFIX"
        fi
        if [ ! -f "$WINEPREFIX/.xarn-ready" ]; then
            mkdir -p "$HOME"
            "$XARN_WINE64" wineboot -i >/dev/null 2>&1 </dev/null
            "$XARN_WINE64" cmd /c exit >/dev/null 2>&1 </dev/null
            # The first boot goes on in the background and may leave a second service manager
            # that refuses every service: wait until the prefix has settled and stopped, so
            # that the next program starts it from nothing.
            timeout 120 /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 </dev/null
            rm -f "$WINEPREFIX/dosdevices/z:"
            # The user's shell folders are links into the home folder of the prefix's creation;
            # a copy points them at its own (xarn_wine_prefix_copy).
            printf '%s\n' "$HOME" >"$WINEPREFIX/.xarn-home"
            touch "$WINEPREFIX/.xarn-ready"
        fi
    ) 9>"$lock"
}

# The system folders of a prefix: Wine's own libraries and programs, which no program of ours
# writes. Copies of a prefix share them.
XARN_PREFIX_SHARED_FOLDERS=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)

# Makes <copy> a prefix of its own from the settled prefix <template> (made by
# xarn_wine_prefix_ready, no Wine process running in it): the registry and drive C: are copied,
# the system folders are hard links (a copy takes a fraction of a second and next to no disk),
# and the user's shell folders point into the current HOME. A copy starts from nothing, like a
# prefix after its first boot has settled; no wineboot is needed.
#   xarn_wine_prefix_copy <template> <copy>
xarn_wine_prefix_copy() {
    local template=$1 copy=$2 folder link target template_home
    [ -f "$template/.xarn-ready" ] || {
        echo "error: $template is not a settled Wine prefix" >&2
        return 1
    }
    mkdir -p "$copy" || return 1
    tar -C "$template" "${XARN_PREFIX_SHARED_FOLDERS[@]/#/--exclude=./}" -cf - . |
        tar -C "$copy" -xf - || return 1
    for folder in "${XARN_PREFIX_SHARED_FOLDERS[@]}"; do
        if [ -d "$template/$folder" ]; then
            cp -al "$template/$folder" "$copy/$folder" || return 1
        fi
    done
    read -r template_home <"$template/.xarn-home" 2>/dev/null || return 0
    mkdir -p "$HOME"
    while IFS= read -r -d '' link; do
        target=$(readlink "$link")
        case "$target" in
            "$template_home" | "$template_home"/*)
                ln -sfn "$HOME${target#"$template_home"}" "$link" || return 1
                ;;
        esac
    done < <(find "$copy/drive_c/users" -type l -print0)
}

# Starts a virtual display of the caller's own (the X server picks a free number, so runs side
# by side never meet) and exports DISPLAY; the server's process id goes to <folder>/xvfb.pid.
# The server is ready once it has told its number.
#   xarn_own_display <folder>
xarn_own_display() {
    xarn_start_display "$1" && xarn_await_display "$1"
}

# The two halves of xarn_own_display, for a caller with other work to do while the server starts.
#   xarn_start_display <folder>; ...; xarn_await_display <folder>
xarn_start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$1/display" >/dev/null 2>&1 </dev/null &
    echo $! >"$1/xvfb.pid"
}

xarn_await_display() {
    local folder=$1 number=""
    for _ in $(seq 600); do
        read -r number <"$folder/display" 2>/dev/null
        [ -n "$number" ] && break
        kill -0 "$(cat "$folder/xvfb.pid")" 2>/dev/null || break
        sleep 0.05
    done
    if [ -z "$number" ]; then
        echo "error: the virtual display did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

# Ends what xarn_own_display started in <folder>.
xarn_end_display() {
    local pid
    [ -f "$1/xvfb.pid" ] || return 0
    read -r pid <"$1/xvfb.pid"
    kill "$pid" 2>/dev/null
    rm -f "$1/xvfb.pid"
}

# Runs <action...> once when the process <pid> still runs <seconds> after the call; returns when
# the process has ended or the action has run. The process itself is looked at once a second:
# nothing but its end or the limit ends the watch. (Following a file with `tail --pid` instead
# ends the watch early when the file is not what it should be: a /dev/null that became a regular
# file is copied into itself until its file system is full, and the write that fails ends tail
# as the limit would.)
#   xarn_at_limit <pid> <seconds> <action...>
xarn_at_limit() {
    local pid=$1 end=$((SECONDS + $2))
    shift 2
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$SECONDS" -ge "$end" ]; then
            "$@"
            return
        fi
        sleep 1
    done
}

# Runs a GoogleTest program under Wine and gives its own verdict. The program writes its XML
# report as its last act, so a program that ends before its summary (a crash, an exit in the
# middle, a hang cut short) has none and fails whatever its exit status; so does a report with a
# failure or a test that did not run. With XARN_RESULTS_DIR set, the report is kept there for the
# run's summary.
#   xarn_run_gtest <program.exe> [arguments...]
xarn_run_gtest() {
    local program=$1 loader name results report status
    shift
    loader=$(xarn_wine_loader "$program") || return 1
    name=$(basename "$program" .exe)
    results=$(mktemp -d "$WINEPREFIX/drive_c/xarn-results.XXXXXX") || return 1
    report="$results/$name.xml"
    "$loader" "$program" "$@" "--gtest_output=xml:C:\\$(basename "$results")\\$name.xml" </dev/null
    status=$?
    xarn_gtest_verdict "$report" "$status" "$name"
    status=$?
    rm -rf "$results"
    return $status
}

# The verdict on one GoogleTest report: 0 when the program ended with its summary, every test
# in it ran (or skipped itself) and none failed. With XARN_RESULTS_DIR set, the report is kept
# there for the run's summary.
#   xarn_gtest_verdict <report.xml> <exit status> <name>
xarn_gtest_verdict() {
    local report=$1 status=$2 name=$3 tests failures errors disabled ran
    if [ -s "$report" ] && [ -n "${XARN_RESULTS_DIR:-}" ]; then
        mkdir -p "$XARN_RESULTS_DIR" && cp "$report" "$XARN_RESULTS_DIR/$name.xml"
    fi
    if [ ! -s "$report" ]; then
        echo "$name: ended before its summary (exit status $status): failed"
        return 1
    fi
    read -r tests failures errors disabled < <(sed -n 's/.*<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)" disabled="\([0-9]*\)" errors="\([0-9]*\)".*/\1 \2 \4 \3/p' "$report")
    ran=$(grep -c '<testcase .*status="run"' "$report")
    if [ -z "$tests" ]; then
        echo "$name: its summary cannot be read: failed"
        return 1
    fi
    if [ "$failures" -ne 0 ] || [ "$errors" -ne 0 ] || [ "$status" -ne 0 ]; then
        echo "$name: $failures failed, $errors errors, exit status $status"
        return 1
    fi
    if [ "$ran" -ne $((tests - disabled)) ]; then
        echo "$name: $ran of $((tests - disabled)) tests ran: failed"
        return 1
    fi
    return 0
}
