#!/usr/bin/env bash
# The console path of the standard streams, end to end: runs the test program's console suite
# with its standard streams on a pseudo terminal, where Wine gives it a real console, and checks
# that the text came through the wide console write (a check mark survives; the code-page path
# would have turned it into "?") and that the suite passed rather than skipped.
#   stream-console.sh <wine-run.sh> <qrt-tests.exe>
set -uo pipefail
export LANG=C.UTF-8
out=$(timeout 120 script -qec "'$1' '$2' --gtest_filter=StrmWinConsole.* --gtest_color=no" /dev/null </dev/null 2>&1)
# Strip the console's escape sequences, carriage returns and blanks (the console draws some
# blanks as cursor moves, so they cannot be compared).
text=$(printf '%s' "$out" | sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/[\r ]//g')
fail=0
expect() {
    if ! grep -qF -- "$1" <<<"$text"; then
        echo "missing: $1" >&2
        fail=1
    fi
}
expect $'check:\xe2\x9c\x93'
expect 'after:ok'
expect '[PASSED]1test.'
if grep -qF -e 'nevershown' -e 'SKIPPED' -e 'check:?' <<<"$text"; then
    echo "unexpected output" >&2
    fail=1
fi
[ "$fail" = 0 ] || printf '%s\n' "$text" >&2
exit $fail
