// The platform-independent part of the file layer: the open-flags word, the read and write
// loops over a single platform transfer, and renaming.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/path.h>

#include "r3/file-internal.h"

int rtFileValidateOpenFlags(uint64_t *pfOpen) {
    uint32_t fOpen = (uint32_t)*pfOpen;
    if ((fOpen & RTFOPEN_ACCESS_MASK) == 0 && !(fOpen & (RTFOPEN_ATTR_READ | RTFOPEN_ATTR_WRITE)))
        return QERR_INVALID_PARAMETER;
    if (fOpen & RTFOPEN_RESERVED_MASK) return QERR_INVALID_PARAMETER;
    if ((fOpen & RTFOPEN_TRUNCATE) && !(fOpen & RTFOPEN_WRITE)) return QERR_INVALID_PARAMETER;

    uint32_t const fAction = fOpen & RTFOPEN_ACTION_MASK;
    if (fAction == 0)
        fOpen |= RTFOPEN_OPEN;
    else if (fAction >= 0x400 && fAction <= 0x600)
        return QERR_INVALID_PARAMETER;
    if ((fOpen & RTFOPEN_ACTION_MASK) == RTFOPEN_OPEN && (fOpen & RTFOPEN_NOT_CONTENT_INDEXED))
        return QERR_INVALID_PARAMETER;

    uint32_t const fDeny = fOpen & RTFOPEN_DENY_MASK;
    if (fDeny > RTFOPEN_DENY_NONE) return QERR_INVALID_PARAMETER;
    if (fDeny == 0) fOpen |= RTFOPEN_DENY_NONE;

    *pfOpen = fOpen;
    return QINF_SUCCESS;
}

// Windows values, spelt out here so the mapping is built (and tested) on every platform.
#define RTFILEWIN_CREATE_NEW 1U
#define RTFILEWIN_CREATE_ALWAYS 2U
#define RTFILEWIN_OPEN_EXISTING 3U
#define RTFILEWIN_OPEN_ALWAYS 4U
#define RTFILEWIN_TRUNCATE_EXISTING 5U
#define RTFILEWIN_FILE_APPEND_DATA 0x00000004U
#define RTFILEWIN_READ_ATTRS 0x00100080U  // FILE_READ_ATTRIBUTES | SYNCHRONIZE
#define RTFILEWIN_WRITE_ATTRS 0x00100100U // FILE_WRITE_ATTRIBUTES | SYNCHRONIZE
#define RTFILEWIN_GENERIC_WRITE 0x40000000U
#define RTFILEWIN_SHARE_READ 0x1U
#define RTFILEWIN_SHARE_WRITE 0x2U
#define RTFILEWIN_SHARE_DELETE 0x4U
#define RTFILEWIN_ATTRIBUTE_NORMAL 0x00000080U
#define RTFILEWIN_FLAG_WRITE_THROUGH 0x80000000U
#define RTFILEWIN_FLAG_OVERLAPPED 0x40000000U
#define RTFILEWIN_FLAG_NO_BUFFERING 0x20000000U

int rtFileOpenFlagsToWin(uint64_t fOpen64, RTFILEWINOPEN *pParams) {
    uint32_t const fOpen = (uint32_t)fOpen64;

    switch (fOpen & RTFOPEN_ACTION_MASK) {
    case RTFOPEN_OPEN_CREATE:
        pParams->uDisposition = RTFILEWIN_OPEN_ALWAYS;
        break;
    case RTFOPEN_CREATE:
        pParams->uDisposition = RTFILEWIN_CREATE_NEW;
        break;
    case RTFOPEN_CREATE_REPLACE:
        pParams->uDisposition = RTFILEWIN_CREATE_ALWAYS;
        break;
    case RTFOPEN_OPEN:
        pParams->uDisposition = fOpen & RTFOPEN_TRUNCATE ? RTFILEWIN_TRUNCATE_EXISTING : RTFILEWIN_OPEN_EXISTING;
        break;
    default:
        return QERR_INVALID_FLAGS;
    }

    bool const fAppend = (fOpen & RTFOPEN_APPEND) != 0;
    uint32_t fAccess;
    uint32_t fAttrDefault;
    switch (fOpen & RTFOPEN_ACCESS_MASK) {
    case RTFOPEN_READ:
        fAccess = 0x00120089U; // FILE_GENERIC_READ
        fAttrDefault = RTFILEWIN_READ_ATTRS;
        break;
    case RTFOPEN_WRITE:
        // Appending without the data-write right makes every write land at the end.
        fAccess = fAppend ? 0x00120114U : 0x00120116U; // FILE_GENERIC_WRITE
        fAttrDefault = RTFILEWIN_WRITE_ATTRS;
        break;
    case RTFOPEN_READWRITE:
        fAccess = fAppend ? 0x0012019DU : 0x0012019FU;
        fAttrDefault = RTFILEWIN_READ_ATTRS | RTFILEWIN_WRITE_ATTRS;
        break;
    default:
        fAccess = 0;
        fAttrDefault = 0;
        break;
    }
    if (pParams->uDisposition == RTFILEWIN_TRUNCATE_EXISTING) fAccess |= RTFILEWIN_GENERIC_WRITE;
    if (fOpen & (RTFOPEN_ATTR_READ | RTFOPEN_ATTR_WRITE)) {
        if (fOpen & RTFOPEN_ATTR_READ) fAccess |= RTFILEWIN_READ_ATTRS;
        if (fOpen & RTFOPEN_ATTR_WRITE) fAccess |= RTFILEWIN_WRITE_ATTRS;
    } else
        fAccess |= fAttrDefault;
    if (fOpen & RTFOPEN_NO_CACHE) fAccess &= ~RTFILEWIN_FILE_APPEND_DATA;
    pParams->fAccess = fAccess;

    switch (fOpen & RTFOPEN_DENY_MASK) {
    case RTFOPEN_DENY_READ:
        pParams->fShare = RTFILEWIN_SHARE_WRITE;
        break;
    case RTFOPEN_DENY_WRITE:
        pParams->fShare = RTFILEWIN_SHARE_READ;
        break;
    case RTFOPEN_DENY_READWRITE:
        pParams->fShare = 0;
        break;
    case RTFOPEN_SHARE_DELETE:
        pParams->fShare = RTFILEWIN_SHARE_READ | RTFILEWIN_SHARE_WRITE | RTFILEWIN_SHARE_DELETE;
        break;
    case RTFOPEN_DENY_READ | RTFOPEN_SHARE_DELETE:
        pParams->fShare = RTFILEWIN_SHARE_WRITE | RTFILEWIN_SHARE_DELETE;
        break;
    case RTFOPEN_DENY_WRITE | RTFOPEN_SHARE_DELETE:
        pParams->fShare = RTFILEWIN_SHARE_READ | RTFILEWIN_SHARE_DELETE;
        break;
    case RTFOPEN_DENY_READWRITE | RTFOPEN_SHARE_DELETE:
        pParams->fShare = RTFILEWIN_SHARE_DELETE;
        break;
    case RTFOPEN_DENY_NONE:
        pParams->fShare = RTFILEWIN_SHARE_READ | RTFILEWIN_SHARE_WRITE;
        break;
    default:
        return QERR_INVALID_FLAGS;
    }

    uint32_t fFlagsAttrs = RTFILEWIN_ATTRIBUTE_NORMAL;
    if (fOpen & RTFOPEN_WRITE_THROUGH) fFlagsAttrs |= RTFILEWIN_FLAG_WRITE_THROUGH;
    if (fOpen & RTFOPEN_ASYNC_IO) fFlagsAttrs |= RTFILEWIN_FLAG_OVERLAPPED;
    if (fOpen & RTFOPEN_NO_CACHE) fFlagsAttrs |= RTFILEWIN_FLAG_NO_BUFFERING;
    pParams->fFlagsAttrs = fFlagsAttrs;
    pParams->fInherit = (fOpen & RTFOPEN_INHERIT) != 0;
    return QINF_SUCCESS;
}

// The platform refused the whole count for its size: transfer in shrinking chunks. With an
// output the first chunk that succeeds ends the call; without one the loop goes on until the
// count is complete.
static int rtFileReadChunked(RTFILE hFile, uint8_t *pbBuf, size_t cbToRead, size_t *pcbRead) {
    size_t cbChunk = rtFileFirstChunk(cbToRead, RTFILE_READ_CHUNK_MAX);
    size_t cbTotal = 0;
    while (cbTotal < cbToRead) {
        size_t const cbThis = RT_MIN(cbChunk, cbToRead - cbTotal);
        size_t cbDone = 0;
        bool fShrink = false;
        int rc = rtFileNativeRead(hFile, pbBuf + cbTotal, cbThis, &cbDone, &fShrink);
        if (RT_FAILURE(rc)) {
            if (!fShrink || cbChunk <= 8) return rc;
            cbChunk /= 2;
            continue;
        }
        cbTotal += cbDone;
        if (pcbRead) {
            *pcbRead = cbTotal;
            return QINF_SUCCESS;
        }
        if (cbDone == 0) return QERR_EOF;
    }
    return QINF_SUCCESS;
}

int RTFileRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead) {
    if (cbToRead == 0) {
        if (pcbRead) *pcbRead = 0;
        return QINF_SUCCESS;
    }
    uint8_t *pbBuf = (uint8_t *)pvBuf;
    size_t cbDone = 0;
    bool fShrink = false;
    int rc = rtFileNativeRead(hFile, pbBuf, cbToRead, &cbDone, &fShrink);
    if (RT_FAILURE(rc)) return fShrink ? rtFileReadChunked(hFile, pbBuf, cbToRead, pcbRead) : rc;
    if (pcbRead) {
        *pcbRead = cbDone;
        return QINF_SUCCESS;
    }
    size_t cbTotal = cbDone;
    while (cbTotal < cbToRead) {
        if (cbDone == 0) return QERR_EOF;
        rc = rtFileNativeRead(hFile, pbBuf + cbTotal, cbToRead - cbTotal, &cbDone, &fShrink);
        if (RT_FAILURE(rc)) return rc;
        cbTotal += cbDone;
    }
    return QINF_SUCCESS;
}

// A write that failed for want of space: the status depends on whether the end it would have
// reached passes the file system's size limit.
static int rtFileWriteFailed(RTFILE hFile, int rc, size_t cbAttempt) {
    if (rc != QERR_DISK_FULL) return rc;
    uint64_t const offCur = RTFileTell(hFile);
    if (offCur == UINT64_MAX) return rc;
    uint64_t const offEnd = offCur + cbAttempt;
    if (offEnd < 0x7FFFFFFFU) return rc;
    return rtFsDiskFullStatus(offEnd, rtFileQueryFsType(hFile));
}

static int rtFileWriteChunked(RTFILE hFile, const uint8_t *pbBuf, size_t cbToWrite, size_t *pcbWritten) {
    size_t cbChunk = rtFileFirstChunk(cbToWrite, RTFILE_WRITE_CHUNK_MAX);
    size_t cbTotal = 0;
    while (cbTotal < cbToWrite) {
        size_t const cbThis = RT_MIN(cbChunk, cbToWrite - cbTotal);
        size_t cbDone = 0;
        bool fShrink = false;
        int rc = rtFileNativeWrite(hFile, pbBuf + cbTotal, cbThis, &cbDone, &fShrink);
        if (RT_FAILURE(rc)) {
            if (!fShrink || cbChunk <= 8) return rtFileWriteFailed(hFile, rc, cbThis);
            cbChunk /= 2;
            continue;
        }
        if (cbDone > cbThis) cbDone = cbThis;
        cbTotal += cbDone;
        if (pcbWritten) {
            *pcbWritten = cbTotal;
            return QINF_SUCCESS;
        }
        if (cbDone == 0) return QERR_WRITE_ERROR;
    }
    return QINF_SUCCESS;
}

int RTFileWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten) {
    if (cbToWrite == 0) return QINF_SUCCESS;
    const uint8_t *pbBuf = (const uint8_t *)pvBuf;
    size_t cbDone = 0;
    bool fShrink = false;
    int rc = rtFileNativeWrite(hFile, pbBuf, cbToWrite, &cbDone, &fShrink);
    if (RT_FAILURE(rc))
        return fShrink ? rtFileWriteChunked(hFile, pbBuf, cbToWrite, pcbWritten)
                       : rtFileWriteFailed(hFile, rc, cbToWrite);
    if (cbDone > cbToWrite) cbDone = cbToWrite;
    if (pcbWritten) {
        *pcbWritten = cbDone;
        return QINF_SUCCESS;
    }
    size_t cbTotal = cbDone;
    while (cbTotal < cbToWrite) {
        if (cbDone == 0) return QERR_WRITE_ERROR;
        size_t const cbRest = cbToWrite - cbTotal;
        rc = rtFileNativeWrite(hFile, pbBuf + cbTotal, cbRest, &cbDone, &fShrink);
        if (RT_FAILURE(rc)) return rtFileWriteFailed(hFile, rc, cbRest);
        if (cbDone > cbRest) cbDone = cbRest;
        cbTotal += cbDone;
    }
    return QINF_SUCCESS;
}

int RTFileRename(const char *pszSrc, const char *pszDst, unsigned fRename) {
    if (fRename > RTFILEMOVE_FLAGS_REPLACE) return QERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pszSrc) || !RT_VALID_PTR(pszDst)) return QERR_INVALID_POINTER;
    return RTPathRename(pszSrc, pszDst, fRename & RTFILEMOVE_FLAGS_REPLACE ? RTPATH_RENAME_REPLACE : 0,
                        RTPATH_RENAME_TYPE_FILE);
}
