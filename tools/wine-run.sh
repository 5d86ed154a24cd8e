#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix; CMake uses it as the emulator
# for the win32 build's tests.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/wine-prefix.sh" start
export WINEPREFIX=${QRT_WINEPREFIX:-$(dirname "$here")/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
exec wine "$@"
