# Signing with a key that never leaves its token, reached through the vendor's PKCS#11 module and
# OpenSSL's pkcs11 engine: --pkcs11-module MODULE (module), --key URI (key), and --cert FILE (cert),
# a PEM file with the certificate and its chain, or none, to read them from the token.
# shellcheck shell=bash
#
# Every signer is a file like this one, scripts/release-parts/signer-NAME.sh, that gives:
#   signer_packages   the Debian packages it needs beyond osslsigncode and openssl
#   signer_check      refuses what it was given, before anything is installed or read
#   signer_secret     copies the password or PIN to $work/secret (copy_secret), refusing one it
#                     can't use
#   signer_source     where the certificates come from, for the release's words
#   signer_prepare    proves that the key signs, and writes cert.pem and given.pem in $work
#   signer_sign IN OUT  signs the exe IN as OUT with the key and $work/chain.pem, or refuses

signer_packages=(libengine-pkcs11-openssl gnutls-bin)

# key_uri_problem URI: why a key's PKCS#11 URI can't be used, or nothing. The PIN is the PIN
# file's alone: one in the URI (pin-value) would show in the arguments of every process given it,
# and one it points to (pin-source) would be tried in place of the file's, whole, line end and all.
key_uri_problem() {
    [[ "$1" == pkcs11:* ]] || {
        echo "a key on a token is named by its PKCS#11 URI: --key pkcs11:token=...;object=..."
        return
    }
    local attribute
    while read -r attribute; do
        case "${attribute%%=*}" in
        pin-value) echo "the key's URI holds the PIN (pin-value): put it in the file that PELORIN_SIGN_PIN_FILE names instead" ;;
        pin-source) echo "the key's URI names a PIN of its own (pin-source): the PIN is read from the file that PELORIN_SIGN_PIN_FILE names, and from nowhere else" ;;
        esac
    done < <(printf '%s\n' "${1#pkcs11:}" | tr ';?&' '\n\n\n')
}

signer_check() {
    need_file "the PKCS#11 module" "$module"
    local problem
    problem=$(key_uri_problem "$key")
    [ -z "$problem" ] || fail "$problem"
    [ -z "$cert" ] || need_file "the certificate file" "$cert"
}

signer_secret() {
    local file
    file=$(from_caller "${PELORIN_SIGN_PIN_FILE:-}")
    copy_secret "$file" PELORIN_SIGN_PIN_FILE "the token's PIN"
    # A token locks itself after a few wrong PINs: an empty one is not worth one of those tries.
    [ -s "$work/secret" ] || fail "the first line of $file, PELORIN_SIGN_PIN_FILE, is empty: a token has no empty PIN, and trying one would use up one of its few tries"
}

signer_source() { if [ -n "$cert" ]; then echo "$cert"; else echo "the token"; fi; }

# The attributes of the key's URI that name its token: those of its path but the key's own
# (object, id, type), a line each.
token_attributes() {
    printf '%s\n' "${key#pkcs11:}" | sed 's/?.*//' | tr ';' '\n' | sed -E '/^(object|id|type)=/d'
}

# The tokens of the module that the key's URI matches, by its token attributes, a line each.
matching_tokens() {
    local url attribute match
    while read -r url; do
        match=true
        while read -r attribute; do
            case "$attribute" in token=* | manufacturer=* | serial=* | model=*)
                [[ ";${url#pkcs11:};" == *";$attribute;"* ]] || match=false ;;
            esac
        done < <(token_attributes)
        ! $match || echo "    $url"
    done < <(run p11tool --provider "$work/module.so" --list-token-urls 2>/dev/null)
}

# One signature made on the token proves at once that the module loads, that the PIN is right and
# that the URI names a private key. A token locks itself after a few wrong PINs, so the PIN is
# tried once, here, and never again after a refusal.
signer_prepare() {
    # The engine reads the module's path from a configuration file, where #, $, quotes and blanks
    # would change it: a link of the release's own names it there instead, by a path of mktemp's
    # letters.
    ln -s "$module" "$work/module.so"
    [[ "$work" =~ ^[A-Za-z0-9/._-]+$ ]] ||
        fail "the temporary folder $work has a character that OpenSSL's configuration file would take for its own: set TMPDIR to a plain folder"
    printf '%s\n' 'openssl_conf = init' '[init]' 'engines = engines' '[engines]' 'pkcs11 = pkcs11' \
        '[pkcs11]' 'engine_id = pkcs11' "MODULE_PATH = $work/module.so" >"$work/engine.cnf"
    head -c 64 /dev/urandom >"$work/probe"
    OPENSSL_CONF=$work/engine.cnf run openssl dgst -sha256 -engine pkcs11 -keyform engine -sign "$key" \
        -passin "file:$work/secret" -out "$work/probe.sig" "$work/probe" </dev/null >"$work/token.log" 2>&1 || true
    if [ ! -s "$work/probe.sig" ]; then
        local pinFile=${PELORIN_SIGN_PIN_FILE:-}
        case "$(cat "$work/token.log")" in
        *"Unable to load PKCS#11 module"*)
            fail "the PKCS#11 module $module does not load: $(grep -m 1 -v '^Engine' "$work/token.log")" ;;
        *"PIN incorrect"* | *"PIN invalid"* | *"Invalid PIN length"* | *"PIN len range"*)
            fail "the token refused the PIN in $pinFile: a wrong PIN (a token locks itself after a few, so check it before trying again)" ;;
        *"PIN locked"*) fail "the token's PIN is locked: its administrator can unlock it" ;;
        *"PIN expired"*) fail "the token's PIN has expired: set a new one with the token's own tools first" ;;
        *"User pin not initialized"*) fail "the token has no user PIN yet: its administrator sets one first" ;;
        *"Multiple matching slots"*) fail "$key matches more than one token of the module $module: name one with token= (or serial=) in the URI. These match:
$(matching_tokens)" ;;
        *"No matching initialized token"*) fail "no token of the module $module matches $key" ;;
        *"not found"*) fail "$key names no private key on its token" ;;
        *) fail "the key $key could not be used: $(grep -v '^$' "$work/token.log" | tail -n 1)" ;;
        esac
    fi
    # The certificates: those of the PEM file, or those the token holds. The one whose public key
    # is the token key's signs.
    if [ -n "$cert" ]; then
        cp "$cert" "$work/given.pem"
    else
        local token url
        token=$(token_attributes | paste -sd ';')
        : >"$work/given.pem"
        run p11tool --provider "$work/module.so" --list-all-certs "pkcs11:$token" >"$work/cert-list" 2>/dev/null || true
        while read -r url; do
            run p11tool --provider "$work/module.so" --export "$url" >>"$work/given.pem" 2>/dev/null || true
        done < <(sed -n 's/^[[:space:]]*URL: //p' "$work/cert-list")
    fi
    split_certificates "$work/given.pem" "$work/certs"
    local candidate
    for candidate in "$work"/certs/*.pem; do
        [ -f "$candidate" ] || fail "no certificate was found in $(signer_source)"
        openssl x509 -in "$candidate" -noout -pubkey >"$work/public.pem" 2>/dev/null &&
            openssl dgst -sha256 -verify "$work/public.pem" -signature "$work/probe.sig" "$work/probe" >/dev/null 2>&1 &&
            cp "$candidate" "$work/cert.pem" && return 0
    done
    fail "no certificate in $(signer_source) holds the public key of $key: the certificate is another key's"
}

signer_sign() {
    run osslsigncode sign -pkcs11module "$work/module.so" -certs "$work/chain.pem" -key "$key" \
        -readpass "$work/secret" -h sha256 -n Pelorin -in "$1" -out "$2" \
        >"$work/sign.log" 2>&1 || fail "signing $(basename "$2" .signed) failed: $(tail -n 3 "$work/sign.log")"
}
