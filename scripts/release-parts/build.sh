# The release build of Pelorin.exe, which scripts/release ships and scripts/verify-release makes
# again, and what it is made from: the files it read and the Debian packages they come from.
# shellcheck shell=bash

# A build step, its output kept in a log that shows its last lines when it fails. It runs in an
# environment of its own, so that only the commit decides what ships: the compilers would take
# CPATH, CXXFLAGS, LDFLAGS and the like from the caller's.
build_environment=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8)
build_step() { # build_step WHAT COMMAND...
    local what=$1
    shift
    run "${build_environment[@]}" HOME="$work" "$@" >"$work/build.log" 2>&1 ||
        fail "$what failed; its last lines:
$(tail -n 15 "$work/build.log")"
}

# build_exe SOURCE ARCH OUT: Pelorin.exe of the source folder SOURCE for ARCH in release form, as
# OUT/Pelorin.exe.
build_exe() {
    build_step "the $2 build" cmake -S "$1" -B "$3" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-w64.cmake" \
        -DPELORIN_WINDOWS_ARCH="$2" -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF -DPELORIN_WERROR=ON
    build_step "the $2 build" cmake --build "$3" --target Pelorin
}

# The files named on standard input that are there, each once, by its real path. (xargs says 123
# for every name that is not, which is no failure here.)
existing() { xargs -r realpath -e 2>/dev/null | sort -u || true; }

# linked_files OUT: each file that the link of OUT/Pelorin.exe read, the static libraries of the
# toolchain among them, a line each: the link is made again, with the linker naming its inputs.
linked_files() {
    local link
    run ninja -C "$1" -t commands Pelorin >"$work/commands"
    link=$(tail -n 1 "$work/commands")
    (cd "$1" && "${build_environment[@]}" sh -c "${link/ -o Pelorin.exe / -o linked.exe -Wl,--trace }") \
        >"$work/linked" 2>&1 || fail "the link of $1/Pelorin.exe could not be made again: $(tail -n 3 "$work/linked")"
    rm -f "$1/linked.exe"
    sed -n 's/^(\{0,1\}\(\/[^()]*\).*/\1/p' "$work/linked" | existing
}

# built_from OUT: each file that the build in OUT read but for what the link read (linked_files):
# the sources' headers, as the compilers listed them, and the tools that made them.
built_from() {
    local tool compiler
    run ninja -C "$1" -t commands Pelorin >"$work/commands"
    compiler=$(tail -n 1 "$work/commands" | awk '{ print $3 }') # the link's: ": && COMPILER ..."
    {
        run ninja -C "$1" -t deps | sed -n 's/^    \(\/.*\)/\1/p'
        command -v ninja cmake
        awk '$1 != ":" && $1 != "cd" { print $1 }' "$work/commands" | sort -u |
            while read -r tool; do command -v "$tool"; done
        for tool in cc1plus as ld collect2; do "$compiler" -print-prog-name="$tool"; done
    } | existing
}

# debian_packages: the Debian packages that the files on standard input come from, a line each:
# PACKAGE VERSION ARCHITECTURE.
debian_packages() {
    { xargs -r dpkg -S 2>/dev/null || true; } | sed 's/: \/.*//' | tr ',' '\n' | sed 's/^ *//' | sort -u |
        xargs -r dpkg-query -W -f='${Package} ${Version} ${Architecture}\n' | sort -u
}

# write_build_record FILE: what the exes were built from, in a text of its own (docs/reference.md
# describes it): a line a fact, its name first. $work/unsigned holds an "unsigned NAME SHA256"
# line an exe, and $work/packages what debian_packages gave for each build.
write_build_record() {
    {
        echo "# Pelorin build record: scripts/verify-release builds the commit again from it."
        echo "commit $commit"
        echo "build cmake -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF -DPELORIN_WERROR=ON -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake, target Pelorin"
        echo "environment ${build_environment[*]:2}, HOME a new empty folder, nothing else"
        echo "fixed no time, date or build folder reaches the exe: the link writes no time stamp (--no-insert-timestamp) and sources are named from their folder (-ffile-prefix-map); SOURCE_DATE_EPOCH is not read"
        cat "$work/unsigned"
        sort -u "$work/packages" | sed 's/^/package /'
    } >"$1"
}
