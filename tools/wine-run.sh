#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix; CMake uses it as the emulator
# for the win32 build's tests.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/wine-prefix.sh" start
export WINEPREFIX=${QRT_WINEPREFIX:-$(dirname "$here")/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Wine 8 itself (not the program) can die of SIGSEGV when a process ends while one of its threads
# is still starting: the new thread takes the termination signal before its thread block is set
# up. Google Test starts such a watcher thread, so a test program that finishes within a few
# milliseconds hits it about once in 300 runs. A program's own crash never looks like this (it
# ends with its exception code), so that one death is retried once, and said.
rc=0
wine "$@" || rc=$?
if [ "$rc" = 139 ] && [ -z "${QRT_WINE_NO_RETRY:-}" ]; then
    echo "wine-run.sh: Wine itself died of SIGSEGV; running the program once more" >&2
    rc=0
    wine "$@" || rc=$?
fi
exit "$rc"
