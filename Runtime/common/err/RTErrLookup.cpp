// The status table and the lookup that turns a status code into its name and messages.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/format.h>

#include "errlookup-internal.h"

static constexpr RTSTATUSENTRY g_aStatusMsgs[] = {
#define QRT_STATUS(name, value, pszShort, pszFull) {pszShort, pszFull, #name, (value)},
#include <qrt/err-list.h>
#undef QRT_STATUS
};
static constexpr size_t g_cStatusMsgs = RT_ELEMENTS(g_aStatusMsgs);

// "%Rrc" formats a status name for every message, so the lookup must not walk the whole
// table each time. The compiler applies the table's rule (first real row wins, markers only
// when nothing else carries the value) once per distinct value and sorts the result.
struct RTERRINDEXENTRY {
    int32_t iCode;
    uint16_t iRow;
};
struct RTERRINDEX {
    RTERRINDEXENTRY a[g_cStatusMsgs];
    size_t c;
};

static constexpr RTERRINDEX rtErrBuildIndex() {
    RTERRINDEX Index{};
    for (size_t iRow = 0; iRow < g_cStatusMsgs; iRow++) {
        int32_t const rc = g_aStatusMsgs[iRow].iCode;
        size_t iIns = 0;
        while (iIns < Index.c && Index.a[iIns].iCode < rc) iIns++;
        if (iIns < Index.c && Index.a[iIns].iCode == rc) continue;
        for (size_t j = Index.c; j > iIns; j--) Index.a[j] = Index.a[j - 1];
        Index.a[iIns] = {rc, (uint16_t)rtErrLookupIndex(g_aStatusMsgs, g_cStatusMsgs, rc)};
        Index.c++;
    }
    return Index;
}
static constexpr RTERRINDEX g_StatusIndex = rtErrBuildIndex();

// Four rows for codes that are not in the table, reused in rotation.
static char g_aszUnknownStr[4][64];
static RTSTATUSENTRY g_aUnknownMsgs[4] = {
    {g_aszUnknownStr[0], g_aszUnknownStr[0], g_aszUnknownStr[0], 0},
    {g_aszUnknownStr[1], g_aszUnknownStr[1], g_aszUnknownStr[1], 0},
    {g_aszUnknownStr[2], g_aszUnknownStr[2], g_aszUnknownStr[2], 0},
    {g_aszUnknownStr[3], g_aszUnknownStr[3], g_aszUnknownStr[3], 0},
};
static volatile uint32_t g_iUnknownMsgs;

PCRTSTATUSENTRY RTErrLookup(int32_t rc) {
    size_t iLo = 0, iHi = g_StatusIndex.c;
    while (iLo < iHi) {
        size_t iMid = iLo + (iHi - iLo) / 2;
        int32_t const rcMid = g_StatusIndex.a[iMid].iCode;
        if (rcMid == rc) return &g_aStatusMsgs[g_StatusIndex.a[iMid].iRow];
        if (rcMid < rc)
            iLo = iMid + 1;
        else
            iHi = iMid;
    }

    // Read, then exchange the next value in: two threads falling back at once may share a row.
    uint32_t iMsg = __atomic_load_n(&g_iUnknownMsgs, __ATOMIC_RELAXED);
    iMsg = __atomic_exchange_n(&g_iUnknownMsgs, (iMsg + 1) % RT_ELEMENTS(g_aUnknownMsgs), __ATOMIC_RELAXED);
    iMsg %= RT_ELEMENTS(g_aUnknownMsgs);
    RTStrPrintf(g_aszUnknownStr[iMsg], sizeof(g_aszUnknownStr[iMsg]), "Unknown Status %d (%#x)", rc, rc);
    return &g_aUnknownMsgs[iMsg];
}

size_t rtErrStatusTableSize(void) {
    return g_cStatusMsgs;
}
PCRTSTATUSENTRY rtErrStatusTable(void) {
    return g_aStatusMsgs;
}
