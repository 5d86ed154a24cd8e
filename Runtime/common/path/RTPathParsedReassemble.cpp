// Rebuilding a path from its parsed record.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>

#include "common/path/path-internal.h"

#include <string.h>

int RTPathParsedReassemble(const char *pszPath, RTPATHPARSED *pParsed, uint32_t fFlags, char *pszDst, size_t cbDst) {
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pParsed)) return QERR_INVALID_POINTER;
    if (pParsed->cComps == 0) return QERR_INVALID_PARAMETER;
    if (fFlags & ~RTPATH_STYLE_MASK || fFlags == RTPATH_STYLE_INVALID) return QERR_INVALID_FLAGS;
    if (!RT_VALID_PTR(pszDst)) return QERR_INVALID_POINTER;
    char const chSep = fFlags == RTPATH_STYLE_UNIX ? '/' : '\\';
    uint32_t const cComps = pParsed->cComps;

    // The length, in size_t: a trailing separator added by a caller can take a path of
    // 65535 bytes past what the 16-bit field holds.
    uint32_t iFirst = 0;
    size_t cch = 0;
    if (pParsed->fProps & RTPATHPROP_HAS_ROOT) {
        cch = pParsed->aComps[0].cch;
        iFirst = 1;
    }
    size_t cAdded = 0;
    for (uint32_t i = iFirst; i < cComps; i++)
        if (pParsed->aComps[i].cch) {
            cch += pParsed->aComps[i].cch + (cAdded ? 1 : 0);
            cAdded++;
        }
    bool const fTrailing = (pParsed->fProps & RTPATHPROP_TRAILING_SEP) && cAdded;
    cch += fTrailing;
    if (cch > 0xffff) return QERR_FILENAME_TOO_LONG;
    pParsed->cchPath = (uint16_t)cch;
    if (cch >= cbDst) {
        if (cbDst) *pszDst = '\0';
        return QERR_BUFFER_OVERFLOW;
    }

    // Every piece moves towards the start or stays, so pszDst may be pszPath.
    size_t offDst = 0;
    if (iFirst) {
        size_t const cchRoot = pParsed->aComps[0].cch;
        for (size_t i = 0; i < cchRoot; i++) {
            char const ch = pszPath[pParsed->aComps[0].off + i];
            pszDst[offDst++] = rtPathIsDosSep(ch) ? chSep : ch;
        }
    }
    cAdded = 0;
    for (uint32_t i = iFirst; i < cComps; i++) {
        size_t const cchComp = pParsed->aComps[i].cch;
        if (!cchComp) continue;
        if (cAdded++) pszDst[offDst++] = chSep;
        memmove(&pszDst[offDst], &pszPath[pParsed->aComps[i].off], cchComp);
        offDst += cchComp;
    }
    if (fTrailing) pszDst[offDst++] = chSep;
    pszDst[offDst] = '\0';
    return QINF_SUCCESS;
}
