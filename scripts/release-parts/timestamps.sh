# Time stamps: which of the addresses given stamp, and stamping each signed exe. Authorities are
# reached over plain HTTP, so only an answer that verifies counts.
# shellcheck shell=bash

stampWait=30 # seconds for each time-stamp address to answer
declare -A stampFailure stampedBy
live=() # the addresses whose stamp of the release's own query verified, in the order given

# Every address given, each with why it gave no stamp.
stamp_failures() {
    local url
    for url in "${timestamps[@]}"; do printf '\n    %s: %s' "$url" "${stampFailure[$url]:-not tried}"; done
}

# probe_timestamps CA: asks each address in timestamps for a stamp of a query of the release's
# own, before anything is built. One that doesn't answer within the wait, answers with something
# other than a time stamp, or with one that doesn't verify against CA (a stamp of another message,
# or from an authority outside the trusted ones) is passed over, saying which; the others go into
# live.
probe_timestamps() {
    local ca=$1 url
    head -c 64 /dev/urandom >"$work/stamp-probe"
    openssl ts -query -data "$work/stamp-probe" -sha256 -cert -out "$work/stamp.tsq" 2>/dev/null
    for url in "${timestamps[@]}"; do
        : >"$work/stamp.tsr" # curl writes no file for an empty answer
        if ! run curl -sSf --max-time "$stampWait" -H 'Content-Type: application/timestamp-query' \
            --data-binary "@$work/stamp.tsq" -o "$work/stamp.tsr" -w '%{content_type}' -- "$url" \
            >"$work/stamp.type" 2>"$work/curl.log"; then
            stampFailure[$url]=$(sed 's/^curl: ([0-9]*) //' "$work/curl.log")
        elif ! openssl ts -reply -in "$work/stamp.tsr" -text >/dev/null 2>&1; then
            stampFailure[$url]="its answer is no time stamp, but $(wc -c <"$work/stamp.tsr") bytes$(sed "s/^./ of &/" "$work/stamp.type")"
        elif ! openssl ts -verify -data "$work/stamp-probe" -in "$work/stamp.tsr" -CAfile "$ca" >/dev/null 2>&1; then
            stampFailure[$url]="its answer is no time stamp of the query sent that verifies against $ca"
        else
            live+=("$url")
        fi
    done
    [ ${#live[@]} -gt 0 ] || fail "a time stamp was asked for, and no address gave one that verifies:$(stamp_failures)"
}

# stamp NAME CA: stamps $work/NAME.signed by the first address in live whose stamp of this
# signature verifies against CA, with the signer's chain; refuses when none does.
stamp() {
    local name=$1 ca=$2 url status
    for url in "${live[@]}"; do
        rm -f "$work/$name.stamped"
        status=0
        run timeout "$stampWait" osslsigncode add -ts "$url" -in "$work/$name.signed" \
            -out "$work/$name.stamped" >"$work/stamp.log" 2>&1 || status=$?
        if [ "$status" = 124 ]; then
            stampFailure[$url]="no time stamp for $name within $stampWait seconds"
        elif [ "$status" != 0 ]; then
            stampFailure[$url]="it gave $name no time stamp: $(grep -v '^$' "$work/stamp.log" | tail -n 1)"
        elif ! osslsigncode verify -CAfile "$work/chain.pem" -TSA-CAfile "$ca" -in "$work/$name.stamped" 2>&1 |
            grep -qx "Timestamp Server Signature verification: ok"; then
            stampFailure[$url]="its time stamp of $name does not verify against $ca"
        else
            stampedBy[$name]=$url
            mv "$work/$name.stamped" "$work/$name.signed"
            return 0
        fi
    done
    fail "no address gave $name a time stamp that verifies:$(stamp_failures)"
}
