// Pieces of the status lookup that tests reach directly.
#pragma once

#include <qrt/err.h>

// True for a range marker: a name ending in _FIRST, _LAST, _LOWEST or _HIGHEST (and longer).
bool rtErrIsRangeMarker(const char *pszDefine);
// The lookup rule over any table: index of the row, or -1.
ptrdiff_t rtErrLookupIndex(const RTSTATUSENTRY *paEntries, size_t cEntries, int32_t rc);
// The status table itself.
PCRTSTATUSENTRY rtErrStatusTable(void);
size_t rtErrStatusTableSize(void);
// The platform message table itself.
PCRTWINERRENTRY rtErrWinTable(void);
size_t rtErrWinTableSize(void);
