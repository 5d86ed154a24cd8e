// Splitting a path into a root and components.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"

// Offsets and lengths live in 16-bit fields.
#define RTPATHPARSE_MAX_CCH 0x10000U

int RTPathParse(const char *pszPath, RTPATHPARSED *pParsed, size_t cbParsed, uint32_t fFlags) {
    if (cbParsed < RTPATHPARSED_SIZE(0)) return QERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pParsed) || !RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;
    if (!*pszPath) return QERR_PATH_ZERO_LENGTH;
    if (fFlags & ~RTPATH_STYLE_MASK || fFlags == RTPATH_STYLE_INVALID) return QERR_INVALID_FLAGS;
    // Every offset below the path's length fits once the length does.
    size_t const cchPath = RTStrNLen(pszPath, RTPATHPARSE_MAX_CCH);
    if (cchPath >= RTPATHPARSE_MAX_CCH) return QERR_FILENAME_TOO_LONG;

    uint32_t const fStyle = fFlags == RTPATH_STYLE_UNIX ? RTPATH_STYLE_UNIX : RTPATH_STYLE_DOS;
    size_t const cMaxComps = RT_MIN((cbParsed - RTPATHPARSED_SIZE(0)) / 4, (size_t)0xffff);
    uint32_t fProps = 0;
    size_t off = 0;

    if (fStyle == RTPATH_STYLE_DOS) {
        if (rtPathIsDriveSpec(pszPath)) {
            if (rtPathIsDosSep(pszPath[2])) {
                off = 3;
                fProps = RTPATHPROP_VOLUME | RTPATHPROP_ROOT_SEP | RTPATHPROP_ABSOLUTE;
            } else {
                off = 2;
                fProps = RTPATHPROP_VOLUME | RTPATHPROP_RELATIVE;
            }
        } else if (rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1])) {
            off = 2;
            while (pszPath[off] && !rtPathIsDosSep(pszPath[off])) off++;
            fProps = RTPATHPROP_UNC | RTPATHPROP_ABSOLUTE;
            if (off == 3 && (pszPath[2] == '.' || pszPath[2] == '?')) fProps |= RTPATHPROP_SPECIAL_UNC;
            if (pszPath[off]) {
                off++;
                fProps |= RTPATHPROP_ROOT_SEP;
            }
        } else if (rtPathIsDosSep(pszPath[0])) {
            off = 1;
            fProps = RTPATHPROP_ROOT_SEP | RTPATHPROP_RELATIVE;
        } else
            fProps = RTPATHPROP_RELATIVE;
    } else if (pszPath[0] == '/') {
        off = 1;
        fProps = RTPATHPROP_ROOT_SEP | RTPATHPROP_ABSOLUTE;
    } else
        fProps = RTPATHPROP_RELATIVE;

    size_t cComps = 0;
    size_t cchNormal = off;
    if (off) {
        if (cMaxComps > 0) {
            pParsed->aComps[0].off = 0;
            pParsed->aComps[0].cch = (uint16_t)off;
        }
        cComps = 1;
        if (rtPathIsSep(pszPath[off], fStyle)) {
            fProps |= RTPATHPROP_EXTRA_SEPS;
            while (rtPathIsSep(pszPath[off], fStyle)) off++;
        }
    }

    size_t offLast = off, cchLast = 0; // the last component after the root
    size_t cNamed = 0;
    while (pszPath[off]) {
        size_t const offComp = off;
        while (pszPath[off] && !rtPathIsSep(pszPath[off], fStyle)) off++;
        size_t const cchComp = off - offComp;
        if (cComps < cMaxComps) {
            pParsed->aComps[cComps].off = (uint16_t)offComp;
            pParsed->aComps[cComps].cch = (uint16_t)cchComp;
        }
        cComps++;
        cchNormal += cchComp + (cNamed ? 1 : 0);
        cNamed++;
        offLast = offComp;
        cchLast = cchComp;
        if (pszPath[offComp] == '.') {
            if (cchComp == 1)
                fProps |= RTPATHPROP_DOT;
            else if (cchComp == 2 && pszPath[offComp + 1] == '.')
                fProps = (fProps & ~RTPATHPROP_ABSOLUTE) | RTPATHPROP_DOTDOT | RTPATHPROP_RELATIVE;
        }
        if (pszPath[off]) {
            off++;
            if (rtPathIsSep(pszPath[off], fStyle)) {
                fProps |= RTPATHPROP_EXTRA_SEPS;
                while (rtPathIsSep(pszPath[off], fStyle)) off++;
            }
            if (!pszPath[off]) {
                fProps |= RTPATHPROP_TRAILING_SEP;
                cchNormal++;
            }
        }
    }

    size_t offSuffix = cchPath, cchSuffix = 0;
    if (cNamed && offLast + cchLast == cchPath) {
        fProps |= RTPATHPROP_FILE_NAME;
        // The last dot, unless it starts or ends the name ('.profile', 'file.').
        for (size_t i = cchLast; i-- > 0;)
            if (pszPath[offLast + i] == '.') {
                if (i != 0 && i != cchLast - 1) {
                    offSuffix = offLast + i;
                    cchSuffix = cchLast - i;
                    fProps |= RTPATHPROP_SUFFIX;
                }
                break;
            }
    }

    pParsed->cComps = (uint16_t)cComps;
    pParsed->fProps = (uint16_t)fProps;
    pParsed->cchPath = (uint16_t)cchNormal;
    pParsed->offSuffix = (uint16_t)offSuffix;
    pParsed->cchSuffix = (uint16_t)cchSuffix;
    return cComps <= cMaxComps ? QINF_SUCCESS : QERR_BUFFER_OVERFLOW;
}
