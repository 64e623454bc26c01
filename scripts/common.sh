# Shared by the scripts: the build each runs, the demo installation, and the parts they take:
# preparing the machine (machine.sh), and Wine and the display (wine.sh).
# shellcheck shell=bash

source "$(dirname "${BASH_SOURCE[0]}")/machine.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

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

# For the scripts that run the x86 build: stops with the reason where 32-bit programs can't run.
require_x86_programs() {
    if [ "$arch" = x86 ] && [ -n "${x86_unavailable:-}" ]; then
        echo "The x86 build can't be run here: $x86_unavailable." >&2
        exit 1
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

# Reads the stand-in runtime's record FILE into the array record, by the names of its fields in
# tests/standin/record_fields.
read_standin_record() {
    local names values i
    mapfile -t names < <(grep -v '^#' tests/standin/record_fields)
    mapfile -d '' values < <(iconv -f UTF-16LE -t UTF-8 "$1")
    declare -gA record=()
    for i in "${!names[@]}"; do record[${names[$i]}]=${values[$i]:-}; done
}
