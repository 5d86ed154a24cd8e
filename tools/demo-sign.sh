#!/usr/bin/env bash
# The release engineer's last step in `make demo`: signs a packed setup.exe with osslsigncode
# and a throwaway code-signing certificate made here in the build tree (key and certificate
# stay under DIR, which is build output and never committed), then verifies the signature.
# Pack first, then sign: packing changes the file, and quilpack drops a stub's old signature.
#   tools/demo-sign.sh IN OUT DIR
# Exits 0 when OUT is signed and verifies; prints what it did.
set -uo pipefail
in=${1:?usage: $0 IN OUT DIR} out=${2:?usage: $0 IN OUT DIR} dir=${3:?usage: $0 IN OUT DIR}
mkdir -p "$dir" || exit 1
key=$dir/demo-signing.key cert=$dir/demo-signing.pem
rm -f "$key" "$cert" "$out"
# A fresh self-signed certificate for each demo: nothing of it is meant to last.
if ! openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 2 -keyout "$key" -out "$cert" \
        -subj "/O=Quillarium Demo/CN=Quillarium Demo Code Signing (throwaway)" \
        -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
        -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1; then
    echo "    openssl could not make the throwaway certificate"
    exit 1
fi
chmod 600 "$key"
echo "    throwaway certificate: $(openssl x509 -in "$cert" -noout -subject | sed 's/^subject=//')"
if ! osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Quillarium Installer" -in "$in" -out "$out" \
        >"$dir/sign.log" 2>&1; then
    sed 's/^/    /' "$dir/sign.log"
    echo "    osslsigncode could not sign $in"
    exit 1
fi
echo "    osslsigncode sign: $(basename "$out") is $(stat -c %s "$out") bytes ($(stat -c %s "$in") unsigned)"
if ! osslsigncode verify -CAfile "$cert" -in "$out" >"$dir/verify.log" 2>&1; then
    sed 's/^/    /' "$dir/verify.log"
    echo "    the signature of $out does not verify"
    exit 1
fi
grep -E '^(Message digest|Calculated message digest|Signature verification)' "$dir/verify.log" | sed 's/^/    /'
grep -q '^Signature verification: ok' "$dir/verify.log" || { echo "    no 'Signature verification: ok'"; exit 1; }
