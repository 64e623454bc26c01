# Signing with a certificate and its key in a PKCS#12 file: --pkcs12 FILE (pkcs12), its password
# the first line of the file that PELORIN_SIGN_PASSWORD_FILE names. The interface every signer
# gives is described in signer-pkcs11.sh.
# shellcheck shell=bash

signer_packages=()

signer_check() { need_file "the certificate file" "$pkcs12"; }

signer_secret() {
    copy_secret "$(from_caller "${PELORIN_SIGN_PASSWORD_FILE:-}")" PELORIN_SIGN_PASSWORD_FILE "the certificate's password"
    # A file saved without a password has an empty one, which both tools read as a lone line end.
    [ -s "$work/secret" ] || printf '\n' >"$work/secret"
}

signer_source() { echo "$pkcs12"; }

# Reading the certificate proves the password; the key is the file's own.
signer_prepare() {
    run openssl pkcs12 -in "$pkcs12" -passin "file:$work/secret" -nokeys -clcerts -out "$work/cert.pem" 2>"$work/openssl.log" ||
        fail "the certificate could not be read: a wrong password, or not a PKCS#12 file ($(tail -n 1 "$work/openssl.log"))"
    run openssl pkcs12 -in "$pkcs12" -passin "file:$work/secret" -nokeys -out "$work/given.pem" 2>/dev/null
}

# The file may hold certificates that have nothing to do with the key: the exe is signed from a
# PKCS#12 file of the release's own, with the key and its chain alone, under the same password.
# The key goes from one openssl to the other through a pipe.
signer_sign() {
    if [ ! -f "$work/signing.p12" ]; then
        run openssl pkcs12 -in "$pkcs12" -passin "file:$work/secret" -nocerts -nodes 2>/dev/null |
            run openssl pkcs12 -export -in "$work/chain.pem" -inkey /dev/stdin -passout "file:$work/secret" \
                -out "$work/signing.p12" 2>"$work/openssl.log" ||
            fail "the key could not be taken from $pkcs12: $(tail -n 1 "$work/openssl.log")"
    fi
    run osslsigncode sign -pkcs12 "$work/signing.p12" -readpass "$work/secret" -h sha256 -n Pelorin -in "$1" -out "$2" \
        >"$work/sign.log" 2>&1 || fail "signing $(basename "$2" .signed) failed: $(tail -n 3 "$work/sign.log")"
}
