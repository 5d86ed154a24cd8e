// Appending one component to a path in a caller buffer.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"

#include <string.h>

size_t rtPathDosRootLength(const char *pszPath) {
    if (!pszPath) return 0;
    if (rtPathIsDriveSpec(pszPath)) return rtPathIsDosSep(pszPath[2]) ? 3 : 2;
    if (!rtPathIsDosSep(pszPath[0])) return 0;
    if (!rtPathIsDosSep(pszPath[1]) || pszPath[2] == '\0' || rtPathIsDosSep(pszPath[2])) return 1;

    // UNC: the server, then every separator, the share and one separator.
    size_t off = 2;
    while (pszPath[off] && !rtPathIsDosSep(pszPath[off])) off++;
    if (!pszPath[off]) return 1;
    while (rtPathIsDosSep(pszPath[off])) off++;
    while (pszPath[off] && !rtPathIsDosSep(pszPath[off])) off++;
    if (rtPathIsDosSep(pszPath[off])) off++;
    return off;
}

// Stores the n bytes at pchAppend at pszPath + off, terminated, when they fit.
static int rtPathAppendCopy(char *pszPath, size_t cbPath, size_t off, const char *pchAppend, size_t cch) {
    if (off + cch >= cbPath) return QERR_BUFFER_OVERFLOW;
    memcpy(pszPath + off, pchAppend, cch);
    pszPath[off + cch] = '\0';
    return QINF_SUCCESS;
}

int RTPathAppendEx(char *pszPath, size_t cbPath, const char *pszAppend, size_t cchAppendMax, uint32_t fFlags) {
    const char *pszEnd = RTStrEnd(pszPath, cbPath);
    if (!pszEnd) return QERR_INVALID_PARAMETER;
    if (!pszAppend) return QINF_SUCCESS;
    size_t cchAppend = RTStrNLen(pszAppend, cchAppendMax);
    // A limit that falls inside a multi-byte sequence drops that whole sequence.
    if (((unsigned char)pszAppend[cchAppend] & 0xc0) == 0x80)
        while (cchAppend > 0 && ((unsigned char)pszAppend[cchAppend] & 0xc0) == 0x80) cchAppend--;
    if (cchAppend == 0) return QINF_SUCCESS;

    size_t cchPath = (size_t)(pszEnd - pszPath);
    if (cchPath == 0) return rtPathAppendCopy(pszPath, cbPath, 0, pszAppend, cchAppend);

    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;
    if (fStyle == RTPATH_STYLE_INVALID) return QERR_INVALID_FLAGS;
    char const chSep = fStyle == RTPATH_STYLE_UNIX ? '/' : '\\';

    if (rtPathIsSep(pszPath[cchPath - 1], fStyle)) {
        while (cchAppend && rtPathIsSep(*pszAppend, fStyle)) {
            pszAppend++;
            cchAppend--;
        }
        // Only the end position moves, so an overflow leaves the buffer as it was.
        size_t cchFloor = fStyle == RTPATH_STYLE_UNIX ? 1 : rtPathDosRootLength(pszPath);
        if (cchFloor < 1) cchFloor = 1;
        while (cchPath > cchFloor && rtPathIsSep(pszPath[cchPath - 2], fStyle)) cchPath--;
        return rtPathAppendCopy(pszPath, cbPath, cchPath, pszAppend, cchAppend);
    }
    if (rtPathIsSep(*pszAppend, fStyle)) {
        while (cchAppend > 1 && rtPathIsSep(pszAppend[1], fStyle)) {
            pszAppend++;
            cchAppend--;
        }
        return rtPathAppendCopy(pszPath, cbPath, cchPath, pszAppend, cchAppend);
    }
    if (fStyle != RTPATH_STYLE_UNIX && cchPath == 2 && rtPathIsDriveSpec(pszPath))
        return rtPathAppendCopy(pszPath, cbPath, 2, pszAppend, cchAppend); // 'C:' + 'x' is 'C:x'
    if (cchPath + 1 + cchAppend >= cbPath) return QERR_BUFFER_OVERFLOW;
    pszPath[cchPath] = chSep;
    return rtPathAppendCopy(pszPath, cbPath, cchPath + 1, pszAppend, cchAppend);
}

int RTPathAppend(char *pszPath, size_t cbPath, const char *pszAppend) {
    return RTPathAppendEx(pszPath, cbPath, pszAppend, RTSTR_MAX, RTPATH_STYLE_HOST);
}
