// Pieces of the status lookup that the table index and the tests share.
#pragma once

#include <qrt/err.h>

constexpr bool rtErrEndsWith(const char *psz, size_t cch, const char *pszSuffix, size_t cchSuffix) {
    if (cch <= cchSuffix) return false;
    for (size_t i = 0; i < cchSuffix; i++)
        if (psz[cch - cchSuffix + i] != pszSuffix[i]) return false;
    return true;
}

// True for a range marker: a name ending in _FIRST, _LAST, _LOWEST or _HIGHEST (and longer).
constexpr bool rtErrIsRangeMarker(const char *pszDefine) {
    size_t cch = 0;
    while (pszDefine[cch]) cch++;
    return rtErrEndsWith(pszDefine, cch, "_FIRST", 6) || rtErrEndsWith(pszDefine, cch, "_LAST", 5) ||
           rtErrEndsWith(pszDefine, cch, "_LOWEST", 7) || rtErrEndsWith(pszDefine, cch, "_HIGHEST", 8);
}

// The lookup rule over any table: the first real row carrying rc, else the last range marker
// carrying it, else -1.
constexpr ptrdiff_t rtErrLookupIndex(const RTSTATUSENTRY *paEntries, size_t cEntries, int32_t rc) {
    ptrdiff_t iFound = -1;
    for (size_t i = 0; i < cEntries; i++)
        if (paEntries[i].iCode == rc) {
            if (!rtErrIsRangeMarker(paEntries[i].pszDefine)) return (ptrdiff_t)i;
            iFound = (ptrdiff_t)i;
        }
    return iFound;
}

// The status table itself.
PCRTSTATUSENTRY rtErrStatusTable(void);
size_t rtErrStatusTableSize(void);
// The platform message table itself.
PCRTWINERRENTRY rtErrWinTable(void);
size_t rtErrWinTableSize(void);
