#!/usr/bin/env bash
# A write on a really full disk: mounts a 1 MiB tmpfs (needs root), runs the FileDiskFull
# suite with QRT_TEST_FULL_DIR naming it (under Wine through a drive letter of the test
# prefix), checks that the suite passed rather than skipped, and takes everything down again.
#   file-diskfull.sh <qrt-tests> [<wine-run.sh>]
# Exit 77 (skipped) when no tmpfs can be mounted here.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../../.." && pwd)
exe=$1
emulator=${2:-}

mnt=$(mktemp -d "${TMPDIR:-/tmp}/qrt-full.XXXXXX")
link=
cleanup() {
    [ -n "$link" ] && rm -f "$link"
    mountpoint -q "$mnt" && umount "$mnt"
    rmdir "$mnt"
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=1m,mode=0777 tmpfs "$mnt" 2>/dev/null; then
    echo "cannot mount a tmpfs here (needs root): the disk-full test did not run" >&2
    exit 77
fi

if [ -n "$emulator" ]; then
    prefix=${QRT_WINEPREFIX:-$repo/build/wineprefix}
    "$repo/tools/wine-prefix.sh" start
    for letter in q r s t u v w x y; do
        if [ ! -e "$prefix/dosdevices/$letter:" ]; then
            link="$prefix/dosdevices/$letter:"
            ln -s "$mnt" "$link"
            break
        fi
    done
    [ -n "$link" ] || { echo "no free drive letter in $prefix" >&2; exit 1; }
    dir="${letter^^}:"
    out=$(QRT_TEST_FULL_DIR="$dir" "$emulator" "$exe" --gtest_filter='FileDiskFull.*' --gtest_color=no 2>&1)
else
    out=$(QRT_TEST_FULL_DIR="$mnt" "$exe" --gtest_filter='FileDiskFull.*' --gtest_color=no 2>&1)
fi
rc=$?
printf '%s\n' "$out"
if [ $rc -ne 0 ] || ! grep -qF '[  PASSED  ] 1 test.' <<<"$out" || grep -qF 'SKIPPED' <<<"$out"; then
    echo "the disk-full suite failed or did not run" >&2
    exit 1
fi
leftover=$(ls -A "$mnt")
if [ -n "$leftover" ]; then
    echo "left on the full disk: $leftover" >&2
    exit 1
fi
exit 0
