#!/usr/bin/env bash
# Rebuilds the small MinGW GUI program that the native tests pack and the PE reader's fuzz
# corpus starts from: fuzz/corpus/pe-reader/mingw-gui.exe (stripped, file alignment 512, a
# side-by-side manifest and a version resource), plus truncations and a packed copy.
#   tests/tools/quilpack/sample-stub.sh BUILD_DIR   (BUILD_DIR: a native build holding quilpack)
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=${1:?usage: sample-stub.sh NATIVE_BUILD_DIR}
corpus=$src/fuzz/corpus/pe-reader
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/main.c" <<'C'
#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) { (void)a; (void)b; (void)c; (void)d; return 0; }
C
cp "$src/tests/tools/quilpack/resource-reader.manifest" "$work/"
sed 's/resource-reader\.manifest/resource-reader.manifest/' "$src/tests/tools/quilpack/resource-reader.rc" > "$work/stub.rc"
i686-w64-mingw32-windres -I "$build/generated" -I "$work" -O coff "$work/stub.rc" "$work/stub.res.o"
i686-w64-mingw32-gcc-posix -Os -s -static -mwindows -Wl,--gc-sections -o "$work/mingw-gui.exe" "$work/main.c" "$work/stub.res.o"
mkdir -p "$corpus"
cp "$work/mingw-gui.exe" "$corpus/mingw-gui.exe"
size=$(stat -c %s "$corpus/mingw-gui.exe")
head -c 64 "$corpus/mingw-gui.exe" > "$corpus/trunc-dos-header"
head -c 400 "$corpus/mingw-gui.exe" > "$corpus/trunc-section-table"
head -c $((size / 2)) "$corpus/mingw-gui.exe" > "$corpus/trunc-half"
head -c $((size - 100)) "$corpus/mingw-gui.exe" > "$corpus/trunc-resources"
printf 'one small package' > "$work/readme.msi"
"$build/quilpack" create --stub "$corpus/mingw-gui.exe" --output "$corpus/mingw-gui-packed.exe" "$work/readme.msi" >/dev/null
ls -l "$corpus"
# A signed copy, signed with a throw-away self-signed certificate whose key is discarded.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 3650 \
    -subj "/CN=Quillarium test signer" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
    -in "$corpus/mingw-gui.exe" -out "$corpus/mingw-gui-signed.exe" >/dev/null
