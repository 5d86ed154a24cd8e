#!/usr/bin/env bash
# Runs one group of end-to-end cases (a GoogleTest filter of the e2e test program) under Wine
# in a fresh copy of a prefix template. The msi.dll double is copied over the copy's msi.dll;
# only programs started with WINEDLLOVERRIDES=msi=n use it, the others keep Wine's own msi.
# The copy is removed at the end; the work directory keeps what the cases wrote (outputs,
# the double's records) for a look after a failure.
#   run-case.sh ARCH TEMPLATE WORK FILTER TEST_EXE ASSETS SOURCE QUILPACK [STUB]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix_tool=$here/../../tools/wine-prefix.sh
if [ $# -lt 8 ]; then
    echo "usage: $0 ARCH TEMPLATE WORK FILTER TEST_EXE ASSETS SOURCE QUILPACK [STUB]" >&2
    exit 2
fi
arch=$1 template=$2 work=$3 filter=$4 exe=$5 assets=$6 source=$7 quilpack=$8 stub=${9:-}

rm -rf "$work" && mkdir -p "$work" || exit 1
prefix=$work/prefix
if ! QRT_WINEPREFIX=$template QRT_WINEARCH=$arch "$prefix_tool" copy "$prefix"; then
    echo "run-case: cannot make the $arch prefix from $template" >&2
    exit 1
fi
sysdir=syswow64
[ "$arch" = win32 ] && sysdir=system32
cp "$assets/msi-double.dll" "$prefix/drive_c/windows/$sysdir/msi.dll" || exit 1

export QRT_WINEPREFIX=$prefix QRT_WINEARCH=$arch
cleanup() {
    "$prefix_tool" stop
    rm -rf "$prefix"
}
trap cleanup EXIT
"$prefix_tool" start || exit 1

# Windows paths of the build tree: drive Z: is the root of the host's file system.
winpath() {
    local p
    p=$(realpath -m "$1")
    printf 'Z:%s' "${p//\//\\}"
}
export QUIL_E2E_ASSETS=$(winpath "$assets")
export QUIL_E2E_SOURCE=$(winpath "$source")
export QUIL_E2E_WORK=$(winpath "$work")
export QUIL_E2E_QUILPACK=$(winpath "$quilpack")
export QUIL_E2E_STUB=
[ -n "$stub" ] && QUIL_E2E_STUB=$(winpath "$stub")
export QUIL_E2E_ARCH=$arch
# Wine writes the traces of the programs the tests start to the Unix standard error they
# inherit; the tests read the message boxes from this file.
wine_stderr=$work/wine-stderr.log
export QUIL_E2E_WINE_STDERR=$(winpath "$wine_stderr")
WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine "$exe" --gtest_filter="$filter" --gtest_color=no </dev/null 2>"$wine_stderr"
rc=$?
if [ $rc != 0 ]; then
    echo "run-case: exit $rc; Wine's standard error is in $wine_stderr, its last lines (no trace):"
    grep -Ev '^[0-9a-f]{4}:(Call|Ret|trace)' "$wine_stderr" | tail -n 20
fi
exit $rc
