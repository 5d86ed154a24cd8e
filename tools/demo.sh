#!/usr/bin/env bash
# `make demo`: the installer's main job, end to end. Builds the stub and quilpack, builds the
# sample package with wixl, packs it into build/demo/setup.exe, signs and verifies it with a
# throwaway certificate (tools/demo-sign.sh), installs the signed file silently under
# Wine in a prefix of its own and shows what a user wants to see: the exit code, the installed
# file, an empty temporary directory; then extracts the package with --extract --path.
#   tools/demo.sh [BUILD_DIR]     (the Makefile passes build/, configured)
# Exits 0 when every step did what it should, 1 otherwise, with a one-line summary last.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=$(realpath -m "${1:-$root/build}")
demo=$build/demo
jobs=${JOBS:-2}

step() { printf '\n==> %s\n' "$*"; }
show() { sed 's/^/    /'; }
fail() {
    printf '\n  FAILED: %s\n' "$1"
    printf '\ndemo: FAILED at "%s"\n' "$2"
    exit 1
}

step "Building quilpack, the packer (host build)"
cmake --build "$build/native" -j "$jobs" --target quilpack 2>&1 | tail -n 1 | show \
    || fail "the host build of quilpack failed" "build"
quilpack=$build/native/quilpack

step "Building the sample package with wixl"
rm -rf "$demo" && mkdir -p "$demo" || fail "cannot make $demo" "package"
(cd "$root/tests/e2e/msi" && wixl -o "$demo/sample.msi" sample.wxs) 2>&1 | show
[ -s "$demo/sample.msi" ] || fail "wixl made no sample.msi" "package"
echo "    sample.msi: $(stat -c %s "$demo/sample.msi") bytes, installs 'Quillarium Sample\\sample.txt' under Program Files"

step "Building the installer stub QuilStub.exe (32-bit Windows)"
if ! ninja -C "$build/win32" -t query quilstub-exe >/dev/null 2>&1; then
    echo "    The installer stub is missing: this tree has no QuilStub.exe target (quilstub-exe) yet."
    echo "    It arrives with a later change; until then there is nothing to pack and install."
    printf '\ndemo: FAILED: the installer stub QuilStub.exe does not exist yet\n'
    exit 1
fi
cmake --build "$build/win32" -j "$jobs" --target quilstub-exe e2e-launch 2>&1 | tail -n 1 | show \
    || fail "the Windows build of the stub failed" "build"
stub=$build/win32/QuilStub.exe
launch=$build/win32/e2e/e2e-launch.exe
[ -f "$stub" ] || fail "$stub was not built" "build"
echo "    QuilStub.exe: $(stat -c %s "$stub") bytes"

step "Packing it into setup.exe"
echo "    quilpack create --stub QuilStub.exe --output setup.exe --arch amd64 sample.msi"
"$quilpack" create --stub "$stub" --output "$demo/setup.exe" --arch amd64 "$demo/sample.msi" 2>&1 | show
[ -f "$demo/setup.exe" ] || fail "quilpack did not write setup.exe" "pack"
"$quilpack" list "$demo/setup.exe" | show

step "Signing it: osslsigncode with a throwaway certificate, then verifying"
"$here/demo-sign.sh" "$demo/setup.exe" "$demo/setup-signed.exe" "$demo/signing" \
    || fail "setup.exe could not be signed and verified" "sign"

step "Preparing a Wine prefix of the demo's own"
prefix=$demo/wineprefix
QRT_WINEPREFIX=$build/win32/e2e/templates/win64 "$here/wine-prefix.sh" copy "$prefix" \
    || fail "cannot make the demo's Wine prefix" "prefix"
export QRT_WINEPREFIX=$prefix WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$here/wine-prefix.sh" stop' EXIT
"$here/wine-prefix.sh" start || fail "cannot start the demo prefix's Wine server" "prefix"
cp "$demo/setup-signed.exe" "$prefix/drive_c/setup.exe" # what a release ships: the signed file
mkdir -p "$prefix/drive_c/demo-temp"
echo "    $prefix (the signed setup.exe copied to C:\\setup.exe, TEMP=C:\\demo-temp)"

# Runs C:\setup.exe with the arguments under the launcher (it reads the full 32-bit exit
# code); prints the program's output and sets $code.
run_setup() {
    local args=$1
    "$here/wine-prefix.sh" start >/dev/null 2>&1
    wine "$launch" --app 'C:\setup.exe' --cwd 'C:\' --env 'TEMP=C:\demo-temp' --env 'TMP=C:\demo-temp' \
        --stdout 'C:\demo-out.txt' --stderr 'C:\demo-err.txt' --cmdline "setup.exe $args" \
        </dev/null >"$demo/launch.txt" 2>&1
    tr -d '\r' <"$prefix/drive_c/demo-out.txt" | show
    tr -d '\r' <"$prefix/drive_c/demo-err.txt" | show
    code=$(sed -n 's/^exit code \([0-9]*\) .*/\1/p' "$demo/launch.txt" | tr -d '\r')
    [ -n "$code" ] || fail "the launcher did not run setup.exe: $(cat "$demo/launch.txt")" "run"
    echo "    exit code: $code"
}

step "Installing: setup.exe --silent"
run_setup "--silent"
[ "$code" = 0 ] || fail "setup.exe --silent exited with $code, not 0" "install"
installed="$prefix/drive_c/Program Files (x86)/Quillarium Sample/sample.txt"
[ -f "$installed" ] || fail "the product's file is not installed: $installed" "install"
echo "    installed: C:\\Program Files (x86)\\Quillarium Sample\\sample.txt:"
show <"$installed"
left=$(ls -A "$prefix/drive_c/demo-temp")
[ -z "$left" ] || fail "setup.exe left files in TEMP: $left" "install"
echo "    C:\\demo-temp after the run: empty (nothing left behind)"

step "Extracting: setup.exe --silent --extract --path C:\\demo-extract"
run_setup '--silent --extract --path C:\demo-extract'
[ "$code" = 0 ] || fail "setup.exe --extract exited with $code, not 0" "extract"
extracted=$prefix/drive_c/demo-extract/sample.msi
[ -f "$extracted" ] || fail "no sample.msi in C:\\demo-extract" "extract"
ls -l "$prefix/drive_c/demo-extract" | tail -n +2 | awk '{printf "    %s  %s bytes\n", $9, $5}'
cmp -s "$extracted" "$demo/sample.msi" || fail "the extracted sample.msi differs from the packed one" "extract"
echo "    sample.msi is byte for byte the package that was packed"

printf '\ndemo: OK: the signed setup.exe verified, installed sample.txt silently (exit code 0), left nothing in TEMP, and extracted sample.msi unchanged\n'
