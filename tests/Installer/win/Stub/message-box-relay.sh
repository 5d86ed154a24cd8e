#!/usr/bin/env bash
# The message boxes end to end under Wine: runs the test program's live box suite with Wine's
# relay trace of the two box calls and checks each call's owner (non-null: the desktop window),
# text, title and style, and that the silent message made no call.
#   message-box-relay.sh <wine-run.sh> <qrt-tests.exe>
set -uo pipefail
wine_run=$1
exe=$2
key='HKCU\Software\Wine\Debug'
"$wine_run" reg add "$key" /v RelayInclude /d 'user32.MessageBoxW;user32.MessageBoxA' /f >/dev/null 2>&1
trace=$(QUILSTUB_TEST_LIVE_BOXES=1 WINEDEBUG=-all,+relay timeout 120 "$wine_run" "$exe" \
    --gtest_filter=StubBoxLive.* --gtest_color=no 2>&1 </dev/null)
rc=$?
"$wine_run" reg delete "$key" /v RelayInclude /f >/dev/null 2>&1
calls=$(grep -E 'Call user32\.MessageBox[AW]\(' <<<"$trace")
fail=0
expect() {
    if ! grep -qE -- "$1" <<<"$calls"; then
        echo "missing: $1" >&2
        fail=1
    fi
}
owner='0*[1-9a-f][0-9a-f]*'
expect "MessageBoxW\\($owner,[0-9a-f]+ L\"Live failure 1\",[0-9a-f]+ L\"Quillarium Installer\",00000010\\)"
expect "MessageBoxW\\($owner,[0-9a-f]+ L\"Live syntax two\",[0-9a-f]+ L\"Quillarium Installer\",00000010\\)"
expect "MessageBoxW\\($owner,[0-9a-f]+ L\"Live notice 3\",[0-9a-f]+ L\"Quillarium Installer\",00000040\\)"
expect "MessageBoxA\\($owner,[0-9a-f]+ \"Live narrow .*\",[0-9a-f]+ \"Quillarium Installer\",00000010\\)"
if [ "$(wc -l <<<"$calls")" != 4 ] || grep -q 'Live silent' <<<"$calls"; then
    echo "expected exactly four box calls" >&2
    fail=1
fi
if [ $rc != 0 ] || ! grep -q '\[  PASSED  \] 1 test' <<<"$trace"; then
    echo "the live box suite did not pass (exit $rc)" >&2
    fail=1
fi
[ "$fail" = 0 ] || printf '%s\n' "$calls" "$(grep -E '^\[' <<<"$trace")" >&2
exit $fail
