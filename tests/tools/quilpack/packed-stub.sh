#!/usr/bin/env bash
# Under Wine: quilpack.exe packs the resource reader (a GUI program shaped like the stub); the
# packed program finds every resource as the stub does and compares it with its input file;
# its side-by-side manifest and version still apply; the packed file signs and verifies with
# osslsigncode, and still runs signed. A signed stub packs with its signature removed.
#   packed-stub.sh QUILPACK_EXE READER_EXE WORK_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_run=$here/../../../tools/wine-run.sh
quilpack=$(realpath "$1") reader=$(realpath "$2") work=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
cp "$quilpack" quilpack.exe && cp "$reader" reader.exe
head -c 300000 /dev/urandom > Product.msi
head -c 5000 /dev/urandom > data1.cab
head -c $((3 * 1024 * 1024 + 1)) /dev/urandom > big.msi

# Runs a Windows program in this directory; stdout, stderr to files; prints the exit code.
run() {
    local name=$1
    shift
    "$wine_run" "$@" >"$name.out" 2>"$name.err" </dev/null
    echo $?
}

# 1. Pack with the Windows build of quilpack, then read every resource back.
rc=$(run pack ./quilpack.exe create --stub reader.exe --output setup.exe --arch amd64 Product.msi data1.cab \
     --arch x86 big.msi)
[ "$rc" = 0 ] && pass "quilpack.exe create" || fail "quilpack.exe create: exit $rc: $(cat pack.err)"
rc=$(run list ./quilpack.exe list setup.exe)
expected=$'count\t3\n0\tamd64\tBIN_00\tProduct.msi\t300000\n1\tall\tBIN_01\tdata1.cab\t5000\n2\tx86\tBIN_02\tbig.msi\t3145729'
[ "$rc" = 0 ] && [ "$(tr -d '\r' < list.out)" = "$expected" ] && pass "quilpack.exe list" \
    || fail "quilpack.exe list: exit $rc: $(cat list.out list.err)"
check_reader() { # NAME EXE FILE...: the reader must find no fault
    local name=$1 exe=$2
    shift 2
    local rc
    rc=$(run "$name" "$exe" "$@")
    if [ "$rc" = 0 ] && grep -q '^failures 0' "$name.out" && grep -q '^ok comctl32-v6' "$name.out" \
        && grep -q '^ok version' "$name.out" && [ "$(grep -c '^ok payload-bytes' "$name.out")" = $# ]; then
        pass "$name: every resource found and equal, manifest and version kept"
    else
        fail "$name: exit $rc: $(grep -v '^ok' "$name.out" | head -5) $(head -3 "$name.err")"
    fi
}
check_reader packed ./setup.exe Product.msi data1.cab big.msi

# The reader can fail: the bare program has no container, and swapped inputs differ.
rc=$(run bare ./reader.exe)
[ "$rc" != 0 ] && grep -q '^FAIL manifest' bare.out && pass "bare program: no container found" \
    || fail "bare program: exit $rc: $(cat bare.out)"
rc=$(run swapped ./setup.exe data1.cab Product.msi big.msi)
[ "$rc" != 0 ] && grep -q '^FAIL payload-bytes BIN_00' swapped.out && pass "swapped inputs: difference found" \
    || fail "swapped inputs: exit $rc: $(cat swapped.out)"

# Packing again over an existing output replaces it.
cp setup.exe first.exe
rc=$(run again ./quilpack.exe create --stub reader.exe --output first.exe data1.cab)
rc2=$(run again-list ./quilpack.exe list first.exe)
[ "$rc" = 0 ] && [ "$rc2" = 0 ] && [ "$(head -1 again-list.out | tr -d '\r')" = $'count\t1' ] \
    && pass "an existing output is replaced" || fail "replacing an output: exit $rc/$rc2: $(cat again.err)"

# 2. A refusal of the Windows build: the message names the file; nothing is left.
rc=$(run refused ./quilpack.exe create --stub reader.exe --output refused.exe Product.msi missing.msi)
[ "$rc" = 1 ] && [ "$(tr -d '\r' < refused.err)" = "quilpack: error: missing.msi: no such file" ] \
    && [ ! -e refused.exe ] && [ -z "$(ls -A | grep '\.tmp$')" ] && pass "missing file refused" \
    || fail "missing file: exit $rc: $(cat refused.err)"

# 3. Sign after packing; verify; the signed program still runs.
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Quillarium test signer" \
    >/dev/null 2>&1 || fail "openssl: cannot make a test certificate"
if osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in setup.exe -out signed.exe >sign.log 2>&1 \
    && osslsigncode verify -CAfile cert.pem -in signed.exe >verify.log 2>&1; then
    pass "osslsigncode sign and verify"
else
    fail "osslsigncode: $(tail -n 3 sign.log verify.log)"
fi
check_reader signed ./signed.exe Product.msi data1.cab big.msi

# 4. A signed stub: its signature is removed (said on stderr), the output signs again.
osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in reader.exe -out signed-stub.exe >/dev/null 2>&1
rc=$(run resign ./quilpack.exe create --stub signed-stub.exe --output resigned.exe Product.msi)
[ "$rc" = 0 ] && grep -q "signed-stub.exe: signed; the signature is removed (sign resigned.exe after packing)" \
    resign.err && pass "signed stub: signature removed, said so" || fail "signed stub: exit $rc: $(cat resign.err)"
if osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in resigned.exe -out resigned-signed.exe \
    >/dev/null 2>&1 && osslsigncode verify -CAfile cert.pem -in resigned-signed.exe >/dev/null 2>&1; then
    pass "repacked signed stub signs and verifies"
else
    fail "repacked signed stub does not verify"
fi
check_reader resigned ./resigned-signed.exe Product.msi

echo "$failures failed"
[ "$failures" = 0 ]
