# Shared by the scripts: installing what a fresh Debian 12 machine lacks, Xvfb and Wine.
# shellcheck shell=bash

PELORIN_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest time
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
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
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

# Builds Pelorin.exe and lays out a demo installation in build/demo, with JavaHome set in its own
# Wine prefix, and points the stand-in runtime's record at build/demo/record.bin. Needs a display.
make_demo() {
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target Pelorin standin_java >/dev/null
    demo=$PWD/build/demo
    rm -rf "$demo/Virelt" "$demo/Java" "$demo/record.bin"
    mkdir -p "$demo/Virelt" "$demo/Java/bin"
    cp build/windows/Pelorin.exe "$demo/Virelt/"
    cp build/windows/standin_java.exe "$demo/Java/bin/javaw.exe"
    echo "stand-in for the application archive" >"$demo/Virelt/Virelt.jar"
    local key='SOFTWARE\Virelt Demo\Java Runtime'
    printf '%s\r\n' "$key" >"$demo/Virelt/JRE.pelorin"
    use_wine_prefix "$demo/wineprefix"
    javaHome=$("$WINE" winepath -w "$demo/Java" 2>/dev/null | tr -d '\r')
    "$WINE" reg add "HKLM\\$key" /v JavaHome /t REG_SZ /d "$javaHome" /f /reg:32 >/dev/null 2>&1
    export PELORIN_STANDIN_RECORD
    PELORIN_STANDIN_RECORD=$("$WINE" winepath -w "$demo/record.bin" 2>/dev/null | tr -d '\r')
}
