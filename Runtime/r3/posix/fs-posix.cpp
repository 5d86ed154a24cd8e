// Object information from statx.
#include <qrt/cdefs.h>

#include "r3/fs-internal.h"
#include "r3/posix/fs-posix-internal.h"

#include <string.h>
#include <sys/sysmacros.h>

static int64_t rtFsPosixTime(const struct statx_timestamp *pTs) {
    return pTs->tv_sec * INT64_C(1000000000) + pTs->tv_nsec;
}

void rtFsPosixObjInfoFromStatx(const struct statx *pStx, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional) {
    memset(pObjInfo, 0, sizeof(*pObjInfo));
    pObjInfo->cbObject = pStx->stx_size;
    pObjInfo->cbAllocated = pStx->stx_blocks * 512;
    pObjInfo->AccessTime = rtFsPosixTime(&pStx->stx_atime);
    pObjInfo->ModificationTime = rtFsPosixTime(&pStx->stx_mtime);
    pObjInfo->ChangeTime = rtFsPosixTime(&pStx->stx_ctime);
    pObjInfo->BirthTime = pStx->stx_mask & STATX_BTIME ? rtFsPosixTime(&pStx->stx_btime) : pObjInfo->ChangeTime;

    RTFMODE fMode = pStx->stx_mode & 0xFFFFU;
    switch (fMode & RTFS_TYPE_MASK) {
    case RTFS_TYPE_DIRECTORY:
        fMode |= RTFS_DOS_DIRECTORY;
        break;
    case RTFS_TYPE_SYMLINK:
        fMode |= RTFS_DOS_NT_REPARSE_POINT;
        break;
    case RTFS_TYPE_DEV_CHAR:
        fMode |= RTFS_DOS_NT_DEVICE;
        break;
    default:
        break;
    }
    if (!(fMode & RTFS_UNIX_ALL_WRITE)) fMode |= RTFS_DOS_READONLY;
    if (!(fMode & RTFS_DOS_MASK)) fMode |= RTFS_DOS_NT_NORMAL;
    pObjInfo->fMode = fMode;

    if (enmAdditional == RTFSOBJATTRADD_UNIX) {
        pObjInfo->u.Unix.uid = pStx->stx_uid;
        pObjInfo->u.Unix.gid = pStx->stx_gid;
        pObjInfo->u.Unix.cHardlinks = pStx->stx_nlink;
        pObjInfo->u.Unix.INodeIdDevice = (uint32_t)makedev(pStx->stx_dev_major, pStx->stx_dev_minor);
        pObjInfo->u.Unix.INodeId = pStx->stx_ino;
        pObjInfo->u.Unix.Device = (uint32_t)makedev(pStx->stx_rdev_major, pStx->stx_rdev_minor);
    }
    rtFsObjInfoSetAdditional(pObjInfo, enmAdditional);
}
