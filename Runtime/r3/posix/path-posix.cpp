// Current directory and renaming over POSIX.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"
#include "r3/posix/path-posix-internal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define RTPATHPOSIX_TAG "Runtime/r3/posix/path-posix"

static const char *g_pszRtPathTestCwd;
static const char *g_apszRtPathTestDrives[26];

void rtPathPosixTestSetCurrent(const char *pszCwd) {
    g_pszRtPathTestCwd = pszCwd;
    if (!pszCwd) memset(g_apszRtPathTestDrives, 0, sizeof(g_apszRtPathTestDrives));
}

void rtPathPosixTestSetDriveCurrent(char chDrive, const char *pszCwd) {
    if (rtPathIsAsciiLetter(chDrive)) g_apszRtPathTestDrives[(chDrive | 0x20) - 'a'] = pszCwd;
}

int rtPathPosixToNative(char **ppszNative, const char *pszPath) {
    char *psz = RTStrDupTag(pszPath, RTPATHPOSIX_TAG);
    *ppszNative = psz;
    if (!psz) return QERR_NO_STR_MEMORY;
    for (; *psz; psz++)
        if (*psz == '\\') *psz = '/';
    return QINF_SUCCESS;
}

int RTPathGetCurrent(char *pszPath, size_t cbPath) {
    if (cbPath == 0) return QERR_BUFFER_OVERFLOW;
    char szCwd[RTPATH_BUF_SIZE];
    const char *pszCwd = g_pszRtPathTestCwd;
    if (!pszCwd) {
        if (!getcwd(szCwd, sizeof(szCwd)))
            return errno == ERANGE ? QERR_FILENAME_TOO_LONG : RTErrConvertFromErrno(errno);
        pszCwd = szCwd;
    }
    if (RTStrCopy(pszPath, cbPath, pszCwd) != QINF_SUCCESS) return QERR_BUFFER_OVERFLOW;
    // As on Windows, a drive letter is reported in upper case.
    if (pszPath[0] >= 'a' && pszPath[0] <= 'z' && pszPath[1] == ':') pszPath[0] = (char)(pszPath[0] - 'a' + 'A');
    return QINF_SUCCESS;
}

int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath) {
    if (cbPath == 0) return QERR_BUFFER_OVERFLOW;
    const char *pszCwd = NULL;
    if (rtPathIsAsciiLetter(chDrive)) {
        pszCwd = g_apszRtPathTestDrives[(chDrive | 0x20) - 'a'];
        if (!pszCwd && g_pszRtPathTestCwd && rtPathIsDriveSpec(g_pszRtPathTestCwd) &&
            (g_pszRtPathTestCwd[0] | 0x20) == (chDrive | 0x20))
            pszCwd = g_pszRtPathTestCwd;
    }
    // A drive without a current directory of its own is at its root.
    char szRoot[4] = {chDrive, ':', '\\', '\0'};
    return RTStrCopy(pszPath, cbPath, pszCwd ? pszCwd : szRoot) == QINF_SUCCESS ? QINF_SUCCESS : QERR_BUFFER_OVERFLOW;
}

int RTPathSetCurrent(const char *pszPath) {
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    if (!*pszPath) return QERR_INVALID_PARAMETER;
    char *pszNative = NULL;
    int rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    size_t const cch = strlen(pszNative);
    if (cch >= 2 && pszNative[cch - 1] == '/' && pszNative[cch - 2] != ':') pszNative[cch - 1] = '\0';
    if (chdir(pszNative) != 0) rc = RTErrConvertFromErrno(errno);
    RTStrFree(pszNative);
    return rc;
}

int RTPathRename(const char *pszSrc, const char *pszDst, uint32_t fRename, uint32_t fType) {
    if (!RT_VALID_PTR(pszSrc) || !RT_VALID_PTR(pszDst)) return QERR_INVALID_POINTER;
    char *pszNativeSrc = NULL;
    char *pszNativeDst = NULL;
    int rc = rtPathPosixToNative(&pszNativeSrc, pszSrc);
    if (RT_SUCCESS(rc)) rc = rtPathPosixToNative(&pszNativeDst, pszDst);
    if (RT_SUCCESS(rc) && fType != RTPATH_RENAME_TYPE_ANY) {
        struct stat St;
        if (lstat(pszNativeSrc, &St) != 0)
            rc = RTErrConvertFromErrno(errno);
        else
            rc = rtPathRenameCheckType(S_ISDIR(St.st_mode), fType);
    }
    if (RT_SUCCESS(rc)) {
        // rename() replaces silently; without the replace flag the destination must stay.
        int iRet = fRename & RTPATH_RENAME_REPLACE
                       ? rename(pszNativeSrc, pszNativeDst)
                       : renameat2(AT_FDCWD, pszNativeSrc, AT_FDCWD, pszNativeDst, RENAME_NOREPLACE);
        if (iRet != 0) rc = RTErrConvertFromErrno(errno);
    }
    RTStrFree(pszNativeDst);
    RTStrFree(pszNativeSrc);
    return rc;
}
