// Conversions between UTF-8 and the process's ANSI code page, through UTF-16.
#include <qrt/string.h>
#include <qrt/utf16.h>
#include <qrt/mem.h>
#include <qrt/err.h>

#include <windows.h>

// Tag of the intermediate UTF-16 buffers this file allocates.
#define RTUTF8WIN_TAG "Runtime/r3/win/utf8-win"

// A new zero-filled one-byte string, the result of converting empty text.
static int rtStrCpEmpty(char **ppszString, const char *pszTag) {
    *ppszString = (char *)RTMemAllocZTag(1, pszTag);
    return *ppszString ? QINF_SUCCESS : QERR_NO_TMP_MEMORY;
}

int RTStrUtf8ToCurrentCPExTag(char **ppszString, const char *pszString, size_t cchString, const char *pszTag) {
    *ppszString = NULL;
    if (cchString == 0 || !*pszString) return rtStrCpEmpty(ppszString, pszTag);

    RTUTF16 *pwsz = NULL;
    int rc = RTStrToUtf16ExTag(pszString, cchString, &pwsz, 0, NULL, RTUTF8WIN_TAG);
    if (RT_FAILURE(rc)) return rc;

    int cb = WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)pwsz, -1, NULL, 0, NULL, NULL);
    if (cb > 0) {
        char *psz = (char *)RTMemAllocTag((size_t)cb, pszTag);
        if (psz) {
            if (WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)pwsz, -1, psz, cb, NULL, NULL) > 0)
                *ppszString = psz;
            else {
                rc = RTErrConvertFromWin32(GetLastError());
                RTMemFree(psz);
            }
        } else
            rc = QERR_NO_TMP_MEMORY;
    } else
        rc = RTErrConvertFromWin32(GetLastError());
    RTUtf16Free(pwsz);
    return rc;
}

int RTStrCurrentCPToUtf8Tag(char **ppszString, const char *pszString, const char *pszTag) {
    *ppszString = NULL;
    if (!*pszString) return rtStrCpEmpty(ppszString, pszTag);

    int cwc = MultiByteToWideChar(CP_ACP, 0, pszString, -1, NULL, 0);
    if (cwc <= 0) return RTErrConvertFromWin32(GetLastError());
    RTUTF16 *pwsz = (RTUTF16 *)RTMemTmpAllocTag((size_t)cwc * sizeof(RTUTF16), RTUTF8WIN_TAG);
    if (!pwsz) return QERR_NO_TMP_MEMORY;
    int rc;
    if (MultiByteToWideChar(CP_ACP, 0, pszString, -1, (LPWSTR)pwsz, cwc) > 0)
        rc = RTUtf16ToUtf8Tag(pwsz, ppszString, pszTag);
    else
        rc = RTErrConvertFromWin32(GetLastError());
    RTMemTmpFree(pwsz);
    return rc;
}
