// The executable's path on Windows: the process module's file name, in UTF-8.
#include <qrt/err.h>

#include "r3/init-internal.h"

#include <windows.h>

int rtR3ExecPathQuery(char *pszPath, size_t cbPath, size_t *poffName) {
    *poffName = 0;
    WCHAR wszPath[4100];
    DWORD const cwc = GetModuleFileNameW(NULL, wszPath, RT_ELEMENTS(wszPath));
    if (cwc == 0) {
        int rc = RTErrConvertFromWin32(GetLastError());
        return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
    }
    return rtR3ExecPathFromUtf16((const RTUTF16 *)wszPath, cwc, RT_ELEMENTS(wszPath), pszPath, cbPath, poffName);
}
