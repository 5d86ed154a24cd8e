#!/usr/bin/env bash
# Runs every test of both builds in one ctest run: the native tests and the win32 tests under
# Wine. The Wine prefix's server is started first with stdio on /dev/null and stopped at the end.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:-build}
shift || true

# One test tree over both builds, so one summary counts both labels.
cat > "$build/CTestTestfile.cmake" <<'CT'
# Both builds' tests: `ctest -L native` or `ctest -L wine` selects one of them.
subdirs("native")
subdirs("win32")
CT

"$here/wine-prefix.sh" start
trap '"$here/wine-prefix.sh" stop' EXIT
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 300 "$@"
