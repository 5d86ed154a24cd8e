// Directories: the mode check, the directory record and the existence test, over each platform's
// create, open and close.
#include <qrt/cdefs.h>
#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "r3/dir-internal.h"
#include "r3/fs-internal.h"

#include <string.h>

#define RTDIR_TAG "Runtime/r3/dir"

int RTDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate) {
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    fMode = rtFsModeNormaliseDir(fMode, pszPath);
    if (!rtFsModeIsValidDir(fMode)) return QERR_INVALID_FMODE;
    return rtDirNativeCreate(pszPath, fMode, fCreate);
}

bool RTDirExists(const char *pszPath) {
    FsObjInfo ObjInfo;
    int rc = RTPathQueryInfoEx(pszPath, &ObjInfo, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK);
    return RT_SUCCESS(rc) && (ObjInfo.fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY;
}

int RTDirOpen(RTDIR *phDir, const char *pszPath) {
    if (!RT_VALID_PTR(phDir) || !RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    size_t const cchGiven = strlen(pszPath);
    bool const fDirSlash = cchGiven > 0 && (pszPath[cchGiven - 1] == '\\' || pszPath[cchGiven - 1] == '/');

    char *pszAbs = rtDirNativeAbsPath(pszPath);
    if (!pszAbs) return QERR_NO_MEMORY;
    size_t const cchAbs = strlen(pszAbs);
    RTDIRINTERNAL *pDir = (RTDIRINTERNAL *)RTMemAllocZTag(sizeof(*pDir) + cchAbs + 1, RTDIR_TAG);
    if (!pDir) {
        RTStrFree(pszAbs);
        return QERR_NO_MEMORY;
    }
    pDir->u32Magic = RTDIR_MAGIC;
    pDir->pszPath = (char *)(pDir + 1);
    memcpy(pDir->pszPath, pszAbs, cchAbs + 1);
    pDir->cchPath = (uint32_t)cchAbs;
    pDir->fFlags = 0;
    pDir->fDirSlash = fDirSlash;
    pDir->hNative = RTDIR_NATIVE_NONE;
    RTStrFree(pszAbs);

    int rc = rtDirNativeOpen(pDir);
    if (RT_FAILURE(rc)) {
        pDir->u32Magic = RTDIR_MAGIC_DEAD;
        RTMemFree(pDir);
        return rc;
    }
    *phDir = pDir;
    return QINF_SUCCESS;
}

int RTDirClose(RTDIR hDir) {
    if (!RT_VALID_PTR(hDir) || hDir->u32Magic != RTDIR_MAGIC) return QERR_INVALID_PARAMETER;
    hDir->u32Magic = RTDIR_MAGIC_DEAD;
    rtDirNativeClose(hDir);
    hDir->hNative = RTDIR_NATIVE_NONE;
    RTMemFree(hDir);
    return QINF_SUCCESS;
}

bool RTDirIsValid(RTDIR hDir) {
    return RT_VALID_PTR(hDir) && hDir->u32Magic == RTDIR_MAGIC;
}
