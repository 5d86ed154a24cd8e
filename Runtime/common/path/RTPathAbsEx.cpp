// Absolute path resolution: a path is parsed, combined with a base or the current directory,
// cleaned of "." and ".." and redundant separators, and rebuilt.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"

#include <string.h>

#define RTPATHABSEX_TAG "Runtime/common/path/RTPathAbsEx"

#define RTPATHABS_VALID_FLAGS                                                                                          \
    (RTPATH_STYLE_MASK | RTPATHABS_F_KEEP_BASE | RTPATHABS_F_KEEP_CWD | RTPATHABS_F_TRAILING_SEP)

// A parse record in a local buffer, or in a heap block when the path has too many components.
struct RTPATHABSREC {
    RTPATHPARSED *pParsed;
    union {
        RTPATHPARSED Parsed;
        uint8_t ab[1024];
    } u;
};

static int rtPathAbsParse(RTPATHABSREC *pRec, const char *pszPath, uint32_t fStyle) {
    pRec->pParsed = &pRec->u.Parsed;
    int rc = RTPathParse(pszPath, pRec->pParsed, sizeof(pRec->u), fStyle);
    if (rc == QERR_BUFFER_OVERFLOW) {
        size_t const cb = (size_t)pRec->u.Parsed.cComps * 4 + 20;
        RTPATHPARSED *pHeap = (RTPATHPARSED *)RTMemTmpAllocTag(cb, RTPATHABSEX_TAG);
        if (!pHeap) return QERR_NO_TMP_MEMORY;
        pRec->pParsed = pHeap;
        rc = RTPathParse(pszPath, pHeap, cb, fStyle);
    }
    return rc;
}

static void rtPathAbsRecFree(RTPATHABSREC *pRec) {
    if (pRec->pParsed && pRec->pParsed != &pRec->u.Parsed) RTMemTmpFree(pRec->pParsed);
    pRec->pParsed = NULL;
}

static bool rtPathAbsIsDot(const char *pszPath, const RTPATHPARSED *pParsed, uint32_t i) {
    return pParsed->aComps[i].cch == 1 && pszPath[pParsed->aComps[i].off] == '.';
}

static bool rtPathAbsIsDotDot(const char *pszPath, const RTPATHPARSED *pParsed, uint32_t i) {
    return pParsed->aComps[i].cch == 2 && pszPath[pParsed->aComps[i].off] == '.' &&
           pszPath[pParsed->aComps[i].off + 1] == '.';
}

// The last component that ".." may not remove: the root, and for a UNC path that is not a
// device or long-path name, the share after it.
static uint32_t rtPathAbsFloor(const RTPATHPARSED *pParsed) {
    if ((pParsed->fProps & (RTPATHPROP_UNC | RTPATHPROP_SPECIAL_UNC)) == RTPATHPROP_UNC && pParsed->cComps >= 2)
        return 1;
    return 0;
}

// Drops "." components and resolves ".." above the floor, within one path.
static void rtPathAbsResolveOwn(const char *pszPath, RTPATHPARSED *pParsed) {
    uint32_t const iFloor = rtPathAbsFloor(pParsed);
    for (uint32_t i = iFloor + 1; i < pParsed->cComps; i++) {
        if (rtPathAbsIsDot(pszPath, pParsed, i))
            pParsed->aComps[i].cch = 0;
        else if (rtPathAbsIsDotDot(pszPath, pParsed, i)) {
            pParsed->aComps[i].cch = 0;
            for (uint32_t j = i; j-- > iFloor + 1;)
                if (pParsed->aComps[j].cch) {
                    pParsed->aComps[j].cch = 0;
                    break;
                }
        }
    }
}

static bool rtPathAbsHasRemaining(const RTPATHPARSED *pParsed, uint32_t iFirst) {
    for (uint32_t i = iFirst; i < pParsed->cComps; i++)
        if (pParsed->aComps[i].cch) return true;
    return false;
}

static void rtPathAbsUpperDrive(char *pszAbs) {
    if (pszAbs[1] == ':' && pszAbs[0] >= 'a' && pszAbs[0] <= 'z') pszAbs[0] = (char)(pszAbs[0] - 'a' + 'A');
}

// Combines the base B (parsed in *pBase, text at pszBase, which may lie in pszAbs) with the
// relative path P. fProtect keeps B's components from "..".
static int rtPathAbsCombine(const char *pszBase, RTPATHPARSED *pBase, const char *pszPath, RTPATHPARSED *pPath,
                            uint32_t fFlags, bool fProtect, char *pszAbs, size_t *pcbAbs) {
    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;
    if (pBase->cComps == 0) return QERR_INVALID_PARAMETER;
    if (pBase->fProps & (RTPATHPROP_DOT | RTPATHPROP_DOTDOT)) rtPathAbsResolveOwn(pszBase, pBase);
    uint32_t const iBaseFloor = rtPathAbsFloor(pBase);

    uint32_t iPathFirst = 0;
    if (pPath->fProps & RTPATHPROP_HAS_ROOT) {
        // Only a drive ('D:dir') reaches here with a root; the base supplies the drive.
        pPath->aComps[0].cch = 0;
        iPathFirst = 1;
    }
    for (uint32_t i = iPathFirst; i < pPath->cComps; i++) {
        if (rtPathAbsIsDot(pszPath, pPath, i))
            pPath->aComps[i].cch = 0;
        else if (rtPathAbsIsDotDot(pszPath, pPath, i)) {
            pPath->aComps[i].cch = 0;
            bool fDone = false;
            for (uint32_t j = i; j-- > iPathFirst && !fDone;)
                if (pPath->aComps[j].cch) {
                    pPath->aComps[j].cch = 0;
                    fDone = true;
                }
            if (!fDone && !fProtect)
                for (uint32_t j = pBase->cComps; j-- > iBaseFloor + 1;)
                    if (pBase->aComps[j].cch) {
                        pBase->aComps[j].cch = 0;
                        break;
                    }
        }
    }
    bool const fPathRemains = rtPathAbsHasRemaining(pPath, iPathFirst);

    if (pBase->cComps == 1) {
        if (!(pBase->fProps & RTPATHPROP_ROOT_SEP)) return QERR_PATH_DOES_NOT_START_WITH_ROOT;
    } else if (fPathRemains || (pPath->fProps & RTPATHPROP_TRAILING_SEP) || (fFlags & RTPATHABS_F_TRAILING_SEP))
        pBase->fProps |= RTPATHPROP_TRAILING_SEP;
    else
        pBase->fProps &= ~RTPATHPROP_TRAILING_SEP;
    // The path's length for the size hint, with the separator about to be added.
    size_t cchPathHint = pPath->cchPath;
    if (fPathRemains && (fFlags & RTPATHABS_F_TRAILING_SEP)) {
        if (!(pPath->fProps & RTPATHPROP_TRAILING_SEP)) cchPathHint++;
        pPath->fProps |= RTPATHPROP_TRAILING_SEP;
    }

    size_t const cbAbs = *pcbAbs;
    int rc = RTPathParsedReassemble(pszBase, pBase, fStyle, pszAbs, cbAbs);
    if (RT_FAILURE(rc)) {
        if (rc == QERR_BUFFER_OVERFLOW) *pcbAbs = (size_t)pBase->cchPath + (fPathRemains ? cchPathHint : 0) + 1;
        return rc;
    }
    if (pBase->fProps & RTPATHPROP_VOLUME) rtPathAbsUpperDrive(pszAbs);
    size_t const cchBase = pBase->cchPath;
    if (!fPathRemains) {
        *pcbAbs = cchBase;
        return QINF_SUCCESS;
    }
    rc = RTPathParsedReassemble(pszPath, pPath, fStyle, pszAbs + cchBase, cbAbs - cchBase);
    *pcbAbs = cchBase + pPath->cchPath + (rc == QERR_BUFFER_OVERFLOW ? 1 : 0);
    return rc;
}

// Rebuilds an absolute path after dropping its "." components.
static int rtPathAbsAbsolute(const char *pszPath, RTPATHPARSED *pParsed, uint32_t fFlags, char *pszAbs,
                             size_t *pcbAbs) {
    for (uint32_t i = 1; i < pParsed->cComps; i++)
        if (rtPathAbsIsDot(pszPath, pParsed, i)) pParsed->aComps[i].cch = 0;
    if ((fFlags & RTPATHABS_F_TRAILING_SEP) && pParsed->cComps > 1) pParsed->fProps |= RTPATHPROP_TRAILING_SEP;
    int rc = RTPathParsedReassemble(pszPath, pParsed, fFlags & RTPATH_STYLE_MASK, pszAbs, *pcbAbs);
    *pcbAbs = (size_t)pParsed->cchPath + (rc == QERR_BUFFER_OVERFLOW ? 1 : 0);
    if (RT_SUCCESS(rc) && (pParsed->fProps & RTPATHPROP_VOLUME)) rtPathAbsUpperDrive(pszAbs);
    return rc;
}

// The drive or share of a base path as the prefix of a root-relative path ('\x').
static int rtPathAbsBasePrefix(const char *pszBase, char *pszAbs, size_t cbAbs, size_t *pcchPrefix, bool *pfUseCwd) {
    union {
        RTPATHPARSED Parsed;
        uint8_t ab[20];
    } u;
    int rc = RTPathParse(pszBase, &u.Parsed, sizeof(u), RTPATH_STYLE_DOS);
    if (RT_FAILURE(rc) && rc != QERR_BUFFER_OVERFLOW) return rc;
    *pfUseCwd = false;
    size_t cch = 0;
    if (u.Parsed.fProps & RTPATHPROP_VOLUME) {
        cch = RT_MIN(u.Parsed.aComps[0].cch, (size_t)2);
        if (cch < cbAbs) {
            memcpy(pszAbs, pszBase, cch);
            pszAbs[cch] = '\0';
            rtPathAbsUpperDrive(pszAbs);
        }
    } else if (u.Parsed.fProps & RTPATHPROP_UNC) {
        size_t const cchRoot = u.Parsed.aComps[0].cch;
        bool const fShare = u.Parsed.cComps >= 2 && !(u.Parsed.fProps & RTPATHPROP_SPECIAL_UNC);
        size_t const cchShare = fShare ? u.Parsed.aComps[1].cch : 0;
        cch = fShare ? cchRoot + cchShare : cchRoot - (u.Parsed.fProps & RTPATHPROP_ROOT_SEP ? 1 : 0);
        if (cch < cbAbs) {
            size_t const cchCopy = RT_MIN(cchRoot, cch);
            for (size_t i = 0; i < cchCopy; i++) pszAbs[i] = rtPathIsDosSep(pszBase[i]) ? '\\' : pszBase[i];
            if (fShare) memcpy(pszAbs + cchRoot, pszBase + u.Parsed.aComps[1].off, cchShare);
            pszAbs[cch] = '\0';
        }
    } else {
        *pfUseCwd = true;
        return QINF_SUCCESS;
    }
    *pcchPrefix = cch;
    return cch < cbAbs ? QINF_SUCCESS : QERR_BUFFER_OVERFLOW;
}

// A root-relative path, or a rooted one with "..": resolved on its own, then put after the
// drive of the base or the current directory when it has no drive or server of its own.
static int rtPathAbsRooted(const char *pszBase, const char *pszPath, RTPATHPARSED *pParsed, uint32_t fFlags,
                           char *pszAbs, size_t *pcbAbs) {
    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;
    rtPathAbsResolveOwn(pszPath, pParsed);
    // The path's length for the size hints, with a separator this call adds.
    size_t cchPathHint = pParsed->cchPath;
    if ((fFlags & RTPATHABS_F_TRAILING_SEP) && rtPathAbsHasRemaining(pParsed, 1)) {
        if (!(pParsed->fProps & RTPATHPROP_TRAILING_SEP)) cchPathHint++;
        pParsed->fProps |= RTPATHPROP_TRAILING_SEP;
    }

    size_t const cbAbs = *pcbAbs;
    size_t cchPrefix = 0;
    if (fStyle == RTPATH_STYLE_DOS && !(pParsed->fProps & (RTPATHPROP_UNC | RTPATHPROP_VOLUME))) {
        bool fUseCwd = true;
        int rc = QINF_SUCCESS;
        if (pszBase) {
            rc = rtPathAbsBasePrefix(pszBase, pszAbs, cbAbs, &cchPrefix, &fUseCwd);
            if (rc == QERR_BUFFER_OVERFLOW) {
                *pcbAbs = cchPrefix + cchPathHint + 1;
                return rc;
            }
            if (RT_FAILURE(rc)) return rc;
        }
        if (fUseCwd) {
            rc = RTPathGetCurrentDrive(pszAbs, cbAbs);
            if (rc == QERR_BUFFER_OVERFLOW) {
                // Learn the drive's length for the size hint.
                size_t const cbTmp = 0x10000;
                char *pszTmp = (char *)RTMemTmpAllocTag(cbTmp, RTPATHABSEX_TAG);
                if (!pszTmp) return QERR_NO_TMP_MEMORY;
                if (RT_SUCCESS(RTPathGetCurrentDrive(pszTmp, cbTmp)))
                    *pcbAbs = cchPathHint + strlen(pszTmp) + 1;
                else
                    *pcbAbs = RT_MAX(cbAbs * 2, cchPathHint + 0x30001);
                RTMemTmpFree(pszTmp);
                return QERR_BUFFER_OVERFLOW;
            }
            if (RT_FAILURE(rc)) return rc;
            cchPrefix = strlen(pszAbs);
        }
    }
    int rc = RTPathParsedReassemble(pszPath, pParsed, fStyle, pszAbs + cchPrefix, cbAbs - cchPrefix);
    *pcbAbs = cchPrefix + pParsed->cchPath + (rc == QERR_BUFFER_OVERFLOW ? 1 : 0);
    return rc;
}

// A relative path against the current directory (of its drive, for 'D:dir').
static int rtPathAbsCwd(const char *pszPath, RTPATHPARSED *pParsed, uint32_t fFlags, char *pszAbs, size_t *pcbAbs) {
    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;
    bool const fOnDrive = fStyle == RTPATH_STYLE_DOS &&
                          (pParsed->fProps & (RTPATHPROP_VOLUME | RTPATHPROP_ROOT_SEP)) == RTPATHPROP_VOLUME;
    size_t const cbAbs = *pcbAbs;
    char *pszCwd = pszAbs;
    char *pszTmp = NULL;
    RTPATHABSREC Base;
    Base.pParsed = NULL;

    int rc = fOnDrive ? RTPathGetCurrentOnDrive(pszPath[0], pszAbs, cbAbs) : RTPathGetCurrent(pszAbs, cbAbs);
    if (rc == QERR_BUFFER_OVERFLOW) {
        size_t const cbTmp = RT_MAX(cbAbs * 4, (size_t)0x10000);
        pszTmp = (char *)RTMemTmpAllocTag(cbTmp, RTPATHABSEX_TAG);
        if (!pszTmp) {
            *pcbAbs = pParsed->cchPath + cbTmp + 2;
            return QERR_BUFFER_OVERFLOW;
        }
        rc = fOnDrive ? RTPathGetCurrentOnDrive(pszPath[0], pszTmp, cbTmp) : RTPathGetCurrent(pszTmp, cbTmp);
        if (rc == QERR_BUFFER_OVERFLOW) rc = QERR_FILENAME_TOO_LONG;
        pszCwd = pszTmp;
    }
    if (RT_SUCCESS(rc)) {
        rc = rtPathAbsParse(&Base, pszCwd, fStyle);
        if (RT_SUCCESS(rc))
            rc = rtPathAbsCombine(pszCwd, Base.pParsed, pszPath, pParsed, fFlags, (fFlags & RTPATHABS_F_KEEP_CWD) != 0,
                                  pszAbs, pcbAbs);
    }
    rtPathAbsRecFree(&Base);
    RTMemTmpFree(pszTmp);
    return rc;
}

// A relative path against a given base, made absolute first when it is not already clean.
static int rtPathAbsBase(const char *pszBase, const char *pszPath, RTPATHPARSED *pParsed, uint32_t fFlags, char *pszAbs,
                         size_t *pcbAbs) {
    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;
    RTPATHABSREC Base;
    int rc = rtPathAbsParse(&Base, pszBase, fStyle);
    if (RT_SUCCESS(rc)) {
        const char *pszUse = pszBase;
        uint16_t const fProps = Base.pParsed->fProps;
        if (!(fProps & RTPATHPROP_ABSOLUTE) || (fProps & (RTPATHPROP_DOT | RTPATHPROP_EXTRA_SEPS))) {
            rtPathAbsRecFree(&Base);
            size_t cbBase = *pcbAbs;
            rc = RTPathAbsEx(NULL, pszBase, fFlags, pszAbs, &cbBase);
            if (rc == QERR_BUFFER_OVERFLOW) *pcbAbs = pParsed->cchPath + cbBase + 2;
            if (RT_SUCCESS(rc)) rc = rtPathAbsParse(&Base, pszAbs, fStyle);
            pszUse = pszAbs;
        }
        if (RT_SUCCESS(rc))
            rc = rtPathAbsCombine(pszUse, Base.pParsed, pszPath, pParsed, fFlags, (fFlags & RTPATHABS_F_KEEP_BASE) != 0,
                                  pszAbs, pcbAbs);
    }
    rtPathAbsRecFree(&Base);
    return rc;
}

int RTPathAbsEx(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbs, size_t *pcbAbs) {
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pszAbs) || !RT_VALID_PTR(pcbAbs)) return QERR_INVALID_POINTER;
    if (pszBase && !RT_VALID_PTR(pszBase)) return QERR_INVALID_POINTER;
    if (!*pszPath) return QERR_PATH_ZERO_LENGTH;
    if ((fFlags & ~RTPATHABS_VALID_FLAGS) || (fFlags & RTPATH_STYLE_MASK) == RTPATH_STYLE_INVALID)
        return QERR_INVALID_FLAGS;
    if ((fFlags & RTPATH_STYLE_MASK) == RTPATH_STYLE_HOST) fFlags |= RTPATH_STYLE_DOS;
    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;

    // The parser takes the style alone; the other bits are ours.
    RTPATHABSREC Rec;
    int rc = rtPathAbsParse(&Rec, pszPath, fStyle);
    if (RT_SUCCESS(rc)) {
        RTPATHPARSED *pParsed = Rec.pParsed;
        uint16_t const fProps = pParsed->fProps;
        if (fProps & RTPATHPROP_ABSOLUTE)
            rc = rtPathAbsAbsolute(pszPath, pParsed, fFlags, pszAbs, pcbAbs);
        else if (fProps & RTPATHPROP_ROOT_SEP)
            rc = rtPathAbsRooted(pszBase, pszPath, pParsed, fFlags, pszAbs, pcbAbs);
        else {
            bool fUseBase = pszBase != NULL;
            if (fUseBase && fStyle == RTPATH_STYLE_DOS && (fProps & RTPATHPROP_VOLUME))
                fUseBase = rtPathIsDriveSpec(pszBase) && (pszBase[0] | 0x20) == (pszPath[0] | 0x20);
            if (fUseBase)
                rc = rtPathAbsBase(pszBase, pszPath, pParsed, fFlags, pszAbs, pcbAbs);
            else
                rc = rtPathAbsCwd(pszPath, pParsed, fFlags, pszAbs, pcbAbs);
        }
    }
    rtPathAbsRecFree(&Rec);
    return rc;
}

int RTPathAbs(const char *pszPath, char *pszAbs, size_t cbAbs) {
    size_t cb = cbAbs;
    return RTPathAbsEx(NULL, pszPath, 0, pszAbs, &cb);
}
