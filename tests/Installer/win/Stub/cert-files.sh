#!/bin/bash
# The stub's certificate files parse as DER X.509 and have the stated properties:
#   publisher-1.der  RSA 2048, SHA-1 signature,   extended key usage code signing, no CA
#   publisher-2.der  RSA 2048, SHA-256 signature, extended key usage code signing, no CA
#   timestamp-ca.der RSA 4096, SHA-256 signature, extended key usage time stamping, CA, path
#                    length 0, self-signed
# Usage: cert-files.sh CERT_DIR. Prints one line per file; exits 1 at the first mismatch.
set -uo pipefail
dir=${1:?usage: $0 CERT_DIR}
fail=0

# file, bits, signature algorithm, usage, basic constraints (regex)
check() {
    local file=$dir/$1 text
    if ! text=$(openssl x509 -inform der -in "$file" -noout -text 2>&1); then
        echo "FAIL $1: not a DER certificate: $text"; fail=1; return
    fi
    local what ok=1
    for what in "Public-Key: ($2 bit)" "Signature Algorithm: $3" "$4"; do
        grep -qF -- "$what" <<<"$text" || { echo "FAIL $1: no '$what'"; ok=0; }
    done
    # The usage line follows its extension's header.
    grep -A1 -F 'X509v3 Extended Key Usage' <<<"$text" | grep -qxE "[[:space:]]*$4" ||
        { echo "FAIL $1: extended key usage is not only '$4'"; ok=0; }
    grep -A1 -F 'X509v3 Basic Constraints' <<<"$text" | grep -qxE "[[:space:]]*$5" ||
        { echo "FAIL $1: basic constraints are not '$5'"; ok=0; }
    ((ok)) && echo "ok $1: RSA $2, $3, $4, $5"
    ((ok)) || fail=1
}

check publisher-1.der 2048 sha1WithRSAEncryption "Code Signing" "CA:FALSE"
check publisher-2.der 2048 sha256WithRSAEncryption "Code Signing" "CA:FALSE"
check timestamp-ca.der 4096 sha256WithRSAEncryption "Time Stamping" "CA:TRUE, pathlen:0"
# The CA signed itself.
if ! openssl verify -CAfile <(openssl x509 -inform der -in "$dir/timestamp-ca.der") \
        <(openssl x509 -inform der -in "$dir/timestamp-ca.der") >/dev/null 2>&1; then
    echo "FAIL timestamp-ca.der: not self-signed"; fail=1
fi
exit $fail
