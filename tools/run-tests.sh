#!/usr/bin/env bash
# Runs every test of both builds in one ctest run: the native tests (label native), the win32
# tests under Wine (label wine) and the end-to-end tests of the packed stub under Wine (label
# e2e, each group in a prefix copy of its own). The project prefix's server is started first
# with stdio on /dev/null and stopped at the end. After ctest's own summary, one line per label.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:-build}
shift || true

# One test tree over both builds, so one summary counts both labels.
cat > "$build/CTestTestfile.cmake" <<'CT'
# Both builds' tests: `ctest -L native`, `ctest -L wine` or `ctest -L e2e` selects one kind.
subdirs("native")
subdirs("win32")
CT

"$here/wine-prefix.sh" start
trap '"$here/wine-prefix.sh" stop' EXIT
log=$build/last-test-run.log
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}
# Test names begin with their label ("e2e:stub-cli"); count the results per label.
awk '/Test +#[0-9]+: / {
        name = $0; sub(/.*Test +#[0-9]+: /, "", name); split(name, parts, ":"); label = parts[1]
        total[label]++; if ($0 ~ / Passed +[0-9.]+ sec/) ok[label]++
     }
     END { for (label in total) printf "label %s: %d of %d tests passed\n", label, ok[label], total[label] }' "$log" | sort
exit "$rc"
