// The platform message table and the lookup of a Windows error value or HRESULT.
#include <qrt/err.h>
#include <qrt/format.h>

#include "errlookup-internal.h"

static const RTWINERRENTRY g_aWinMsgs[] = {
#define QRT_WINERR(name, value, pszFull) {pszFull, #name, (uint32_t)(value)},
#include "winerr-list.h"
#undef QRT_WINERR
};

static char g_aszUnknownStr[4][64];
static RTWINERRENTRY g_aUnknownMsgs[4] = {
    {g_aszUnknownStr[0], g_aszUnknownStr[0], 0},
    {g_aszUnknownStr[1], g_aszUnknownStr[1], 0},
    {g_aszUnknownStr[2], g_aszUnknownStr[2], 0},
    {g_aszUnknownStr[3], g_aszUnknownStr[3], 0},
};
static volatile uint32_t g_iUnknownMsgs;

static const RTWINERRENTRY *rtErrWinFind(uint32_t uCode) {
    for (size_t i = 0; i < RT_ELEMENTS(g_aWinMsgs); i++)
        if (g_aWinMsgs[i].iCode == uCode) return &g_aWinMsgs[i];
    return NULL;
}

PCRTWINERRENTRY RTErrWinLookup(uint32_t uValue) {
    const RTWINERRENTRY *pEntry = rtErrWinFind(uValue);
    if (pEntry) return pEntry;

    // An unlisted HRESULT often wraps a listed Win32 code in its low 16 bits: name that one.
    uint32_t iMsg = __atomic_fetch_add(&g_iUnknownMsgs, 1, __ATOMIC_RELAXED) % RT_ELEMENTS(g_aUnknownMsgs);
    pEntry = rtErrWinFind(uValue & 0xffff);
    if (pEntry)
        RTStrPrintf(g_aszUnknownStr[iMsg], sizeof(g_aszUnknownStr[iMsg]), "%s 0x%X", pEntry->pszDefine, uValue);
    else
        RTStrPrintf(g_aszUnknownStr[iMsg], sizeof(g_aszUnknownStr[iMsg]), "Unknown Status 0x%X", uValue);
    return &g_aUnknownMsgs[iMsg];
}

PCRTWINERRENTRY rtErrWinTable(void) {
    return g_aWinMsgs;
}
size_t rtErrWinTableSize(void) {
    return RT_ELEMENTS(g_aWinMsgs);
}
