// Simple case mapping of single code points.
#include <qrt/uni.h>

#include "unicase-internal.h"

static RTUNICP rtUniCaseLookup(const RTUNICASERUN *paRuns, size_t cRuns, RTUNICP uc) {
    // First run whose last code point is not below uc.
    size_t iLo = 0;
    size_t iHi = cRuns;
    while (iLo < iHi) {
        size_t iMid = iLo + (iHi - iLo) / 2;
        if (paRuns[iMid].ucLast < uc)
            iLo = iMid + 1;
        else
            iHi = iMid;
    }
    if (iLo < cRuns) {
        const RTUNICASERUN *pRun = &paRuns[iLo];
        if (uc >= pRun->ucFirst && (uc - pRun->ucFirst) % pRun->cStride == 0)
            return (RTUNICP)((int64_t)uc + pRun->iDelta);
    }
    return uc;
}

RTUNICP RTUniCpToUpper(RTUNICP uc) {
    if (uc < 0x80) return uc - 'a' < 26U ? uc - 0x20 : uc;
    return rtUniCaseLookup(g_aRTUniUpperRuns, g_aRTUniUpperRunsCount, uc);
}

RTUNICP RTUniCpToLower(RTUNICP uc) {
    if (uc < 0x80) return uc - 'A' < 26U ? uc + 0x20 : uc;
    return rtUniCaseLookup(g_aRTUniLowerRuns, g_aRTUniLowerRunsCount, uc);
}
