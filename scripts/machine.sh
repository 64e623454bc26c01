# Preparing a machine: the Debian packages each build needs, installed with apt-get as the archive
# allows, the i386 architecture and the twins of both architectures, the record of what the
# scripts installed, and the emulator for 32-bit programs where the machine runs none itself.
# shellcheck shell=bash

PELORIN_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest time
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick locales)
# The x86 build's compiler, and Wine's 32-bit half, which runs 32-bit programs in the same 64-bit
# prefix as Windows' WoW64 does.
PELORIN_X86_PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386)
apt_unreadable=() twins=() # what apt_update could not read; the twins twin_pins held
machine_changed=() # what the scripts have changed of the machine so far, for a refusal's words

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
            machine_changed+=("added the i386 architecture to dpkg")
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
        wait_for_apt
        apt-get update -q -o Acquire::Retries=2 >"$log" 2>&1 || status=$?
        machine_changed+=("read the package indices anew (apt-get update)")
        [ "$try" = 1 ] && cat "$log" # and later tries only in what they could not read
        if [ "$status" = 0 ]; then
            apt_unreadable=()
            rm -f "$log"
            return 0
        fi
        mapfile -t apt_unreadable < <(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log")
        if grep -q "Could not get lock" "$log" && [ "$try" -lt 3 ]; then
            continue # taken between wait_for_apt and apt-get: wait again
        elif [ ${#apt_unreadable[@]} = 0 ]; then
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

# Waits while another apt or dpkg holds one of their locks, saying so, as unattended upgrades do
# for minutes on a machine that has just started: five minutes at most, and then apt's own word.
wait_for_apt() {
    local lists status archives holder waited=0
    eval "$(apt-config shell lists Dir::State::lists/d status Dir::State::status/f archives Dir::Cache::archives/d)"
    while holder=$(lslocks -n -o COMMAND,PID,PATH 2>/dev/null | awk -v a="${lists}lock" \
        -v b="$(dirname "$status")/lock" -v c="$(dirname "$status")/lock-frontend" -v d="${archives}lock" \
        '$3 == a || $3 == b || $3 == c || $3 == d { print $1 " (process " $2 ")"; exit }') &&
        [ -n "$holder" ] && [ "$waited" -lt 300 ]; do
        [ "$waited" != 0 ] || echo "Another apt or dpkg, $holder, holds its lock: waiting for it, five minutes at most."
        sleep 2
        waited=$((waited + 2))
    done
}

# The record of what the scripts installed, outside the work tree, so that every checkout's
# scripts share it: after its first line, a line a package, PACKAGE:ARCH, the version the scripts
# installed, and the version it had before they first changed it, or - where they installed it
# new. Only those are theirs to take back, and an upgraded one no further than it was.
PELORIN_INSTALLED=${PELORIN_INSTALLED:-/var/lib/pelorin/installed-packages}
PELORIN_RECORD_HEAD="# PACKAGE:ARCH INSTALLED BEFORE (- where the scripts installed it new)"

# Whether the scripts may take PACKAGE from OLD back to NEW: only one at the version they left it
# at, and no lower than it was before them. A record of older scripts, which could not tell an
# upgrade from an install, grants nothing (record_packages starts a new one).
may_take_back() { # may_take_back PACKAGE OLD NEW
    local before
    [ "$(head -n 1 "$PELORIN_INSTALLED" 2>/dev/null)" = "$PELORIN_RECORD_HEAD" ] || return 1
    before=$(awk -v p="$1" -v v="$2" '$1 == p && $2 == v { print $3; exit }' "$PELORIN_INSTALLED")
    [ "$before" = - ] || { [ -n "$before" ] && dpkg --compare-versions "$3" ge "$before"; }
}

# What the scripts have changed of the machine so far, for a refusal's words.
changed_so_far() {
    [ ${#machine_changed[@]} -gt 0 ] || return 0
    printf '; before this, the scripts only '
    printf '%s\n' "${machine_changed[@]}" | awk '!seen[$0]++' | paste -sd ';' | sed 's/;/ and /g'
}

# Adds what the simulation in LOG installs to the record, rewriting it whole, atomically: a
# simulation that installs nothing, a write that fails or a run stopped halfway leaves it as it
# was. A package already recorded keeps the version it had before the scripts, unless it was
# changed since by something else.
record_packages() { # record_packages LOG
    local changes
    changes=$(apt_changes "$1")
    [ -n "$changes" ] || return 0
    mkdir -p "$(dirname "$PELORIN_INSTALLED")"
    if [ -s "$PELORIN_INSTALLED" ] && [ "$(head -n 1 "$PELORIN_INSTALLED")" != "$PELORIN_RECORD_HEAD" ]; then
        echo "$PELORIN_INSTALLED was written by older scripts, which could not tell an upgrade from an install: a new record is started, and none of the packages in the old one is taken back without PELORIN_ALLOW_DOWNGRADE=1."
        mv "$PELORIN_INSTALLED" "$PELORIN_INSTALLED.old"
    fi
    touch "$PELORIN_INSTALLED"
    {
        echo "$PELORIN_RECORD_HEAD"
        printf '%s\n' "$changes" | awk 'NR == FNR { now[$1] = $3; was[$1] = $2; next }
            FNR == 1 { next }
            $1 in now { print $1, now[$1], ($2 == was[$1] ? $3 : was[$1]); delete now[$1]; next }
            { print }
            END { for (p in now) print p, now[p], was[p] }' - "$PELORIN_INSTALLED"
    } >"$PELORIN_INSTALLED.new" && mv "$PELORIN_INSTALLED.new" "$PELORIN_INSTALLED"
}

# apt-get install, removing nothing. When apt finds no solution that removes nothing, and an index
# could not be read, it is tried again with the twins of each architecture held at the release
# suite's version (twin_pins); when that fails too, it stops, naming the packages and the indices.
# Holding a twin may take a package back to an older version: only one that the scripts installed,
# and no lower than it was before them (may_take_back), unless PELORIN_ALLOW_DOWNGRADE=1; otherwise
# it stops before apt installs anything, naming them and what the scripts changed already. Another
# apt that holds the lock is waited for.
# Options for apt-get (-t SUITE among them) come before the packages.
apt_install() {
    # The downloaded packages go once installed: they take as much room again as Wine's prefixes,
    # and a CI machine's disk may hold no more.
    local apt=(apt-get install -y -q --no-remove -o Acquire::Retries=3 -o DPkg::Lock::Timeout=300
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
            may_take_back "$package" "$old" "$new" || others+=("$package $old, which would become $new")
        done < <(apt_changes "$log")
        if [ ${#others[@]} -gt 0 ] && [ "${PELORIN_ALLOW_DOWNGRADE:-}" != 1 ]; then
            echo "Installing $* would take back these packages below the versions they had before the scripts changed them:" >&2
            printf '    %s\n' "${others[@]}" >&2
            echo "as apt-get could not read:" >&2
            printf '    %s\n' "${apt_unreadable[@]}" >&2
            echo "Nothing was installed or taken back$(changed_so_far). Run again once that index reads again, or set PELORIN_ALLOW_DOWNGRADE=1 to take them back all the same." >&2
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
    wait_for_apt
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" "$@"
    record_packages "$log"
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

