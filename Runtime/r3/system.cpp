// The version record, its classification and the version queries; the platform backends
// supply the record (system-win.cpp, system-posix.cpp).
#include <qrt/system.h>
#include <qrt/time.h>

#include "r3/system-internal.h"

// The record and OS type are written once, under the state word: 0 empty, 1 being
// written, 2 complete. Readers that find it incomplete fill it themselves or wait.
static RTSYSVERSIONREC g_rtSysVersion;
static RTSYSOSTYPE g_enmRtSysOsType;
static uint32_t volatile g_uRtSysVersionState;

RTSYSOSTYPE rtSystemClassifyVersion(const RTSYSVERSIONREC *pRec) {
    if (pRec->cbFilled == 0) return RTSYSOSTYPE_UNKNOWN;
    uint32_t const uMajor = pRec->uMajor;
    uint32_t const uMinor = pRec->uMinor;
    uint32_t const uBuild = pRec->uBuild & 0xffff;
    bool const fWorkstation = pRec->bProductType == 1;

    if (pRec->uPlatformId == 1) {
        if (uMajor != 4) return RTSYSOSTYPE_UNKNOWN;
        if (uMinor < 10) {
            if (uBuild == 950) return RTSYSOSTYPE_WIN95;
            if (uBuild >= 951 && uBuild <= 1080) return RTSYSOSTYPE_WIN95_SP1;
            if (uBuild > 1080) return RTSYSOSTYPE_WIN95_OSR2;
            return RTSYSOSTYPE_UNKNOWN;
        }
        if (uMinor == 10) {
            if (uBuild == 1998) return RTSYSOSTYPE_WIN98;
            if (uBuild >= 1999 && uBuild <= 2182) return RTSYSOSTYPE_WIN98_SP1;
            if (uBuild >= 2183) return RTSYSOSTYPE_WIN98_SE;
            return RTSYSOSTYPE_UNKNOWN;
        }
        if (uMinor == 90) return RTSYSOSTYPE_WINME;
        return RTSYSOSTYPE_UNKNOWN;
    }
    if (pRec->uPlatformId != 2) return RTSYSOSTYPE_UNKNOWN;

    switch (uMajor) {
    case 3:
        return uMinor < 50 ? RTSYSOSTYPE_NT310 : uMinor == 50 ? RTSYSOSTYPE_NT350 : RTSYSOSTYPE_NT351;
    case 4:
        return RTSYSOSTYPE_NT4;
    case 5:
        return uMinor == 0 ? RTSYSOSTYPE_W2K : uMinor == 1 ? RTSYSOSTYPE_XP : RTSYSOSTYPE_2003;
    case 6:
        // Each minor version has a workstation code and the server code right after it.
        if (uMinor > 4) return RTSYSOSTYPE_NT_UNKNOWN;
        return (RTSYSOSTYPE)(RTSYSOSTYPE_VISTA + uMinor * 2 + (fWorkstation ? 0 : 1));
    case 10:
        if (uMinor != 0) return RTSYSOSTYPE_NT_UNKNOWN;
        if (fWorkstation) return uBuild < 22000 ? RTSYSOSTYPE_W10 : RTSYSOSTYPE_W11;
        if (uBuild < 17763) return RTSYSOSTYPE_2016;
        return uBuild < 20348 ? RTSYSOSTYPE_2019 : RTSYSOSTYPE_2022;
    default:
        return RTSYSOSTYPE_NT_UNKNOWN;
    }
}

void rtSystemInitVersion(void) {
    if (__atomic_load_n(&g_uRtSysVersionState, __ATOMIC_ACQUIRE) == 2) return;

    // Query outside the state word; a thread that loses the race throws its copy away.
    RTSYSVERSIONREC Rec;
    rtSystemQueryVersion(&Rec);
    uint32_t uExpected = 0;
    if (__atomic_compare_exchange_n(&g_uRtSysVersionState, &uExpected, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_ACQUIRE)) {
        g_rtSysVersion = Rec;
        g_enmRtSysOsType = rtSystemClassifyVersion(&Rec);
        __atomic_store_n(&g_uRtSysVersionState, 2, __ATOMIC_RELEASE);
        return;
    }
    while (__atomic_load_n(&g_uRtSysVersionState, __ATOMIC_ACQUIRE) != 2) RTThreadYield();
}

const RTSYSVERSIONREC *rtSystemGetVersionRec(void) {
    rtSystemInitVersion();
    return &g_rtSysVersion;
}

RTSYSOSTYPE rtSystemGetOsType(void) {
    rtSystemInitVersion();
    return g_enmRtSysOsType;
}

uint64_t RTSystemGetNtVersion(void) {
    const RTSYSVERSIONREC *pRec = rtSystemGetVersionRec();
    if (pRec->cbFilled == 0) return 0;
    return RTSYSTEM_MAKE_NT_VERSION(pRec->uMajor, pRec->uMinor, pRec->uBuild);
}

uint8_t RTSystemGetNtProductType(void) {
    return rtSystemGetVersionRec()->bProductType;
}
