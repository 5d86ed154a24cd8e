// Describing the object a path names, over statx.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "r3/fs-internal.h"
#include "r3/posix/fs-posix-internal.h"
#include "r3/posix/fscalls-posix-internal.h"
#include "r3/posix/path-posix-internal.h"

#include <errno.h>

int RTPathQueryInfoEx(const char *pszPath, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional, uint32_t fFlags) {
    int rc = rtPathQueryInfoCheckArgs(pszPath, pObjInfo, enmAdditional, fFlags);
    if (RT_FAILURE(rc)) return rc;
    char *pszNative = NULL;
    rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    struct statx Stx;
    int const fAt = fFlags & RTPATH_F_ON_LINK ? AT_SYMLINK_NOFOLLOW : 0;
    if (g_rtFsCalls.pfnStatx(AT_FDCWD, pszNative, fAt, RTFS_POSIX_STATX_MASK, &Stx) != 0)
        rc = RTErrConvertFromErrno(errno);
    else
        rtFsPosixObjInfoFromStatx(&Stx, pObjInfo, enmAdditional);
    RTStrFree(pszNative);
    return rc;
}
