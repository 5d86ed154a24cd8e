// Splitting a path into directory, name and suffix offsets.
#include <qrt/path.h>

#include "common/path/path-internal.h"

size_t RTPathParseOffsets(const char *pszPath, size_t *pcchDir, ptrdiff_t *poffName, ptrdiff_t *poffSuffix) {
    // The root: a drive and its separators, two separators with the server name and its
    // separators, or a run of leading separators.
    size_t off = 0;
    if (rtPathIsDriveSpec(pszPath)) {
        off = 2;
        while (rtPathIsDosSep(pszPath[off])) off++;
    } else if (rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1])) {
        off = 2;
        while (pszPath[off] && !rtPathIsDosSep(pszPath[off])) off++;
        while (rtPathIsDosSep(pszPath[off])) off++;
    } else
        while (rtPathIsDosSep(pszPath[off])) off++;
    size_t const cchRoot = off;

    size_t offName = cchRoot;
    ptrdiff_t offDot = -1;
    for (; pszPath[off]; off++) {
        if (rtPathIsDosSep(pszPath[off])) {
            offName = off + 1;
            offDot = -1;
        } else if (pszPath[off] == '.')
            offDot = (ptrdiff_t)off;
    }
    size_t const cchPath = off;
    bool const fHasName = offName < cchPath;

    if (poffName) *poffName = fHasName ? (ptrdiff_t)offName : -1;
    if (poffSuffix) {
        // No suffix when the dot starts the name or ends the path.
        if (!fHasName || offDot == (ptrdiff_t)offName || offDot == (ptrdiff_t)cchPath - 1) offDot = -1;
        *poffSuffix = offDot;
    }
    if (pcchDir) {
        // Counted in size_t from the name's separator, never from below the root: a path that
        // is only a name ('file') has a directory length of 0.
        size_t cchDir = fHasName ? (offName > cchRoot ? offName - 1 : cchRoot) : cchPath;
        if (cchDir < cchRoot) cchDir = cchRoot;
        while (cchDir > cchRoot && rtPathIsDosSep(pszPath[cchDir - 1])) cchDir--;
        *pcchDir = cchDir;
    }
    return cchPath;
}
