#!/usr/bin/env bash
# Extraction and verification of one package of the product's size (110346240 bytes) under
# Wine, side by side in one run, medians of RUNS runs (default 9), rows interleaved so that a
# slow spell of the disk falls on all of them alike:
#   stub       setup.exe --silent --extract --path D (QuilStub.exe packed by quilpack)
#   reference  the floor: the same payload packed into bench/extract-reference.cpp, written
#              from its mapped image with one WriteFile, read back in 64 KiB blocks, compared
#   nsis       an NSIS installer (stored, CRC check on) extracting the file silently (/S /D=D)
#   cp+cmp     the host copying and comparing the file
# Each Windows row is timed inside Wine by the launcher, from process start to exit; every
# result is compared with the payload after its run (outside the timing). Figures only: the
# targets (stub at most 1.15 x the reference, at most 0.3 x NSIS) are printed, not enforced.
#   bench/extract.sh BUILD_DIR [RUNS]
# The prefix (BUILD_DIR/bench/extract/wineprefix) is made once and kept: copying one writes
# more than a gigabyte, whose write-back would disturb the first runs.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=$(realpath -m "${1:-$root/build}")
runs=${2:-9}
size=110346240
work=$build/bench/extract
win32=$build/win32
quilpack=
for q in "$build/bench/quilpack" "$build/native/quilpack"; do
    [ -x "$q" ] && quilpack=$q && break
done
die() {
    echo "extract benchmark: $*" >&2
    exit 1
}
[ -n "$quilpack" ] || die "no host quilpack (build/bench or build/native)"
command -v makensis >/dev/null || die "makensis is missing (tools/install-deps.sh installs nsis)"

targets="bench-extract-reference e2e-launch"
have_stub=0
if ninja -C "$win32" -t query quilstub-exe >/dev/null 2>&1; then
    have_stub=1
    targets="$targets quilstub-exe"
fi
cmake --build "$win32" -j "${JOBS:-2}" --target $targets >/dev/null || die "the Windows build failed"
launch=$win32/e2e/e2e-launch.exe

mkdir -p "$work"
payload=$work/payload.msi
if [ "$(stat -c %s "$payload" 2>/dev/null)" != "$size" ]; then
    # An OLE compound file's signature, then bytes that no compression would shrink.
    { printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1'; head -c $((size - 8)) /dev/urandom; } > "$payload"
fi
rm -f "$work"/*.exe
"$quilpack" create --stub "$win32/bench-extract-reference.exe" --output "$work/reference.exe" --arch amd64 \
    "$payload" >/dev/null 2>&1 || die "quilpack could not pack the reference"
if [ $have_stub = 1 ]; then
    "$quilpack" create --stub "$win32/QuilStub.exe" --output "$work/setup.exe" --arch amd64 "$payload" \
        >/dev/null 2>&1 || die "quilpack could not pack the stub"
fi
cat > "$work/nsis.nsi" <<NSI
; The same payload as an NSIS installer: stored (no compression), CRC check on.
Name "Quillarium extraction benchmark"
OutFile "nsis-setup.exe"
SetCompress off
CRCCheck on
RequestExecutionLevel user
SilentInstall silent
InstallDir "\$TEMP\\nsis-out"
Section
  SetOutPath \$INSTDIR
  File "payload.msi"
SectionEnd
NSI
(cd "$work" && makensis -V1 nsis.nsi >/dev/null) || die "makensis failed"

prefix=$work/wineprefix
if [ ! -f "$prefix/system.reg" ]; then
    QRT_WINEPREFIX=$win32/e2e/templates/win64 "$root/tools/wine-prefix.sh" copy "$prefix" || die "no Wine prefix"
fi
export QRT_WINEPREFIX=$prefix WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$root/tools/wine-prefix.sh" stop' EXIT
"$root/tools/wine-prefix.sh" start || die "the Wine server did not start"
out=$prefix/drive_c/bench-out
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

# One row once: prints milliseconds, or "FAIL" when the result is not the payload.
run_windows() { # ROW EXE ARGS OUTPUT-FILE
    local row=$1 exe=$2 args=$3 result=$4
    rm -rf "$out" && mkdir -p "$out/ref"
    sync # write back the previous run's pages first, outside the timing
    wine "$launch" --time --app "$(winpath "$work/$exe")" --cmdline "$exe $args" </dev/null \
        >"$work/$row.launch" 2>/dev/null
    local seconds code
    code=$(sed -n 's/^exit code \([0-9]*\) .*/\1/p' "$work/$row.launch" | tr -d '\r')
    seconds=$(sed -n 's/^seconds \([0-9.]*\).*/\1/p' "$work/$row.launch" | tr -d '\r')
    if [ "$code" != 0 ] || [ -z "$seconds" ] || ! cmp -s "$payload" "$result"; then
        echo FAIL
        return
    fi
    awk -v s="$seconds" 'BEGIN { printf "%.1f\n", s * 1000 }'
}
run_cp() {
    rm -rf "$work/cp-out" && mkdir -p "$work/cp-out"
    sync
    local t0 t1
    t0=$(date +%s%N)
    cp "$payload" "$work/cp-out/payload.msi" && cmp -s "$payload" "$work/cp-out/payload.msi" || { echo FAIL; return; }
    t1=$(date +%s%N)
    awk -v ns=$((t1 - t0)) 'BEGIN { printf "%.1f\n", ns / 1e6 }'
}

rows="reference nsis cp"
[ $have_stub = 1 ] && rows="stub $rows"
for row in $rows; do : > "$work/$row.times"; done
cat "$payload" "$work"/*.exe > /dev/null # warm: every row reads from the cache
for ((i = 0; i <= runs; i++)); do
    for row in $rows; do
        case $row in
        stub) t=$(run_windows stub setup.exe '--silent --extract --path C:\bench-out\stub' "$out/stub/payload.msi") ;;
        reference) t=$(run_windows reference reference.exe 'C:\bench-out\ref\payload.msi' "$out/ref/payload.msi") ;;
        nsis) t=$(run_windows nsis nsis-setup.exe '/S /D=C:\bench-out\nsis' "$out/nsis/payload.msi") ;;
        cp) t=$(run_cp) ;;
        esac
        # The first round only warms Wine and the cache.
        [ $i -gt 0 ] && echo "$t" >> "$work/$row.times"
    done
done

median() { grep -v FAIL "$1" | sort -n | awk '{ a[NR] = $1 } END { if (NR) print a[int((NR + 1) / 2)]; else print "" }'; }
declare -A ms
for row in $rows; do
    ms[$row]=$(median "$work/$row.times")
    if grep -q FAIL "$work/$row.times"; then
        echo "extract benchmark: $row: $(grep -c FAIL "$work/$row.times") of $runs runs did not give the payload" >&2
    fi
done
ratio() { [ -n "${ms[$1]:-}" ] && [ -n "${ms[$2]:-}" ] && awk -v a="${ms[$1]}" -v b="${ms[$2]}" 'BEGIN { printf "%.2f", a / b }'; }

echo
echo "Extraction and verification of $size bytes under Wine, median of $runs runs (ms):"
printf '  %-52s %9s\n' "row" "ms"
if [ $have_stub = 1 ]; then
    printf '  %-52s %9s   %s x reference (target <= 1.15), %s x NSIS (target <= 0.3)\n' \
        "setup.exe --silent --extract --path D" "${ms[stub]:-FAIL}" "$(ratio stub reference)" "$(ratio stub nsis)"
else
    printf '  %-52s %9s\n' "setup.exe --silent --extract --path D" "(no QuilStub.exe in this build yet)"
fi
printf '  %-52s %9s\n' "reference: one WriteFile, 64 KiB read-back, compare" "${ms[reference]:-FAIL}"
printf '  %-52s %9s   %s x reference\n' "NSIS (stored, CRC check on) /S /D=D" "${ms[nsis]:-FAIL}" "$(ratio nsis reference)"
printf '  %-52s %9s   %s x reference\n' "host cp + cmp" "${ms[cp]:-FAIL}" "$(ratio cp reference)"
