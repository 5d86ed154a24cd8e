// Directories on Windows: created through Win32, held open through the NT layer.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/utf16.h>

#include "r3/dir-internal.h"
#include "r3/nt/path-nt-internal.h"
#include "r3/win/fscalls-win-internal.h"
#include "r3/win/path-win-internal.h"

int rtDirNativeCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate) {
    RT_NOREF(fMode); // a new directory gets its parent's default security
    RTUTF16 *pwszPath = NULL;
    int rc = rtPathWinToNative(&pwszPath, pszPath);
    if (RT_FAILURE(rc)) return rc;
    if (!g_rtFsCalls.pfnCreateDirectoryW((LPCWSTR)pwszPath, NULL))
        rc = RTErrConvertFromWin32(GetLastError());
    else if (!(fCreate & RTDIRCREATE_FLAGS_KEEP_INDEXED) &&
             !g_rtFsCalls.pfnSetFileAttributesW((LPCWSTR)pwszPath, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED) &&
             !(fCreate & RTDIRCREATE_FLAGS_INDEXING_OPTIONAL)) {
        // The error first, then take the directory away again: a caller that sees a failure
        // has nothing to clean up, and a unique name nobody knows never stays behind.
        rc = RTErrConvertFromWin32(GetLastError());
        g_rtFsCalls.pfnRemoveDirectoryW((LPCWSTR)pwszPath);
    }
    RTUtf16Free(pwszPath);
    return rc;
}

int RTDirRemove(const char *pszPath) {
    RTUTF16 *pwszPath = NULL;
    int rc = rtPathWinToNative(&pwszPath, pszPath);
    if (RT_FAILURE(rc)) return rc;
    if (!g_rtFsCalls.pfnRemoveDirectoryW((LPCWSTR)pwszPath)) rc = RTErrConvertFromWin32(GetLastError());
    RTUtf16Free(pwszPath);
    return rc;
}

char *rtDirNativeAbsPath(const char *pszPath) {
    return RTPathAbsExDup(NULL, pszPath, RTPATH_STYLE_HOST | RTPATHABS_F_TRAILING_SEP);
}

// Opens the directory pszPath, without traversal rights when those are refused.
static int rtDirWinOpen(const char *pszPath, HANDLE *phDir) {
    // No delete sharing: while the handle is open the directory can be neither removed nor
    // renamed, by anyone.
    ULONG const fShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    ULONG const fOptions = FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
    int rc = rtNtPathOpen(pszPath, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, fShare,
                          fOptions, OBJ_CASE_INSENSITIVE, phDir, NULL);
    if (rc == QERR_ACCESS_DENIED)
        rc = rtNtPathOpen(pszPath, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, fShare, fOptions,
                          OBJ_CASE_INSENSITIVE, phDir, NULL);
    return rc;
}

int rtDirNativeOpen(RTDIRINTERNAL *pDir) {
    HANDLE hDir = INVALID_HANDLE_VALUE;
    int rc = rtDirWinOpen(pDir->pszPath, &hDir);
    if (rc == QERR_INVALID_NAME && pDir->cchPath > 3 && pDir->pszPath[pDir->cchPath - 1] == '\\') {
        // A file followed by a separator is no valid name to Windows. Asked once more without
        // the separator, it says what is really there: no directory.
        pDir->pszPath[pDir->cchPath - 1] = '\0';
        rc = rtDirWinOpen(pDir->pszPath, &hDir);
        pDir->pszPath[pDir->cchPath - 1] = '\\';
        if (RT_SUCCESS(rc)) {
            g_rtFsCalls.pfnNtClose(hDir); // only the name was wrong after all: keep the first answer
            rc = QERR_INVALID_NAME;
        }
    }
    if (RT_SUCCESS(rc)) pDir->hNative = (intptr_t)hDir;
    return rc;
}

void rtDirNativeClose(RTDIRINTERNAL *pDir) {
    if (pDir->hNative != RTDIR_NATIVE_NONE) g_rtFsCalls.pfnNtClose((HANDLE)pDir->hNative);
}
