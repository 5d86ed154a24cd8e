// Native path forms, the current directory and renaming on Windows.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "common/path/path-internal.h"
#include "r3/nt/path-nt-internal.h"
#include "r3/win/path-win-internal.h"

#include <windows.h>
#include <string.h>

#define RTPATHWIN_TAG "Runtime/r3/win/path-win"

static bool rtPathWinIsSep(RTUTF16 wc) {
    return wc == '\\' || wc == '/';
}

static bool rtPathWinIsDrive(const RTUTF16 *pwsz) {
    return ((pwsz[0] >= 'A' && pwsz[0] <= 'Z') || (pwsz[0] >= 'a' && pwsz[0] <= 'z')) && pwsz[1] == ':';
}

int rtPathWinShortForm(RTUTF16 **ppwszShort, const char *pszPath) {
    *ppwszShort = NULL;
    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    int rc = RTStrToUtf16ExTag(pszPath, RTSTR_MAX, &pwsz, 0, &cwc, RTPATHWIN_TAG);
    if (RT_FAILURE(rc)) return rc;

    // The limits keep every form below MAX_PATH once Win32 has expanded it.
    bool fShort = false;
    if (cwc <= 243) {
        if (rtPathWinIsDrive(pwsz)) {
            if (rtPathWinIsSep(pwsz[2]))
                fShort = true;
            else {
                // Drive-relative: only the expansion tells how long it really is.
                WCHAR awc[261];
                DWORD const cwcFull = GetFullPathNameW((LPCWSTR)pwsz, RT_ELEMENTS(awc), awc, NULL);
                if (cwcFull > 0 && cwcFull <= 243) {
                    RTUTF16 *pwszFull = RTUtf16DupTag((const RTUTF16 *)awc, RTPATHWIN_TAG);
                    if (!pwszFull) {
                        RTUtf16Free(pwsz);
                        return QERR_NO_TMP_MEMORY;
                    }
                    RTUtf16Free(pwsz);
                    pwsz = pwszFull;
                    fShort = true;
                }
            }
        } else if (rtPathWinIsSep(pwsz[0]) && rtPathWinIsSep(pwsz[1])) {
            if (pwsz[2] == 0 || rtPathWinIsSep(pwsz[2]))
                fShort = cwc <= 241;
            else if (pwsz[2] == '?' && !rtPathWinIsSep(pwsz[3]) && pwsz[3] != 0)
                fShort = true;
            else
                fShort = cwc <= 240; // '\\?\...' and UNC
        } else if (rtPathWinIsSep(pwsz[0]))
            fShort = cwc <= 241;
        else
            fShort = GetCurrentDirectoryW(0, NULL) + cwc <= 242;
    }
    if (fShort)
        *ppwszShort = pwsz;
    else
        RTUtf16Free(pwsz);
    return QINF_SUCCESS;
}

int rtPathWinToNative(RTUTF16 **ppwszNative, const char *pszPath) {
    *ppwszNative = NULL;
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    int rc = rtPathWinShortForm(ppwszNative, pszPath);
    if (RT_FAILURE(rc) || *ppwszNative) return rc;

    // Long: the NT name with '\??\' turned into '\\?\', which Win32 passes on verbatim.
    UNICODE_STRING NtName;
    rc = rtNtPathFromUtf8(&NtName, pszPath);
    if (RT_FAILURE(rc)) return rc;
    PWSTR pwsz = NtName.Buffer;
    if (NtName.Length >= 4 * sizeof(WCHAR) && pwsz[0] == '\\' && pwsz[1] == '?' && pwsz[2] == '?' && pwsz[3] == '\\' &&
        pwsz[NtName.Length / sizeof(WCHAR)] == 0) {
        pwsz[1] = '\\';
        *ppwszNative = (RTUTF16 *)pwsz;
        return QINF_SUCCESS;
    }
    rtNtPathFree(&NtName);
    return QERR_FILENAME_TOO_LONG;
}

// Converts a wide path to UTF-8 into the caller's buffer, with an a-z drive letter made upper
// case when fUpperDrive is set.
static int rtPathWinToUtf8Buf(WCHAR *pwsz, bool fUpperDrive, char *pszPath, size_t cbPath) {
    if (fUpperDrive && pwsz[0] >= 'a' && pwsz[0] <= 'z' && pwsz[1] == ':') pwsz[0] = (WCHAR)(pwsz[0] - 'a' + 'A');
    return RTUtf16ToUtf8ExTag((const RTUTF16 *)pwsz, RTSTR_MAX, &pszPath, cbPath, NULL, RTPATHWIN_TAG);
}

// GetFullPathNameW into a 4100-unit buffer, with its failures made definite.
static int rtPathWinFullPath(const WCHAR *pwszPath, WCHAR *pwszFull) {
    SetLastError(NO_ERROR);
    DWORD const cwc = GetFullPathNameW(pwszPath, RTPATH_BUF_SIZE, pwszFull, NULL);
    if (cwc == 0) {
        DWORD const dwErr = GetLastError();
        return dwErr == NO_ERROR ? QERR_INVALID_NAME : RTErrConvertFromWin32(dwErr);
    }
    return cwc < RTPATH_BUF_SIZE ? QINF_SUCCESS : QERR_FILENAME_TOO_LONG;
}

int RTPathGetCurrent(char *pszPath, size_t cbPath) {
    if (cbPath == 0) return QERR_BUFFER_OVERFLOW;
    WCHAR awcCwd[RTPATH_BUF_SIZE];
    DWORD const cwc = GetCurrentDirectoryW(RT_ELEMENTS(awcCwd), awcCwd);
    if (cwc == 0) return RTErrConvertFromWin32(GetLastError());
    // A larger answer is the size it would need.
    if (cwc >= RT_ELEMENTS(awcCwd)) return QERR_FILENAME_TOO_LONG;
    WCHAR awcFull[RTPATH_BUF_SIZE];
    int rc = rtPathWinFullPath(awcCwd, awcFull);
    if (RT_FAILURE(rc)) return rc;
    return rtPathWinToUtf8Buf(awcFull, true, pszPath, cbPath);
}

int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath) {
    if (cbPath == 0) return QERR_BUFFER_OVERFLOW;
    WCHAR const awcDrive[3] = {(WCHAR)(unsigned char)chDrive, ':', 0};
    WCHAR awcFull[RTPATH_BUF_SIZE];
    int rc = rtPathWinFullPath(awcDrive, awcFull);
    if (RT_FAILURE(rc)) return rc;
    return rtPathWinToUtf8Buf(awcFull, false, pszPath, cbPath);
}

int RTPathSetCurrent(const char *pszPath) {
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    if (!*pszPath) return QERR_INVALID_PARAMETER;
    RTUTF16 *pwsz = NULL;
    int rc = rtPathWinToNative(&pwsz, pszPath);
    if (RT_FAILURE(rc)) return rc;
    size_t const cwc = RTUtf16Len(pwsz);
    if (cwc >= 2 && rtPathWinIsSep(pwsz[cwc - 1]) && pwsz[cwc - 2] != ':') pwsz[cwc - 1] = 0;
    if (!SetCurrentDirectoryW((LPCWSTR)pwsz)) rc = RTErrConvertFromWin32(GetLastError());
    RTUtf16Free(pwsz);
    return rc;
}

int RTPathRename(const char *pszSrc, const char *pszDst, uint32_t fRename, uint32_t fType) {
    if (!RT_VALID_PTR(pszSrc) || !RT_VALID_PTR(pszDst)) return QERR_INVALID_POINTER;
    RTUTF16 *pwszSrc = NULL;
    RTUTF16 *pwszDst = NULL;
    int rc = rtPathWinToNative(&pwszSrc, pszSrc);
    if (RT_SUCCESS(rc)) rc = rtPathWinToNative(&pwszDst, pszDst);
    if (RT_SUCCESS(rc) && fType != RTPATH_RENAME_TYPE_ANY) {
        // The same native form as the move itself, so both see the same object.
        DWORD const fAttr = GetFileAttributesW((LPCWSTR)pwszSrc);
        if (fAttr == INVALID_FILE_ATTRIBUTES)
            rc = RTErrConvertFromWin32(GetLastError());
        else
            rc = rtPathRenameCheckType((fAttr & FILE_ATTRIBUTE_DIRECTORY) != 0, fType);
    }
    if (RT_SUCCESS(rc) && !MoveFileExW((LPCWSTR)pwszSrc, (LPCWSTR)pwszDst, fRename))
        rc = RTErrConvertFromWin32(GetLastError());
    RTUtf16Free(pwszDst);
    RTUtf16Free(pwszSrc);
    return rc;
}
