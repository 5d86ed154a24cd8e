// The ".custom" directory copy and the removal of the copy.
#define QUILSTUB_CUSTOM_TAG "Installer/win/Stub/QuilStubCustom"
#define RTMEM_TAG QUILSTUB_CUSTOM_TAG

#include "QuilStubCustom.h"
#include "QuilStubCleanup.h"
#include "QuilStubCustom-internal.h"
#include "QuilStubExitCodes.h"
#include "QuilStubFileCalls-internal.h"
#include "QuilStubLazy.h"
#include "QuilStubMessages.h"
#include "QuilStubSettings.h"
#include "QuilStubTexts.h"

#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include <string.h>

namespace {

// Each path in UTF-16: at most 4099 units and the terminator, then the list's second NUL.
size_t const g_cwcPathConv = 4100;
size_t const g_cwcPathList = g_cwcPathConv + 2;

// Converts pszPath into the one-entry path list pwszList (g_cwcPathList units).
int stubToPathList(const char *pszPath, RTUTF16 *pwszList) {
    size_t cwc = 0;
    int rc = RTStrToUtf16Ex(pszPath, RTSTR_MAX, &pwszList, g_cwcPathConv, &cwc);
    if (RT_FAILURE(rc)) return rc;
    pwszList[cwc + 1] = 0; // after the conversion: it may use the units beyond its terminator
    return rc;
}

// Something at pszPath, not followed if it is a link: its mode in *pfMode.
bool stubQueryOnLink(const char *pszPath, RTFMODE *pfMode) {
    FsObjInfo ObjInfo;
    if (RT_FAILURE(RTPathQueryInfoEx(pszPath, &ObjInfo, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK))) return false;
    *pfMode = ObjInfo.fMode;
    return true;
}

bool stubIsLink(RTFMODE fMode) {
    return (fMode & RTFS_TYPE_MASK) == RTFS_TYPE_SYMLINK || (fMode & RTFS_DOS_NT_REPARSE_POINT);
}

bool stubIsGoneRc(int rc) {
    return rc == QERR_FILE_NOT_FOUND || rc == QERR_PATH_NOT_FOUND;
}

// Empties the directory whose path fills pszPath (cchPath characters, cbPath bytes of buffer);
// the buffer is back as it was on return. The first failure is returned; the rest is tried.
int stubEmptyDir(char *pszPath, size_t cchPath, size_t cbPath) {
    void *hEnum = NULL;
    int rc = g_StubCustomCalls.pfnEnumOpen(pszPath, &hEnum);
    if (RT_FAILURE(rc)) return stubIsGoneRc(rc) ? QINF_SUCCESS : rc;
    if (cchPath + 2 > cbPath) {
        g_StubCustomCalls.pfnEnumClose(hEnum);
        return QERR_BUFFER_OVERFLOW;
    }
    pszPath[cchPath] = '/'; // either platform takes it; Windows' calls get backslashes
    size_t const offName = cchPath + 1;
    int rcFirst = QINF_SUCCESS;
    for (;;) {
        StubTreeKind enmKind;
        pszPath[offName] = '\0';
        int rc2 = g_StubCustomCalls.pfnEnumNext(hEnum, pszPath, cbPath, offName, &enmKind);
        if (rc2 == QERR_NO_MORE_FILES) break;
        if (RT_FAILURE(rc2) && rc2 != QERR_BUFFER_OVERFLOW) { // the listing itself failed
            if (RT_SUCCESS(rcFirst)) rcFirst = rc2;
            break;
        }
        if (RT_SUCCESS(rc2)) {
            if (enmKind == kStubTreeDir) {
                rc2 = stubEmptyDir(pszPath, strlen(pszPath), cbPath);
                int rc3 = g_StubCustomCalls.pfnRemoveDir(pszPath);
                if (RT_SUCCESS(rc2) && !stubIsGoneRc(rc3)) rc2 = rc3;
            } else if (enmKind == kStubTreeDirLink)
                rc2 = g_StubCustomCalls.pfnRemoveDir(pszPath); // the link itself, not its target
            else
                rc2 = g_StubCustomCalls.pfnDeleteFile(pszPath);
            if (stubIsGoneRc(rc2)) rc2 = QINF_SUCCESS;
        }
        if (RT_FAILURE(rc2) && RT_SUCCESS(rcFirst)) rcFirst = rc2;
    }
    g_StubCustomCalls.pfnEnumClose(hEnum);
    pszPath[cchPath] = '\0';
    return rcFirst;
}

} // namespace

int RemoveCustomCopy(const char *pszPath) {
    RTFMODE fMode;
    if (!stubQueryOnLink(pszPath, &fMode)) return QINF_SUCCESS; // gone (or never made)
    if (stubIsLink(fMode)) {
        // Put there in place of the copy: removed itself, never followed.
        bool const fDirLink = (fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY || (fMode & RTFS_DOS_DIRECTORY);
        int rc = fDirLink ? g_StubCustomCalls.pfnRemoveDir(pszPath) : g_StubCustomCalls.pfnDeleteFile(pszPath);
        return stubIsGoneRc(rc) ? QINF_SUCCESS : rc;
    }
    if ((fMode & RTFS_TYPE_MASK) != RTFS_TYPE_DIRECTORY) return QINF_SUCCESS; // not ours to delete

    char szPath[QUILSTUB_PATH_SIZE];
    int rc = RTStrCopy(szPath, sizeof(szPath), pszPath);
    if (RT_FAILURE(rc)) return rc;
    rc = stubEmptyDir(szPath, strlen(szPath), sizeof(szPath));
    int rc2 = g_StubCustomCalls.pfnRemoveDir(szPath);
    if (RT_SUCCESS(rc) && !stubIsGoneRc(rc2)) rc = rc2;
    return rc;
}

int CopyCustomDirectory(const char *pszExtractPath) {
    char szSource[QUILSTUB_PATH_SIZE];
    int rc = g_StubCustomCalls.pfnExecDir(szSource, sizeof(szSource));
    if (RT_SUCCESS(rc)) rc = RTPathAppend(szSource, sizeof(szSource), QUILSTUB_CUSTOM_DIR_NAME);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_CUSTOM_PATH_FAILED, rc);
    if (!RTDirExists(szSource)) return QUILSTUB_EXIT_SUCCESS;

    RTUTF16 wszSource[g_cwcPathList];
    rc = stubToPathList(szSource, wszSource);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_CUSTOM_TO_UTF16_FAILED, szSource, rc);
    RTUTF16 wszDest[g_cwcPathList];
    rc = stubToPathList(pszExtractPath, wszDest);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_CUSTOM_TO_UTF16_FAILED, pszExtractPath, rc);

    char *pszCopy = RTPathJoinA(pszExtractPath, QUILSTUB_CUSTOM_DIR_NAME);
    if (!pszCopy) return ReportFailure(QUILSTUB_MSG_OUT_OF_MEMORY);
    // Something of that name that was there before the copy is the user's: merged into, kept.
    RTFMODE fMode;
    bool const fExisted = stubQueryOnLink(pszCopy, &fMode);

    StubShFileOp FileOp;
    memset(&FileOp, 0, sizeof(FileOp));
    FileOp.wFunc = QUILSTUB_FO_COPY;
    FileOp.pFrom = wszSource;
    FileOp.pTo = wszDest;
    FileOp.fFlags = QUILSTUB_CUSTOM_COPY_FLAGS;
    int const iErr = g_QuilStubLazyShell32.pfnSHFileOperationW(reinterpret_cast<struct _SHFILEOPSTRUCTW *>(&FileOp));

    int iResult = QUILSTUB_EXIT_SUCCESS;
    if (iErr) {
        // A partial copy is the purge's to remove, like a whole one.
        if (!fExisted) RemoveCustomCopy(pszCopy);
        iResult = ReportFailure(QUILSTUB_MSG_CUSTOM_COPY_FAILED, iErr);
    } else {
        CleanupRecord *pRecord = NewCleanupRecord(false, pszCopy);
        if (!pRecord) {
            if (!fExisted) RemoveCustomCopy(pszCopy); // unrecorded: nothing else would remove it
            iResult = QUILSTUB_EXIT_FAILURE;
        } else {
            pRecord->keepOnDisk = fExisted;
            pRecord->removeTree = !fExisted;
            rc = g_StubFileCalls.pfnDirOpen(&pRecord->u.hDir, pszCopy);
            if (RT_FAILURE(rc)) iResult = ReportFailure(QUILSTUB_MSG_CUSTOM_OPEN_FAILED, rc);
        }
    }
    RTStrFree(pszCopy);
    return iResult;
}
