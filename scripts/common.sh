# Shared by the scripts: installing what a fresh Debian 12 machine lacks, Xvfb and Wine.
# shellcheck shell=bash

PELORIN_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick)
WINE=${PELORIN_WINE:-/usr/lib/wine/wine64}
WINESERVER=${PELORIN_WINESERVER:-/usr/lib/wine/wineserver}

# Installs the packages that are missing, saying which.
ensure_packages() {
    local missing=() package
    for package in "${PELORIN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing the missing packages: ${missing[*]}"
    if [ "$(id -u)" != 0 ]; then
        echo "Run as root, or install them yourself with apt-get." >&2
        exit 1
    fi
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
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

# Points Wine at a throwaway prefix and creates it if needed.
use_wine_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
}
