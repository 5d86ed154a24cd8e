// Directories over POSIX. A held directory here only keeps its handle: POSIX has no way to
// stop others from removing or renaming it.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "r3/dir-internal.h"
#include "r3/posix/fscalls-posix-internal.h"
#include "r3/posix/path-posix-internal.h"

#include <errno.h>

int rtDirNativeCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate) {
    RT_NOREF(fCreate); // no indexing attribute here
    char *pszNative = NULL;
    int rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    // mkdir() finding no such file means a directory on the way is missing, as on Windows.
    if (g_rtFsCalls.pfnMkdir(pszNative, fMode & RTFS_UNIX_MASK) != 0)
        rc = errno == ENOENT ? QERR_PATH_NOT_FOUND : RTErrConvertFromErrno(errno);
    RTStrFree(pszNative);
    return rc;
}

int RTDirRemove(const char *pszPath) {
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    char *pszNative = NULL;
    int rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    if (g_rtFsCalls.pfnRmdir(pszNative) != 0) rc = RTErrConvertFromErrno(errno);
    RTStrFree(pszNative);
    return rc;
}

char *rtDirNativeAbsPath(const char *pszPath) {
    char *pszNative = NULL;
    if (RT_FAILURE(rtPathPosixToNative(&pszNative, pszPath))) return NULL;
    char *pszAbs = RTPathAbsExDup(NULL, pszNative, RTPATH_STYLE_UNIX | RTPATHABS_F_TRAILING_SEP);
    RTStrFree(pszNative);
    return pszAbs;
}

int rtDirNativeOpen(RTDIRINTERNAL *pDir) {
    int fd;
    do fd = g_rtFsCalls.pfnOpen(pDir->pszPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    while (fd < 0 && errno == EINTR);
    // What is there is not a directory (Windows says the same), not a missing path.
    if (fd < 0) return errno == ENOTDIR ? QERR_NOT_A_DIRECTORY : RTErrConvertFromErrno(errno);
    pDir->hNative = fd;
    return QINF_SUCCESS;
}

void rtDirNativeClose(RTDIRINTERNAL *pDir) {
    if (pDir->hNative != RTDIR_NATIVE_NONE) g_rtFsCalls.pfnClose((int)pDir->hNative);
}
