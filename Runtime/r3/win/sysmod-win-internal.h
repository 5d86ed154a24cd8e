// Optional functions of the system libraries the process already has loaded (kernel32, ntdll),
// found by name so that the program still starts where a Windows version lacks them. One place
// for these look-ups, until the native loader's system-symbol query takes them over.
#pragma once

#include <qrt/types.h>

// The address of pszSymbol in the loaded module pwszModule (e.g. L"kernel32.dll"), or null when
// the module is not loaded or does not export it. Never loads anything.
void *rtWinGetSystemSymbol(const wchar_t *pwszModule, const char *pszSymbol);
