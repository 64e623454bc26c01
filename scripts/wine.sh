# Wine and the display: the throwaway prefixes that every Windows program of the scripts and the
# Windows suites runs in, and the Xvfb they show their windows on.
# shellcheck shell=bash

WINE=${PELORIN_WINE:-/usr/lib/wine/wine64}
WINESERVER=${PELORIN_WINESERVER:-/usr/lib/wine/wineserver}

# Whether this machine runs 32-bit x86 programs, tried on Wine's own 32-bit loader: some virtual
# machines' kernels refuse every one ("Exec format error").
runs_x86_programs() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Starts an Xvfb on a free display and exports DISPLAY, unless one is already set.
ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 199); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    PELORIN_XVFB_PID=$!
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}

stop_display() {
    [ -n "${PELORIN_XVFB_PID:-}" ] && kill "$PELORIN_XVFB_PID" 2>/dev/null || true
}

# A Wine prefix holds a copy of every Wine DLL of both architectures: 1.3 GiB, and room to run.
PELORIN_PREFIX_MIB=1600

# Points Wine at a throwaway prefix and creates it if needed, where the disk has room for it. A prefix made while 32-bit programs
# could not start has no 32-bit system files (its syswow64 is empty), and is made again once they
# can.
use_wine_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine takes the ANSI code page from the locale: the Windows suites run programs in code page
    # 932 too, under a Japanese one.
    if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8' && [ "$(id -u)" = 0 ]; then
        echo "Making the locale ja_JP.UTF-8, for Wine's code page 932"
        localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    fi
    if [ -f "$WINEPREFIX/system.reg" ] &&
        [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ] && runs_x86_programs
    then
        echo "Making the Wine prefix $WINEPREFIX again: it was made while 32-bit programs could not start"
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        # Wine says nothing when a prefix it makes, or a program in it, finds the disk full: the
        # program just ends with status 1.
        local free
        free=$(df -Pm "$WINEPREFIX" | awk 'NR == 2 { print $4 }')
        if [ "$free" -lt "$PELORIN_PREFIX_MIB" ]; then
            echo "Making the Wine prefix $WINEPREFIX needs $PELORIN_PREFIX_MIB MiB free, and only $free MiB are: free some space and run again." >&2
            exit 1
        fi
        "$WINE" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
}

