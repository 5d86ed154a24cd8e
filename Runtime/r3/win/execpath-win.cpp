// The executable's path on Windows: the process module's file name, in UTF-8.
#include <qrt/err.h>
#include <qrt/utf16.h>

#include "r3/init-internal.h"

#include <windows.h>

#define RTEXECPATHWIN_TAG "Runtime/r3/win/execpath-win"

int rtR3ExecPathQuery(char *pszPath, size_t cbPath, size_t *poffName) {
    *poffName = 0;
    WCHAR wszPath[4100];
    DWORD const cwc = GetModuleFileNameW(NULL, wszPath, RT_ELEMENTS(wszPath));
    if (cwc == 0) {
        int rc = RTErrConvertFromWin32(GetLastError());
        return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
    }
    // A full buffer means the name was cut.
    if (cwc >= RT_ELEMENTS(wszPath)) return QERR_BUFFER_OVERFLOW;
    int rc = RTUtf16ToUtf8ExTag((const RTUTF16 *)wszPath, cwc, &pszPath, cbPath, NULL, RTEXECPATHWIN_TAG);
    if (RT_FAILURE(rc)) return rc;
    size_t off = 0;
    for (size_t i = 0; pszPath[i] != '\0'; i++)
        if (pszPath[i] == '\\' || pszPath[i] == '/' || pszPath[i] == ':') off = i + 1;
    *poffName = off;
    return QINF_SUCCESS;
}
