// Platform libraries: the records that own them, loading by full path and from the system
// directory, and the operations every platform library shares.
#include <string.h>

#include <qrt/assert.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/ldr/ldr-internal.h"
#include "r3/init-internal.h"

#define RTLDRNATIVE_TAG "Runtime/common/ldr/ldrNative"

const RTLDROPS g_rtldrNativeOps = {
    "native",
    rtldrNativeClose,
    rtldrNativeGetSymbol,
};

static inline bool rtldrIsSlash(RTUTF16 wc) {
    return wc == '\\' || wc == '/';
}

static inline RTUTF16 rtldrFoldAscii(RTUTF16 wc) {
    if (wc >= 'A' && wc <= 'Z') return (RTUTF16)(wc - 'A' + 'a');
    if (wc == '/') return '\\';
    return wc;
}

bool rtldrRedirectMatchesSystemDir(const RTUTF16 *pwcAnswer, size_t cwcAnswer, const RTUTF16 *pwszSystemDir) {
    unsigned cSeparators = 0;
    for (size_t i = 0; i < cwcAnswer && pwszSystemDir[i] != '\0'; i++) {
        RTUTF16 const wcAnswer = pwcAnswer[i];
        RTUTF16 const wcSystem = pwszSystemDir[i];
        // Only what comes before the first difference counts: 'C:\abcdefg\x' shares the
        // separators at 2 and 10 with 'C:\windows\system32' but lies in another directory.
        if (rtldrFoldAscii(wcAnswer) != rtldrFoldAscii(wcSystem)) break;
        if (i > 0 && rtldrIsSlash(wcAnswer) && rtldrIsSlash(wcSystem)) cSeparators++;
    }
    return cSeparators >= 2;
}

bool rtldrIsRegularFile(const char *pszPath) {
    FsObjInfo ObjInfo;
    if (RT_FAILURE(RTPathQueryInfoEx(pszPath, &ObjInfo, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK))) return false;
    return (ObjInfo.fMode & RTFS_TYPE_MASK) == RTFS_TYPE_FILE &&
           !(ObjInfo.fMode & (RTFS_DOS_NT_DEVICE | RTFS_DOS_NT_REPARSE_POINT));
}

int rtldrLoadSystemPath(char *pszPath, size_t cbPath, uint32_t fPathStyle, const char *pszFilename,
                        const char *pszSuffix, uint32_t fFlags, PRTLDRMOD phLdrMod) {
    int rc = QINF_SUCCESS;
    if (pszFilename) rc = RTPathAppendEx(pszPath, cbPath, pszFilename, RTSTR_MAX, fPathStyle);
    if (RT_SUCCESS(rc) && pszSuffix) rc = RTStrCat(pszPath, cbPath, pszSuffix);
    if (RT_FAILURE(rc)) return rc;
    // Only an existing file is handed to the platform: its own search must never get a chance
    // to look elsewhere for a name we did not find.
    if (!rtldrIsRegularFile(pszPath)) return QERR_MODULE_NOT_FOUND;
    return RTLdrLoadEx(pszPath, phLdrMod, fFlags, NULL);
}

// The steps every platform takes before loading a path.
static int rtldrNativeLoadPrecheck(const char *pszFilename, uint32_t fFlags) {
    if (fFlags & RTLDRLOAD_FLAGS_LOCAL) return QERR_INVALID_FLAGS;
    AssertLogRelMsgReturn(RTPathStartsWithRoot(pszFilename), ("pszFilename='%s'\n", pszFilename),
                          QERR_INTERNAL_ERROR_2);
    AssertMsgReturn(g_hModKernel32,
                    ("rtldrNativeLoad(%s,,) is called before QURT has configured the windows loader!\n", pszFilename),
                    QERR_WRONG_ORDER);
    return QINF_SUCCESS;
}

int RTLdrLoadEx(const char *pszFilename, PRTLDRMOD phLdrMod, uint32_t fFlags, PRTERRINFO pErrInfo) {
    rtldrErrInfoClear(pErrInfo);
    if (!RT_VALID_PTR(pszFilename) || !RT_VALID_PTR(phLdrMod)) return QERR_INVALID_POINTER;
    *phLdrMod = NIL_RTLDRMOD;
    if (fFlags & ~RTLDRLOAD_FLAGS_VALID_MASK) return QERR_INVALID_PARAMETER;

    RTLDRMODINTERNAL *pMod = (RTLDRMODINTERNAL *)RTMemAllocZTag(sizeof(*pMod), RTLDRNATIVE_TAG);
    if (!pMod) {
        rtldrErrInfoSet(pErrInfo, QERR_NO_MEMORY, "Failed to allocate %zu bytes for the module handle", sizeof(*pMod));
        return QERR_NO_MEMORY;
    }
    pMod->u32Magic = RTLDRMOD_MAGIC;
    pMod->eState = RTLDRMODSTATE_OPEN;
    pMod->pOps = &g_rtldrNativeOps;
    pMod->pReader = NULL;
    pMod->hNative = RTLDR_NIL_NATIVE_HANDLE;
    pMod->fFlags = fFlags;

    int rc = rtldrNativeLoadPrecheck(pszFilename, fFlags);
    if (RT_SUCCESS(rc)) rc = rtldrNativeLoad(pszFilename, &pMod->hNative, fFlags, pErrInfo);
    if (RT_SUCCESS(rc)) {
        *phLdrMod = pMod;
        return rc;
    }
    // Never loaded: nothing to unload, and no one has seen the record.
    pMod->u32Magic = 0;
    RTMemFree(pMod);
    return rc;
}

int RTLdrLoadSystem(const char *pszFilename, bool fNoUnload, PRTLDRMOD phLdrMod) {
    return RTLdrLoadSystemEx(pszFilename, fNoUnload ? RTLDRLOAD_FLAGS_NO_UNLOAD : 0, phLdrMod);
}

int RTLdrLoadSystemEx(const char *pszFilename, uint32_t fFlags, PRTLDRMOD phLdrMod) {
    if (!RT_VALID_PTR(phLdrMod)) return QERR_INVALID_PARAMETER;
    *phLdrMod = NIL_RTLDRMOD;
    // A bare file name only: anything with a directory or a drive could leave the system
    // directory.
    if (!RT_VALID_PTR(pszFilename) || strpbrk(pszFilename, "/\\:")) return QERR_INVALID_PARAMETER;
    if (fFlags & RTLDRLOAD_FLAGS_SYSTEM_INVALID_MASK) return QERR_INVALID_FLAGS;
    if (strlen(pszFilename) > RTLDR_SYSTEM_NAME_MAX) return QERR_INVALID_PARAMETER;
    const char *pszSuffix = RTPathSuffix(pszFilename) ? NULL : ".DLL";
    AssertMsgReturn(
        g_hModKernel32,
        ("rtldrNativeLoadSystem(%s,,) is called before QURT has configured the windows loader!\n", pszFilename),
        QERR_WRONG_ORDER);
    return rtldrNativeLoadSystem(pszFilename, pszSuffix, fFlags, phLdrMod);
}

void *RTLdrGetSystemSymbol(const char *pszFilename, const char *pszSymbol) {
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    void *pvSymbol = NULL;
    if (RT_SUCCESS(RTLdrLoadSystem(pszFilename, true /*fNoUnload*/, &hLdrMod))) {
        if (RT_FAILURE(RTLdrGetSymbol(hLdrMod, pszSymbol, &pvSymbol))) pvSymbol = NULL;
        // The library stays: it was loaded with the no-unload flag.
        RTLdrClose(hLdrMod);
    }
    return pvSymbol;
}
