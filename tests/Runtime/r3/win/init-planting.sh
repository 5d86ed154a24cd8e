#!/usr/bin/env bash
# Library planting, end to end: libraries named msi.dll and version.dll lie beside the probe
# program, and Wine is told to prefer such native copies over its own. Initialised with the
# system-directory flag, the probe binds the Windows Installer without loading either. Without
# the flag, Windows' msi.dll pulls in the planted version.dll from the program's directory,
# which shows that the test can see planting.
#   init-planting.sh <wine-run.sh> <plant dir holding qrt-init-probe.exe, msi.dll, version.dll>
set -uo pipefail
wine_run=$1
plant=$2
markers=$(mktemp -d)
trap 'rm -rf "$markers"' EXIT
export QRT_PLANT_MARKER_DIR="Z:${markers//\//\\}"
export WINEDLLOVERRIDES='msi=n,b;version=n,b'
fail=0

QRT_PROBE_FLAGS=0x10 "$wine_run" "$plant/qrt-init-probe.exe" msi </dev/null >"$markers/out1" 2>&1
rc=$?
if [ "$rc" != 0 ]; then
    echo "hardened run: exit status $rc, expected 0" >&2
    fail=1
fi
for lib in msi version; do
    if [ -e "$markers/planted-$lib.marker" ]; then
        echo "hardened run loaded the planted $lib.dll" >&2
        fail=1
    fi
done

QRT_PROBE_FLAGS=0 "$wine_run" "$plant/qrt-init-probe.exe" msi </dev/null >"$markers/out2" 2>&1
rc=$?
if [ -e "$markers/planted-msi.marker" ]; then
    echo "unhardened run loaded the planted msi.dll itself (the loader must use full paths)" >&2
    fail=1
fi
if [ ! -e "$markers/planted-version.marker" ]; then
    echo "unhardened run did not load the planted version.dll: the test cannot see planting" >&2
    fail=1
fi
# The planted library has none of the real one's exports, so the binding stops the process.
if [ "$rc" = 0 ]; then
    echo "unhardened run: exit status 0, expected the binding to fail" >&2
    fail=1
fi
[ "$fail" = 0 ] || cat "$markers/out1" "$markers/out2" >&2
exit $fail
