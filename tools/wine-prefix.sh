#!/usr/bin/env bash
# A Wine prefix of the project: created on first use under the build tree, never ~/.wine.
#   wine-prefix.sh start       create the prefix if needed and make sure its wineserver runs
#   wine-prefix.sh stop        stop this prefix's wineserver (and only this one's)
#   wine-prefix.sh copy DEST   create the prefix if needed (a template), let its server end, and
#                              copy it to DEST with cp -a (never hard links: Wine rewrites its
#                              registry files in place, which would change the template too)
# QRT_WINEPREFIX names the prefix (default: build/wineprefix of this tree) and QRT_WINEARCH its
# kind (win64, the default, or win32). Creation, settings and copies run under a lock beside
# the prefix, so parallel users wait for a complete prefix.
# The server and Wine's helper processes are started with stdio on /dev/null: if they inherit
# a pipe (ctest's), every program run takes about 2.5 s instead of a few tens of ms.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${QRT_WINEPREFIX:-$(dirname "$here")/build/wineprefix}
export WINEDEBUG=-all
export WINEARCH=${QRT_WINEARCH:-win64}
# No Mono or Gecko installers: nothing here needs them and they would prompt.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Runs quietly with the lock descriptor closed: a server that inherited it would hold the
# lock forever.
quiet() { "$@" </dev/null >/dev/null 2>&1 9>&-; }

# Makes the prefix and applies the settings; the caller holds the lock.
ensure_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        quiet wineboot -i
        quiet wineserver -w || true
    fi
    # Settings are applied once per prefix, also to prefixes made before they existed.
    if [ ! -f "$WINEPREFIX/.qrt-settings-1" ]; then
        # A crash or breakpoint must end in milliseconds: point the post-mortem debugger at a
        # program that does not exist (a 64-bit prefix's Wine reads the 64-bit view, so both
        # are set there) and keep winedbg's dialog off, which hangs under a display.
        views="64 32"
        [ "$WINEARCH" = win32 ] && views=32
        for view in $views; do
            quiet wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /d 'C:\windows\no-such-debugger.exe' /f /reg:$view
        done
        quiet wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        quiet wineserver -w || true
        touch "$WINEPREFIX/.qrt-settings-1"
    fi
}

lock() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
}

case "${1:-start}" in
start)
    lock
    ensure_prefix
    # Exit status 0: a new server was started; non-zero: one is already running.
    if quiet wineserver -p; then
        quiet wine cmd /c exit || true
    fi
    ;;
stop)
    [ -d "$WINEPREFIX" ] && wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
copy)
    dest=${2:?usage: $0 copy DEST}
    lock
    ensure_prefix
    # Copy a prefix at rest: a running server may still write the registry.
    quiet wineserver -w || true
    rm -rf "$dest"
    mkdir -p "$(dirname "$dest")"
    cp -a "$WINEPREFIX" "$dest"
    ;;
*)
    echo "usage: $0 start|stop|copy DEST" >&2
    exit 2
    ;;
esac
