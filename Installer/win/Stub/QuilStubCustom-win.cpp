// Listing and deleting inside the ".custom" copy on Windows. Paths get backslashes and, when
// absolute with a drive, the "\\?\" prefix, so that a copy deeper than MAX_PATH can be removed.
#define QUILSTUB_CUSTOM_WIN_TAG "Installer/win/Stub/QuilStubCustom-win"
#define RTMEM_TAG QUILSTUB_CUSTOM_WIN_TAG

#include "QuilStubCustom-internal.h"

#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <windows.h>

namespace {

struct StubWinEnum {
    HANDLE hFind;
    bool fHaveFirst; // Data holds an entry not handed out yet
    WIN32_FIND_DATAW Data;
};

// pszPath as a new UTF-16 string for the platform, with pszAppend (ASCII) after it.
WCHAR *stubWinPath(const char *pszPath, const char *pszAppend) {
    static const char s_szPrefix[] = "\\\\?\\";
    bool const fDrive = pszPath[0] && pszPath[1] == ':' && (pszPath[2] == '\\' || pszPath[2] == '/');
    size_t const cch = strlen(pszPath);
    char *psz = (char *)RTMemAlloc(sizeof(s_szPrefix) + cch + strlen(pszAppend) + 1);
    if (!psz) return NULL;
    char *pszDst = psz;
    if (fDrive) pszDst = (char *)memcpy(pszDst, s_szPrefix, sizeof(s_szPrefix) - 1) + sizeof(s_szPrefix) - 1;
    memcpy(pszDst, pszPath, cch);
    strcpy(pszDst + cch, pszAppend);
    for (char *pch = pszDst; *pch; pch++)
        if (*pch == '/') *pch = '\\';
    RTUTF16 *pwsz = NULL;
    int rc = RTStrToUtf16(psz, &pwsz);
    RTMemFree(psz);
    return RT_SUCCESS(rc) ? (WCHAR *)pwsz : NULL;
}

int stubWinEnumOpen(const char *pszDir, void **phEnum) {
    WCHAR *pwszPattern = stubWinPath(pszDir, "\\*");
    if (!pwszPattern) return QERR_NO_MEMORY;
    StubWinEnum *pEnum = (StubWinEnum *)RTMemAllocZ(sizeof(*pEnum));
    if (!pEnum) {
        RTUtf16Free((RTUTF16 *)pwszPattern);
        return QERR_NO_MEMORY;
    }
    pEnum->hFind = FindFirstFileExW(pwszPattern, FindExInfoStandard, &pEnum->Data, FindExSearchNameMatch, NULL, 0);
    DWORD const dwErr = GetLastError();
    RTUtf16Free((RTUTF16 *)pwszPattern);
    if (pEnum->hFind == INVALID_HANDLE_VALUE) {
        RTMemFree(pEnum);
        return RTErrConvertFromWin32(dwErr);
    }
    pEnum->fHaveFirst = true;
    *phEnum = pEnum;
    return QINF_SUCCESS;
}

int stubWinEnumNext(void *hEnum, char *pszPath, size_t cbPath, size_t offName, StubTreeKind *penmKind) {
    StubWinEnum *pEnum = (StubWinEnum *)hEnum;
    for (;;) {
        if (!pEnum->fHaveFirst && !FindNextFileW(pEnum->hFind, &pEnum->Data)) {
            DWORD const dwErr = GetLastError();
            return dwErr == ERROR_NO_MORE_FILES ? QERR_NO_MORE_FILES : RTErrConvertFromWin32(dwErr);
        }
        pEnum->fHaveFirst = false;
        const WCHAR *pwszName = pEnum->Data.cFileName;
        if (pwszName[0] == '.' && (!pwszName[1] || (pwszName[1] == '.' && !pwszName[2]))) continue;
        char *pszName = pszPath + offName;
        int rc = RTUtf16ToUtf8Ex((const RTUTF16 *)pwszName, RTSTR_MAX, &pszName, cbPath - offName, NULL);
        if (RT_FAILURE(rc)) return rc;
        DWORD const fAttr = pEnum->Data.dwFileAttributes;
        if (fAttr & FILE_ATTRIBUTE_REPARSE_POINT)
            *penmKind = fAttr & FILE_ATTRIBUTE_DIRECTORY ? kStubTreeDirLink : kStubTreeFileLink;
        else
            *penmKind = fAttr & FILE_ATTRIBUTE_DIRECTORY ? kStubTreeDir : kStubTreeFile;
        return QINF_SUCCESS;
    }
}

void stubWinEnumClose(void *hEnum) {
    StubWinEnum *pEnum = (StubWinEnum *)hEnum;
    FindClose(pEnum->hFind);
    RTMemFree(pEnum);
}

// Calls pfnRemove on the path; when it is refused, clears the read-only and other attributes
// (copied from the source) and tries once more.
int stubWinRemove(const char *pszPath, BOOL(WINAPI *pfnRemove)(LPCWSTR)) {
    WCHAR *pwszPath = stubWinPath(pszPath, "");
    if (!pwszPath) return QERR_NO_MEMORY;
    BOOL fOk = pfnRemove(pwszPath);
    DWORD dwErr = fOk ? 0 : GetLastError();
    if (!fOk && dwErr == ERROR_ACCESS_DENIED && SetFileAttributesW(pwszPath, FILE_ATTRIBUTE_NORMAL)) {
        fOk = pfnRemove(pwszPath);
        dwErr = fOk ? 0 : GetLastError();
    }
    RTUtf16Free((RTUTF16 *)pwszPath);
    return fOk ? QINF_SUCCESS : RTErrConvertFromWin32(dwErr);
}

int stubWinDeleteFile(const char *pszPath) {
    return stubWinRemove(pszPath, DeleteFileW);
}

int stubWinRemoveDir(const char *pszPath) {
    return stubWinRemove(pszPath, RemoveDirectoryW);
}

} // namespace

StubCustomCalls g_StubCustomCalls = {RTPathExecDir,    stubWinEnumOpen,   stubWinEnumNext,
                                     stubWinEnumClose, stubWinDeleteFile, stubWinRemoveDir};
