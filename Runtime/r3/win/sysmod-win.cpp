// Optional system functions looked up by name.
#include "r3/win/sysmod-win-internal.h"

#include <windows.h>

void *rtWinGetSystemSymbol(const wchar_t *pwszModule, const char *pszSymbol) {
    HMODULE hMod = GetModuleHandleW(pwszModule);
    return hMod ? (void *)GetProcAddress(hMod, pszSymbol) : NULL;
}
