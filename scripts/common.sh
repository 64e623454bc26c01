# Shared by the scripts: installing what a fresh Debian 12 machine lacks, Xvfb and Wine.
# shellcheck shell=bash

PELORIN_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest time
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick locales)
# The x86 build's compiler, and Wine's 32-bit half, which runs 32-bit programs in the same 64-bit
# prefix as Windows' WoW64 does.
PELORIN_X86_PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386)
WINE=${PELORIN_WINE:-/usr/lib/wine/wine64}
apt_unreadable=() twins=() # what apt_update could not read; the twins twin_pins held
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
# arguments x86 (or both) those of the x86 build too, which also needs 32-bit programs to start
# (see ensure_x86_programs). It takes what the archive can give: an index that can't be read is
# named and left out (apt_update), and where that leaves a package's two architectures without a
# common version, both are installed at the release suite's (twin_pins). apt never removes a
# package on the way; where the packages can't be had, it stops, naming them and the indices.
ensure_packages() {
    local missing=() package wanted=("${PELORIN_PACKAGES[@]}")
    [[ " $* " == *" x86 "* ]] && wanted+=("${PELORIN_X86_PACKAGES[@]}")
    for package in "${wanted[@]}"; do
        installed "$package" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing the missing packages: ${missing[*]}"
        if [ "$(id -u)" != 0 ]; then
            echo "Run as root, or install them yourself with apt-get." >&2
            exit 1
        fi
        if [[ " ${missing[*]} " == *":i386 "* ]] &&
            ! dpkg --print-foreign-architectures | grep -qx i386; then
            dpkg --add-architecture i386
        fi
        apt_update
        apt_install "${missing[@]}"
        for package in "${missing[@]}"; do
            installed "$package" || {
                echo "apt-get ended without installing $package." >&2
                exit 1
            }
        done
    fi
    # Wine takes the ANSI code page from the locale: the Windows suites run programs in code page
    # 932 too, under a Japanese one.
    if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8' && [ "$(id -u)" = 0 ]; then
        echo "Making the locale ja_JP.UTF-8, for Wine's code page 932"
        localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    fi
    if [[ " $* " == *" x86 "* ]] && ! ensure_x86_programs; then
        echo "$x86_unavailable."
    fi
}

installed() {
    dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null | grep -qx installed
}

# apt-get update, tried three times at most, for a mirror caught in the middle of a sync. An index
# that still can't be read is named in apt_unreadable and left out: what the others hold may be
# all that is needed.
apt_update() {
    local try log status
    log=$(mktemp)
    for try in 1 2 3; do
        status=0
        apt-get update -q -o Acquire::Retries=2 >"$log" 2>&1 || status=$?
        [ "$try" = 1 ] && cat "$log" # and later tries only in what they could not read
        if [ "$status" = 0 ]; then
            apt_unreadable=()
            rm -f "$log"
            return 0
        fi
        mapfile -t apt_unreadable < <(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log")
        if [ ${#apt_unreadable[@]} = 0 ]; then
            rm -f "$log"
            echo "apt-get update failed, and not on an index (its output is above)." >&2
            exit 1
        fi
        [ "$try" -lt 3 ] && sleep $((try * 5))
    done
    rm -f "$log"
    echo "These indices can't be read now, so the install goes on without them:"
    printf '    %s\n' "${apt_unreadable[@]}"
}

# What the scripts installed, each as PACKAGE:ARCH VERSION: the only packages whose version they
# may take back. It lives outside the work tree, so that every checkout's scripts share it.
PELORIN_INSTALLED=${PELORIN_INSTALLED:-/var/lib/pelorin/installed-packages}

# apt-get install, removing nothing. When apt finds no solution that removes nothing, and an index
# could not be read, it is tried again with the twins of each architecture held at the release
# suite's version (twin_pins); when that fails too, it stops, naming the packages and the indices.
# Holding a twin may take a package back to an older version: only one that the scripts installed,
# unless PELORIN_ALLOW_DOWNGRADE=1; otherwise it stops before apt changes anything, naming them.
# Options for apt-get (-t SUITE among them) come before the packages.
apt_install() {
    # The downloaded packages go once installed: they take as much room again as Wine's prefixes,
    # and a CI machine's disk may hold no more.
    local apt=(apt-get install -y -q --no-remove -o Acquire::Retries=3
        -o APT::Keep-Downloaded-Packages=false) pins log
    while [[ "${1:-}" == -* ]]; do
        [ "$1" = -t ] && { apt+=("$1"); shift; }
        apt+=("$1")
        shift
    done
    log=$(mktemp)
    if ! "${apt[@]}" -s "$@" >"$log" 2>&1 && [ ${#apt_unreadable[@]} -gt 0 ]; then
        # In place of the machine's own preferences file for this run: it comes first.
        pins=$(mktemp)
        cat /etc/apt/preferences >"$pins" 2>/dev/null || true
        twin_pins "$@" >>"$pins"
        apt+=(-o "Dir::Etc::Preferences=$pins" --allow-downgrades)
    fi
    if "${apt[@]}" -s "$@" >"$log" 2>&1; then
        local twin held=()
        for twin in "${twins[@]}"; do
            grep -q "^Inst ${twin%% *}[ :]" "$log" && held+=("$twin")
        done
        if [ ${#held[@]} -gt 0 ]; then
            echo "Held at $(. /etc/os-release && echo "$VERSION_CODENAME")'s versions, as what can be read has no newer version for both architectures:"
            printf '    %s\n' "${held[@]}"
        fi
        local package old new others=()
        while read -r package old new; do
            [ "$old" != - ] && dpkg --compare-versions "$new" lt "$old" || continue
            grep -qsxF "$package $old" "$PELORIN_INSTALLED" || others+=("$package $old, which would become $new")
        done < <(apt_changes "$log")
        if [ ${#others[@]} -gt 0 ] && [ "${PELORIN_ALLOW_DOWNGRADE:-}" != 1 ]; then
            echo "Installing $* would take back these packages, which were there before the scripts installed anything:" >&2
            printf '    %s\n' "${others[@]}" >&2
            echo "as apt-get could not read:" >&2
            printf '    %s\n' "${apt_unreadable[@]}" >&2
            echo "Nothing was changed. Run again once that index reads again, or set PELORIN_ALLOW_DOWNGRADE=1 to take them back all the same." >&2
            rm -f "$log" ${pins:+"$pins"}
            exit 1
        fi
    else
        grep -E '^ |^E:' "$log" | tail -n 20 >&2
        echo "These packages can't be installed from what the archive gives now: $*." >&2
        [ ${#apt_unreadable[@]} -gt 0 ] &&
            printf 'apt-get could not read: %s\n' "${apt_unreadable[@]}" >&2
        rm -f "$log" ${pins:+"$pins"}
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" "$@"
    mkdir -p "$(dirname "$PELORIN_INSTALLED")"
    touch "$PELORIN_INSTALLED"
    apt_changes "$log" | awk 'NR == FNR { now[$1] = $3; next } !($1 in now) { print }
                              END { for (package in now) print package, now[package] }' - "$PELORIN_INSTALLED" \
        >"$PELORIN_INSTALLED.new"
    mv "$PELORIN_INSTALLED.new" "$PELORIN_INSTALLED"
    rm -f "$log" ${pins:+"$pins"}
}

# What a simulated apt-get run would install, a line each: PACKAGE:ARCH, the version installed
# now (- for none) and the one it would install.
apt_changes() {
    sed -n 's/^Inst \([^ :]*\)[^ ]* \(\[\([^]]*\)\] \)\{0,1\}(\([^ ]*\) .*\[\([^]]*\)\]).*$/\1:\5 \3 \4/p' "$1" |
        awk '{ if (NF == 2) print $1, "-", $2; else print }'
}

# Prints apt preferences that hold a package's native twin and its i386 one at the release
# suite's version (the codename in /etc/os-release), for each twin that must match (Multi-Arch:
# same) but whose candidates differ, as when the native index of a suite reads and its i386 one
# doesn't. A whole source package is held, so that its other binaries, which want the same
# version, can follow. Those twins, with their versions, are left in twins.
twin_pins() {
    local release native closure=() names=() package version sources=() source
    twins=()
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    native=$(dpkg --print-architecture)
    # The i386 packages that the install may bring in: Depends and Recommends, recursively.
    mapfile -t closure < <(apt-cache depends --recurse --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$@" 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u)
    # Of those, the twins (Multi-Arch: same): installed for the native architecture, or about to be
    # with their i386 halves, as on a fresh machine that installs both builds' packages at once.
    # Each with its source package, from one look at the cache.
    declare -A sourceOf
    while read -r package source; do
        names+=("$package")
        sourceOf[$package]=$source
    done < <(apt-cache show --no-all-versions "${closure[@]/%/:$native}" 2>/dev/null |
        awk '/^Package:/ { name = $2; source = $2 } /^Source:/ { source = $2 }
             /^Multi-Arch: same$/ { same = 1 } /^$/ { if (same) print name, source; same = 0 }
             END { if (same) print name, source }' | sort -u)
    [ ${#names[@]} -gt 0 ] || return 0
    declare -A candidate
    while read -r package version; do
        candidate[$package]=$version
    done < <(apt-cache policy "${names[@]/%/:$native}" "${names[@]/%/:i386}" |
        awk '/^[^ ]/ { name = $1; sub(/:$/, "", name); if (name !~ /:/) name = name ":'"$native"'" }
             /^  Candidate:/ { print name, $2 }')
    for package in "${names[@]}"; do
        [ "${candidate[$package:$native]:-}" = "${candidate[$package:i386]:-}" ] && continue
        twins+=("$package (${candidate[$package:i386]:-none} for both, not ${candidate[$package:$native]:-none} for $native)")
        sources+=("${sourceOf[$package]}")
    done
    for source in $(printf '%s\n' "${sources[@]}" | sort -u); do
        printf 'Package: src:%s\nPin: release n=%s\nPin-Priority: 1001\n\n' "$source" "$release"
    done
}

# Whether this machine runs 32-bit x86 programs, tried on Wine's own 32-bit loader: some virtual
# machines' kernels refuse every one ("Exec format error").
runs_x86_programs() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Whether 32-bit programs run here through the emulator that ensure_x86_programs registers.
x86_emulated() {
    grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386
}

# The address of the Debian archive that this machine's apt takes bookworm from, in one-line or
# deb822 form; its backports suite lives beside it.
debian_archive() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        awk '{ sub(/\[[^]]*\] */, "") } $1 == "deb" && $3 == "bookworm" { print $2; exit }' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk '/^URIs:/ { uri = $2 }
             /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") hit = 1 }
             /^$/ { if (hit && uri) exit; uri = ""; hit = 0 }
             END { if (hit && uri) print uri }' "$file"
    done
}

# Makes 32-bit programs start where the machine runs no 32-bit code itself: qemu-user from
# bookworm-backports (bookworm's own 7.2 can't map Wine's shared user data), registered with
# binfmt_misc for i386 programs, so that the kernel hands Wine's 32-bit loader to the emulator. A
# machine that runs them gets nothing. Gives 1, with the reason in x86_unavailable, where neither
# can be.
ensure_x86_programs() {
    x86_unavailable=
    runs_x86_programs && return 0
    echo "This machine runs no 32-bit x86 code (its kernel refuses Wine's 32-bit loader), so" \
        "32-bit programs run here under qemu-user, registered with binfmt_misc for i386 programs."
    local binfmt=/proc/sys/fs/binfmt_misc
    if [ "$(id -u)" != 0 ]; then
        x86_unavailable="32-bit programs can't run on this machine, and registering an emulator for them needs root"
        return 1
    fi
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
    fi
    if [ ! -w "$binfmt/register" ]; then
        x86_unavailable="32-bit programs can't run on this machine, and it has no binfmt_misc to hand them to an emulator"
        return 1
    fi
    if ! qemu-i386 --version 2>/dev/null | grep -qE 'version ([1-9][0-9])\.'; then
        local archive list=/etc/apt/sources.list.d/bookworm-backports.list
        archive=$(debian_archive | head -n 1)
        if [ -z "$archive" ]; then
            x86_unavailable="32-bit programs can't run on this machine, and its apt sources name no Debian archive for bookworm-backports"
            return 1
        fi
        if ! apt-cache policy 2>/dev/null | grep -q 'bookworm-backports'; then
            echo "Adding bookworm-backports from $archive, for qemu-user 10"
            echo "deb $archive bookworm-backports main" >"$list"
        fi
        apt_update
        apt_install --no-install-recommends -t bookworm-backports qemu-user
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
        # An i386 ELF executable or shared object; F: the kernel opens the emulator now, so it
        # serves every process whatever its root.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
            >"$binfmt/register"
    fi
    echo 1 >"$binfmt/qemu-i386"
    if ! runs_x86_programs; then
        x86_unavailable="32-bit programs don't start on this machine even under qemu-i386"
        return 1
    fi
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

# For the scripts that run the x86 build: stops with the reason where 32-bit programs can't run.
require_x86_programs() {
    if [ "$arch" = x86 ] && [ -n "${x86_unavailable:-}" ]; then
        echo "The x86 build can't be run here: $x86_unavailable." >&2
        exit 1
    fi
}

# A Wine prefix holds a copy of every Wine DLL of both architectures: 1.3 GiB, and room to run.
PELORIN_PREFIX_MIB=1600

# Points Wine at a throwaway prefix and creates it if needed. A prefix made while 32-bit programs
# could not start has no 32-bit system files (its syswow64 is empty), and is made again once they
# can.
use_wine_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
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
