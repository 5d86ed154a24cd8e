#!/usr/bin/env bash
# Checks that a Windows program imports from KERNEL32.dll and msvcrt.dll only.
#   check-imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1
prog=$2
dlls=$("$objdump" -p "$prog" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
bad=$(printf '%s\n' "$dlls" | grep -v -i -x -e 'KERNEL32.dll' -e 'msvcrt.dll' || true)
if [ -z "$dlls" ]; then
    echo "$prog: no import table found" >&2
    exit 1
fi
if [ -n "$bad" ]; then
    echo "$prog imports more than KERNEL32.dll and msvcrt.dll:" >&2
    printf '  %s\n' $bad >&2
    exit 1
fi
echo "$prog imports: $(echo $dlls)"
