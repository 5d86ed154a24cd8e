#!/bin/bash
# Makes the three stand-in certificates the stub embeds when the product's own are not at hand:
# two self-signed end-entity code-signing certificates (RSA 2048; one signed with SHA-1, one
# with SHA-256) and a self-signed root CA for time stamping (RSA 4096, SHA-256, path length 0).
# Only the DER files reach OUTDIR. The keys live in a temporary directory that is removed on
# every way out: the stub adds the CA to machines' Root stores, so its key must not survive.
#
# Usage: tools/make-stand-in-certs.sh OUTDIR   (run once; the results are committed)
set -euo pipefail
out=${1:?usage: $0 OUTDIR}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# name, digest, key bits, subject, extensions
make_cert() {
    local name=$1 digest=$2 bits=$3 subject=$4 ext=$5
    openssl req -x509 -new -newkey "rsa:$bits" -nodes -keyout "$tmp/$name.key" -"$digest" -days 7300 \
        -subj "$subject" -addext "basicConstraints=critical,CA:FALSE" -addext "$ext" -addext "keyUsage=critical,${6}" \
        -outform DER -out "$out/$name.der" 2>/dev/null
    rm -f "$tmp/$name.key"
}

make_cert publisher-1 sha1 2048 "/O=Quillarium Stand-in/CN=Quillarium Stand-in Code Signing SHA-1" \
    "extendedKeyUsage=codeSigning" "digitalSignature"
make_cert publisher-2 sha256 2048 "/O=Quillarium Stand-in/CN=Quillarium Stand-in Code Signing SHA-256" \
    "extendedKeyUsage=codeSigning" "digitalSignature"
openssl req -x509 -new -newkey rsa:4096 -nodes -keyout "$tmp/ca.key" -sha256 -days 7300 \
    -subj "/O=Quillarium Stand-in/CN=Quillarium Stand-in Timestamp Root CA" \
    -addext "basicConstraints=critical,CA:TRUE,pathlen:0" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -addext "extendedKeyUsage=timeStamping" -outform DER -out "$out/timestamp-ca.der" 2>/dev/null
rm -f "$tmp/ca.key"
ls -l "$out"
