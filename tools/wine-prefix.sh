#!/usr/bin/env bash
# The project's Wine prefix: created on first use under the build tree, never ~/.wine.
#   wine-prefix.sh start   create the prefix if needed and make sure its wineserver runs
#   wine-prefix.sh stop    stop this prefix's wineserver (and only this one's)
# The server and Wine's helper processes are started with stdio on /dev/null: if they inherit
# a pipe (ctest's), every program run takes about 2.5 s instead of a few tens of ms.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${QRT_WINEPREFIX:-$(dirname "$here")/build/wineprefix}
export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko installers: nothing here needs them and they would prompt.
export WINEDLLOVERRIDES="mscoree,mshtml="

case "${1:-start}" in
start)
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1 9>&-
        wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
    fi
    # Settings are applied once per prefix, also to prefixes made before they existed.
    if [ ! -f "$WINEPREFIX/.qrt-settings-1" ]; then
        # A crash or breakpoint must end in milliseconds: point the post-mortem debugger at a
        # program that does not exist (Wine reads the 64-bit view; both are set) and keep
        # winedbg's dialog off, which hangs under a display.
        for view in 64 32; do
            wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /d 'C:\windows\no-such-debugger.exe' /f /reg:$view </dev/null >/dev/null 2>&1 9>&-
        done
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            </dev/null >/dev/null 2>&1 9>&-
        wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
        touch "$WINEPREFIX/.qrt-settings-1"
    fi
    # Exit status 0: a new server was started; non-zero: one is already running.
    # The lock descriptor is closed for them: a server that inherited it would hold the lock forever.
    if wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
    ;;
stop)
    [ -d "$WINEPREFIX" ] && wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
