// The status table and the lookup that turns a status code into its name and messages.
#include <qrt/err.h>
#include <qrt/format.h>
#include <string.h>

#include "errlookup-internal.h"

static const RTSTATUSENTRY g_aStatusMsgs[] = {
#define QRT_STATUS(name, value, pszShort, pszFull) {pszShort, pszFull, #name, (value)},
#include <qrt/err-list.h>
#undef QRT_STATUS
};

// Four rows for codes that are not in the table, reused in rotation.
static char g_aszUnknownStr[4][64];
static RTSTATUSENTRY g_aUnknownMsgs[4] = {
    {g_aszUnknownStr[0], g_aszUnknownStr[0], g_aszUnknownStr[0], 0},
    {g_aszUnknownStr[1], g_aszUnknownStr[1], g_aszUnknownStr[1], 0},
    {g_aszUnknownStr[2], g_aszUnknownStr[2], g_aszUnknownStr[2], 0},
    {g_aszUnknownStr[3], g_aszUnknownStr[3], g_aszUnknownStr[3], 0},
};
static volatile uint32_t g_iUnknownMsgs;

static bool rtErrEndsWith(const char *psz, size_t cch, const char *pszSuffix, size_t cchSuffix) {
    return cch > cchSuffix && memcmp(psz + cch - cchSuffix, pszSuffix, cchSuffix) == 0;
}

bool rtErrIsRangeMarker(const char *pszDefine) {
    size_t cch = strlen(pszDefine);
    return rtErrEndsWith(pszDefine, cch, RT_STR_TUPLE("_FIRST")) ||
           rtErrEndsWith(pszDefine, cch, RT_STR_TUPLE("_LAST")) ||
           rtErrEndsWith(pszDefine, cch, RT_STR_TUPLE("_LOWEST")) ||
           rtErrEndsWith(pszDefine, cch, RT_STR_TUPLE("_HIGHEST"));
}

ptrdiff_t rtErrLookupIndex(const RTSTATUSENTRY *paEntries, size_t cEntries, int32_t rc) {
    // First real row wins; a value carried only by range markers gives the last of them.
    ptrdiff_t iFound = -1;
    for (size_t i = 0; i < cEntries; i++)
        if (paEntries[i].iCode == rc) {
            if (!rtErrIsRangeMarker(paEntries[i].pszDefine)) return (ptrdiff_t)i;
            iFound = (ptrdiff_t)i;
        }
    return iFound;
}

PCRTSTATUSENTRY RTErrLookup(int32_t rc) {
    ptrdiff_t i = rtErrLookupIndex(g_aStatusMsgs, RT_ELEMENTS(g_aStatusMsgs), rc);
    if (i >= 0) return &g_aStatusMsgs[i];

    // Read, then exchange the next value in: two threads falling back at once may share a row.
    uint32_t iMsg = __atomic_load_n(&g_iUnknownMsgs, __ATOMIC_RELAXED);
    iMsg = __atomic_exchange_n(&g_iUnknownMsgs, (iMsg + 1) % RT_ELEMENTS(g_aUnknownMsgs), __ATOMIC_RELAXED);
    iMsg %= RT_ELEMENTS(g_aUnknownMsgs);
    RTStrPrintf(g_aszUnknownStr[iMsg], sizeof(g_aszUnknownStr[iMsg]), "Unknown Status %d (%#x)", rc, rc);
    return &g_aUnknownMsgs[iMsg];
}

size_t rtErrStatusTableSize(void) {
    return RT_ELEMENTS(g_aStatusMsgs);
}
PCRTSTATUSENTRY rtErrStatusTable(void) {
    return g_aStatusMsgs;
}
