// Files over POSIX. Sharing modes do not exist here: the sharing bits are checked and ignored.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/string.h>

#include "r3/file-internal.h"
#include "r3/fs-internal.h"
#include "r3/posix/fs-posix-internal.h"
#include "r3/posix/fscalls-posix-internal.h"
#include "r3/posix/path-posix-internal.h"

#include <errno.h>
#include <linux/magic.h>

static inline int rtFilePosixFd(RTFILE hFile) {
    return (int)(intptr_t)hFile;
}

int RTFileOpen(RTFILE *phFile, const char *pszPath, uint64_t fOpen) {
    if (!RT_VALID_PTR(phFile)) return QERR_INVALID_PARAMETER;
    *phFile = NIL_RTFILE;
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_PARAMETER;
    int rc = rtFileValidateOpenFlags(&fOpen);
    if (RT_FAILURE(rc)) return rc;
    uint32_t const fOpen32 = (uint32_t)fOpen;

    int fFlags = fOpen32 & RTFOPEN_INHERIT ? 0 : O_CLOEXEC;
    switch (fOpen32 & RTFOPEN_ACCESS_MASK) {
    case RTFOPEN_WRITE:
        fFlags |= O_WRONLY;
        break;
    case RTFOPEN_READWRITE:
        fFlags |= O_RDWR;
        break;
    default:
        fFlags |= O_RDONLY;
        break; // read, or attributes only
    }
    if (fOpen32 & RTFOPEN_APPEND) fFlags |= O_APPEND;
    switch (fOpen32 & RTFOPEN_ACTION_MASK) {
    case RTFOPEN_OPEN_CREATE:
        fFlags |= O_CREAT;
        break;
    case RTFOPEN_CREATE:
        fFlags |= O_CREAT | O_EXCL;
        break;
    case RTFOPEN_CREATE_REPLACE:
        fFlags |= O_CREAT | O_TRUNC;
        break;
    case RTFOPEN_OPEN:
        break;
    default:
        return QERR_INVALID_FLAGS;
    }
    if (fOpen32 & RTFOPEN_TRUNCATE) fFlags |= O_TRUNC;
    if (fOpen32 & RTFOPEN_WRITE_THROUGH) fFlags |= O_SYNC;
    // Without a creation mode a new file is readable and writable for all, less the umask.
    mode_t fMode = (fOpen32 & RTFOPEN_CREATE_MODE_MASK) >> RTFOPEN_CREATE_MODE_SHIFT;
    if (fMode == 0) fMode = 0666;

    char *pszNative = NULL;
    rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    int fd;
    do fd = g_rtFsCalls.pfnOpen(pszNative, fFlags, fMode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        // A create that finds no such file is missing a directory on the way, as on Windows.
        rc = errno == ENOENT && (fFlags & O_CREAT) ? QERR_PATH_NOT_FOUND : RTErrConvertFromErrno(errno);
    else
        *phFile = (RTFILE)(intptr_t)fd;
    RTStrFree(pszNative);
    return rc;
}

int RTFileClose(RTFILE hFile) {
    if (hFile == NIL_RTFILE) return QINF_SUCCESS;
    if (g_rtFsCalls.pfnClose(rtFilePosixFd(hFile)) != 0) return RTErrConvertFromErrno(errno);
    return QINF_SUCCESS;
}

int rtFileNativeRead(RTFILE hFile, void *pvBuf, size_t cb, size_t *pcbDone, bool *pfShrink) {
    for (;;) {
        ssize_t cbRead = g_rtFsCalls.pfnRead(rtFilePosixFd(hFile), pvBuf, cb);
        if (cbRead >= 0) {
            *pcbDone = (size_t)cbRead;
            return QINF_SUCCESS;
        }
        if (errno != EINTR) break;
    }
    *pfShrink = errno == ENOMEM;
    return RTErrConvertFromErrno(errno);
}

int rtFileNativeWrite(RTFILE hFile, const void *pvBuf, size_t cb, size_t *pcbDone, bool *pfShrink) {
    for (;;) {
        ssize_t cbWritten = g_rtFsCalls.pfnWrite(rtFilePosixFd(hFile), pvBuf, cb);
        if (cbWritten >= 0) {
            *pcbDone = (size_t)cbWritten;
            return QINF_SUCCESS;
        }
        if (errno != EINTR) break;
    }
    *pfShrink = errno == ENOMEM;
    return RTErrConvertFromErrno(errno);
}

FsType rtFileQueryFsType(RTFILE hFile) {
    struct statfs StFs;
    if (g_rtFsCalls.pfnFstatfs(rtFilePosixFd(hFile), &StFs) != 0) return RTFSTYPE_UNKNOWN;
    switch ((uint64_t)StFs.f_type) {
    case MSDOS_SUPER_MAGIC:
        return RTFSTYPE_FAT;
    case 0x2011BAB0U:
        return RTFSTYPE_EXFAT;
    case 0x5346544EU:
        return RTFSTYPE_NTFS;
    case 0x15013346U:
        return RTFSTYPE_UDF;
    case ISOFS_SUPER_MAGIC:
        return RTFSTYPE_CDFS;
    case 0xF995E849U:
        return RTFSTYPE_HPFS;
    default:
        return RTFSTYPE_UNKNOWN;
    }
}

int RTFileFlush(RTFILE hFile) {
    if (g_rtFsCalls.pfnFsync(rtFilePosixFd(hFile)) != 0) return RTErrConvertFromErrno(errno);
    return QINF_SUCCESS;
}

uint64_t RTFileTell(RTFILE hFile) {
    off_t off = g_rtFsCalls.pfnLseek(rtFilePosixFd(hFile), 0, SEEK_CUR);
    return off < 0 ? UINT64_MAX : (uint64_t)off;
}

int RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize) {
    struct statx Stx;
    if (g_rtFsCalls.pfnStatx(rtFilePosixFd(hFile), "", AT_EMPTY_PATH, STATX_SIZE, &Stx) != 0)
        return RTErrConvertFromErrno(errno);
    *pcbSize = Stx.stx_size;
    return QINF_SUCCESS;
}

int RTFileQueryInfo(RTFILE hFile, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional) {
    if (hFile == NIL_RTFILE || !RT_VALID_PTR(pObjInfo) || !rtFsObjAttrAddIsValid(enmAdditional))
        return QERR_INVALID_PARAMETER;
    struct statx Stx;
    if (g_rtFsCalls.pfnStatx(rtFilePosixFd(hFile), "", AT_EMPTY_PATH, RTFS_POSIX_STATX_MASK, &Stx) != 0)
        return RTErrConvertFromErrno(errno);
    rtFsPosixObjInfoFromStatx(&Stx, pObjInfo, enmAdditional);
    return QINF_SUCCESS;
}

bool RTFileIsValid(RTFILE hFile) {
    if (hFile == NIL_RTFILE) return false;
    return g_rtFsCalls.pfnFcntl(rtFilePosixFd(hFile), F_GETFD) != -1;
}

int RTFileDelete(const char *pszPath) {
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    char *pszNative = NULL;
    int rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    if (g_rtFsCalls.pfnUnlink(pszNative) != 0) rc = RTErrConvertFromErrno(errno);
    RTStrFree(pszNative);
    return rc;
}

intptr_t RTFileToNative(RTFILE hFile) {
    return (intptr_t)hFile;
}
