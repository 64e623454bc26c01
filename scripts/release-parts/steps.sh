# What every step of scripts/release and scripts/verify-release shares: their refusal, how they
# run a tool, how a signal stops them, and the secret's private copy.
# shellcheck shell=bash
#
# The release works in $work, a folder of its own (mode 0700, made by mktemp), gone when it ends
# however it ends. What the steps hand each other lives there, each file written by one step:
#   secret      the password or PIN (copy_secret), mode 0600; every tool is given its path alone
#   given.pem   every certificate the signer was given, in any order (signer_prepare)
#   cert.pem    the signing certificate, whose public key is the signing key's (signer_prepare)
#   chain.pem   the signing certificate and those that issued it, in order (build_chain)
#   unsigned, packages, linked-NAME  what each exe was built from (write_build_record, sbom.py)

# The release's own standard error, for its words wherever the output of the step it stops in goes.
exec 8>&2

# The script that sources this names itself in me, and in unchanged what a refusal leaves as it
# was.
fail() {
    echo "$me: $*${unchanged:+; $unchanged}." >&8
    exit 1
}

need_file() { # need_file WHAT FILE
    [ -e "$2" ] || fail "$1 $2 does not exist"
    [ -f "$2" ] || fail "$1 $2 is not a file"
}

# Each path the caller gives is the caller's, from the folder the release was started in.
from_caller() { [ -z "$1" ] || [[ "$1" == /* ]] && printf '%s' "$1" || printf '%s' "$caller/$1"; }

# Runs a tool in $work as a child the release waits for. A signal to the release ends the wait at
# once, where the shell would first let a command in the foreground finish; a tool that crashes is
# known by its status alone, the shell's line that quotes its whole command going nowhere; and a
# core dump, were one made, could land only in the release's own folder.
run() {
    # (A child in the background would read /dev/null: it is given the release's input.)
    { (cd "$work" && exec "$@" <&4 4<&- 2>&3 3>&- 8>&-) & wait $!; } 4<&0 3>&2 2>/dev/null
}

# Every process below PID, each before its own children are looked up.
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        echo "$child"
        descendants "$child"
    done
}

# Ctrl-C, SIGTERM or SIGHUP ends the release at any step: every tool it started, then the release
# itself, whose exit leaves dist/ as it was and takes its folder away.
stop_release() { # stop_release STATUS
    trap '' INT TERM HUP
    local pids
    pids=$(descendants $$)
    # shellcheck disable=SC2086 # one process a word
    [ -z "$pids" ] || kill -TERM $pids 2>/dev/null || true
    wait 2>/dev/null || true
    echo "$me: stopped by a signal${unchanged:+; $unchanged}." >&8
    exit "$1"
}

catch_signals() {
    trap 'stop_release 130' INT
    trap 'stop_release 143' TERM
    trap 'stop_release 129' HUP
}

# copy_secret FILE VARIABLE WHAT: the password or PIN into $work/secret: the first line of FILE,
# without the CR or LF that ends it or a UTF-8 byte-order mark before it, as a Windows editor may
# save it. Tools copy it from file to file, so that it is never in a shell variable, an argument
# or an environment, and no trace of the shell can show it. FILE is named by VARIABLE, and holds
# WHAT; one that is not given, not there, not a regular file or not readable is refused.
copy_secret() {
    local file=$1 variable=$2 what=$3
    [ -n "$file" ] || fail "$variable must name the file that holds $what"
    [ -e "$file" ] || fail "$variable names $file, which does not exist"
    [ -f "$file" ] || fail "$variable names $file, which is not a regular file"
    (umask 077 && LC_ALL=C head -n 1 -- "$file" 2>/dev/null |
        LC_ALL=C sed '1s/^\xEF\xBB\xBF//; s/\r$//' | tr -d '\n' >"$work/secret") ||
        fail "$variable names $file, which can't be read"
}
