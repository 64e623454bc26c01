# Shared by the scripts: installing what a fresh Debian 12 machine lacks, Xvfb and Wine.
# shellcheck shell=bash

PELORIN_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest time
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick)
# The x86 build's compiler, and Wine's 32-bit half, which runs 32-bit programs in the same 64-bit
# prefix as Windows' WoW64 does.
PELORIN_X86_PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386)
WINE=${PELORIN_WINE:-/usr/lib/wine/wine64}
WINESERVER=${PELORIN_WINESERVER:-/usr/lib/wine/wineserver}

# Takes "--arch x64" or "--arch x86" off the front of the arguments: sets arch (x64 unless given),
# preset, build (its folder) and target (the mingw-w64 tools' prefix), and leaves the other
# arguments in args.
take_arch() {
    arch=x64
    if [ "${1:-}" = --arch ]; then
        arch=${2:-}
        shift 2 || shift
    elif [[ "${1:-}" == --arch=* ]]; then
        arch=${1#--arch=}
        shift
    fi
    case "$arch" in
    x64) preset=windows target=x86_64-w64-mingw32 ;;
    x86) preset=windows-x86 target=i686-w64-mingw32 ;;
    *)
        echo "--arch takes x64 or x86, not '$arch'" >&2
        exit 2
        ;;
    esac
    build=build/$preset
    args=("$@")
}

# Installs the packages that are missing, saying which: those of the x64 build, and with the
# arguments x86 (or both) those of the x86 build too.
ensure_packages() {
    local missing=() package wanted=("${PELORIN_PACKAGES[@]}")
    [[ " $* " == *" x86 "* ]] && wanted+=("${PELORIN_X86_PACKAGES[@]}")
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing the missing packages: ${missing[*]}"
    if [ "$(id -u)" != 0 ]; then
        echo "Run as root, or install them yourself with apt-get." >&2
        exit 1
    fi
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386
    then
        dpkg --add-architecture i386
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

# Builds Pelorin.exe with the preset take_arch chose and lays out a demo installation in build/demo
# (build/demo-x86 for x86), with JavaHome set in its own Wine prefix, and points the stand-in
# runtime's record at record.bin there. Needs a display.
make_demo() {
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Pelorin standin_java >/dev/null
    demo=$PWD/build/demo
    [ "$arch" = x86 ] && demo=$demo-x86
    rm -rf "$demo/Virelt" "$demo/Java" "$demo/record.bin"
    mkdir -p "$demo/Virelt" "$demo/Java/bin"
    cp "$build/Pelorin.exe" "$demo/Virelt/"
    cp "$build/standin_java.exe" "$demo/Java/bin/javaw.exe"
    echo "stand-in for the application archive" >"$demo/Virelt/Virelt.jar"
    local key='SOFTWARE\Virelt Demo\Java Runtime'
    printf '%s\r\n' "$key" >"$demo/Virelt/JRE.pelorin"
    use_wine_prefix "$demo/wineprefix"
    javaHome=$("$WINE" winepath -w "$demo/Java" 2>/dev/null | tr -d '\r')
    "$WINE" reg add "HKLM\\$key" /v JavaHome /t REG_SZ /d "$javaHome" /f /reg:32 >/dev/null 2>&1
    export PELORIN_STANDIN_RECORD
    PELORIN_STANDIN_RECORD=$("$WINE" winepath -w "$demo/record.bin" 2>/dev/null | tr -d '\r')
}
