// The shared generator, created once on first use, and the calls through a generator object.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/once.h>
#include <qrt/rand.h>
#include <qrt/time.h>

#include "common/rand/rand-internal.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#endif

static RTONCE g_rtRandOnce = RTONCE_INITIALIZER;
static RTRAND g_hRtRandShared = NIL_RTRAND;

int rtRandCreatePlatform(RTRAND *phRand) {
    // No platform source is used: temporary names need unpredictability only against
    // accidents, and their uniqueness comes from create-new.
    *phRand = NIL_RTRAND;
    return QERR_NOT_SUPPORTED;
}

static uint64_t rtRandSeedValue(void) {
#if defined(__i386__) || defined(__x86_64__)
    return __rdtsc() >> 8;
#else
    return RTTimeNanoTS() >> 8;
#endif
}

static int rtRandSharedCreate(void *pvUser) {
    RT_NOREF(pvUser);
    RTRAND hRand = NIL_RTRAND;
    int rc = rtRandCreatePlatform(&hRand);
    if (RT_FAILURE(rc)) {
        rc = RTRandCreateParkMiller(&hRand);
        if (RT_FAILURE(rc)) return rc;
        RTRandAdvSeed(hRand, rtRandSeedValue());
    }
    g_hRtRandShared = hRand;
    return QINF_SUCCESS;
}

// The once record's cleanup; nothing in this system runs it.
static void rtRandSharedDestroy(void *pvUser) {
    RT_NOREF(pvUser);
    RTRAND hRand = g_hRtRandShared;
    g_hRtRandShared = NIL_RTRAND;
    RTRandAdvDestroy(hRand);
}

int rtRandSharedEnsure(void) {
    return RTOnce(&g_rtRandOnce, rtRandSharedCreate, rtRandSharedDestroy, NULL);
}

uint32_t RTRandU32Ex(uint32_t u32First, uint32_t u32Last) {
    if (RT_FAILURE(rtRandSharedEnsure())) return u32First;
    return RTRandAdvU32Ex(g_hRtRandShared, u32First, u32Last);
}

void RTRandAdvBytes(RTRAND hRand, void *pv, size_t cb) {
    if (rtRandIsValid(hRand)) hRand->pfnGetBytes(hRand, (uint8_t *)pv, cb);
}

uint32_t RTRandAdvU32Ex(RTRAND hRand, uint32_t u32First, uint32_t u32Last) {
    if (!rtRandIsValid(hRand)) return UINT32_MAX;
    return hRand->pfnGetU32(hRand, u32First, u32Last);
}

uint64_t RTRandAdvU64Ex(RTRAND hRand, uint64_t u64First, uint64_t u64Last) {
    if (!rtRandIsValid(hRand)) return UINT64_MAX;
    return hRand->pfnGetU64(hRand, u64First, u64Last);
}

int RTRandAdvSeed(RTRAND hRand, uint64_t u64Seed) {
    if (!rtRandIsValid(hRand)) return QERR_INVALID_HANDLE;
    return hRand->pfnSeed(hRand, u64Seed);
}

int RTRandAdvSaveState(RTRAND hRand, char *pszState, size_t *pcbState) {
    if (!rtRandIsValid(hRand)) return QERR_INVALID_HANDLE;
    return hRand->pfnSaveState(hRand, pszState, pcbState);
}

int RTRandAdvRestoreState(RTRAND hRand, const char *pszState) {
    if (!rtRandIsValid(hRand)) return QERR_INVALID_HANDLE;
    return hRand->pfnRestoreState(hRand, pszState);
}

int RTRandAdvDestroy(RTRAND hRand) {
    if (hRand == NIL_RTRAND) return QINF_SUCCESS;
    if (!rtRandIsValid(hRand)) return QERR_INVALID_HANDLE;
    return hRand->pfnDestroy(hRand);
}

RTRAND rtRandSharedHandle(void) {
    return RT_SUCCESS(rtRandSharedEnsure()) ? g_hRtRandShared : NIL_RTRAND;
}
