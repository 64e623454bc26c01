# The signing certificate and its chain, whichever signer gave them.
# shellcheck shell=bash

# split_certificates PEM DIR: each certificate of the file PEM as DIR/1.pem, DIR/2.pem, ...
split_certificates() {
    mkdir -p "$2"
    awk -v dir="$2" '/-----BEGIN CERTIFICATE-----/ { file = dir "/" ++n ".pem" }
        file { print > file } /-----END CERTIFICATE-----/ { close(file); file = "" }' "$1"
}

# build_chain CERT DIR: the signing certificate CERT, then the one that issued it, and so on, each
# found among the certificates in DIR by the subject that names the one before's issuer. Nothing
# else goes in, and nothing twice: a certificate the signer was given beside its key, but that
# has nothing to do with it, would only tell each user's Windows of it. A self-signed
# certificate, or one whose issuer is not there, ends it.
build_chain() {
    local current=$1 candidate subject issuer fingerprint next seen=" "
    declare -A subjectOf fingerprintOf
    for candidate in "$2"/*.pem; do
        [ -f "$candidate" ] || continue
        { read -r subjectOf[$candidate] && read -r _ && read -r fingerprintOf[$candidate]; } < <(
            openssl x509 -in "$candidate" -noout -subject_hash -issuer_hash -fingerprint -sha256)
    done
    while :; do
        cat "$current"
        { read -r subject && read -r issuer && read -r fingerprint; } < <(
            openssl x509 -in "$current" -noout -subject_hash -issuer_hash -fingerprint -sha256)
        seen+="$fingerprint "
        [ "$subject" != "$issuer" ] || return 0
        next=
        for candidate in "${!subjectOf[@]}"; do
            if [ "${subjectOf[$candidate]}" = "$issuer" ] && [[ "$seen" != *" ${fingerprintOf[$candidate]} "* ]]; then
                next=$candidate
                break
            fi
        done
        [ -n "$next" ] || return 0
        current=$next
    done
}

# check_certificate CERT SOURCE: refuses a certificate that is not made for code signing, has
# expired, or holds a key other than RSA, naming SOURCE, where it came from.
check_certificate() {
    local cert=$1 source=$2 codeSigning expiry algorithm
    # The code-signing purpose, 1.3.6.1.5.5.7.3.3, by the name openssl gives that number: one item
    # of the list, so that another purpose whose name holds it is not taken for it.
    codeSigning=$(openssl asn1parse -genstr OID:1.3.6.1.5.5.7.3.3 | sed 's/.*://')
    openssl x509 -in "$cert" -noout -ext extendedKeyUsage 2>/dev/null | sed 1d |
        tr ',' '\n' | sed 's/^ *//' | grep -qx "$codeSigning" ||
        fail "the certificate in $source is not made for code signing (its extended key usage lacks $codeSigning, 1.3.6.1.5.5.7.3.3)"
    expiry=$(openssl x509 -in "$cert" -noout -enddate | sed 's/^notAfter=//')
    openssl x509 -in "$cert" -noout -checkend 0 >/dev/null ||
        fail "the certificate in $source expired on $expiry: renew it with its authority"
    # Windows 11's Smart App Control takes RSA signatures alone: an exe signed otherwise is blocked
    # where it is on, however trusted the certificate.
    algorithm=$(openssl x509 -in "$cert" -noout -text | sed -n 's/^ *Public Key Algorithm: //p')
    [ "$algorithm" = rsaEncryption ] || [ "${PELORIN_SIGN_ALLOW_EC:-}" = 1 ] ||
        fail "the key of the certificate in $source is $algorithm, not RSA, and Windows 11's Smart App Control accepts RSA signatures alone: sign with an RSA key, or set PELORIN_SIGN_ALLOW_EC=1 to sign with this one all the same"
}
