// The memory layer: every runtime allocation comes from the C library's heap (on Windows the
// process heap behind it), so any free operation may free any block. The tag is accepted for
// diagnostics and not recorded.
#include <qrt/mem.h>
#include <qrt/cdefs.h>

#include <stdlib.h>
#include <string.h>

// Countdown for RTMemTestFailAfter; 0 when disarmed.
static uint32_t g_cRTMemFailCountdown = 0;

// True when this allocation is the one a test asked to fail.
static inline bool rtMemShouldFail(void) {
    if (RT_LIKELY(__atomic_load_n(&g_cRTMemFailCountdown, __ATOMIC_RELAXED) == 0)) return false;
    uint32_t cOld = __atomic_load_n(&g_cRTMemFailCountdown, __ATOMIC_RELAXED);
    while (cOld != 0) {
        if (__atomic_compare_exchange_n(&g_cRTMemFailCountdown, &cOld, cOld - 1, true, __ATOMIC_RELAXED,
                                        __ATOMIC_RELAXED))
            return cOld == 1;
    }
    return false;
}

void RTMemTestFailAfter(uint32_t cAllocs) {
    __atomic_store_n(&g_cRTMemFailCountdown, cAllocs, __ATOMIC_RELAXED);
}

void *RTMemAllocTag(size_t cb, const char *pszTag) {
    RT_NOREF(pszTag);
    if (rtMemShouldFail()) return NULL;
    return malloc(cb ? cb : 1);
}

void *RTMemAllocZTag(size_t cb, const char *pszTag) {
    RT_NOREF(pszTag);
    if (rtMemShouldFail()) return NULL;
    return calloc(1, cb ? cb : 1);
}

void *RTMemAllocZRoundedTag(size_t cb, const char *pszTag) {
    // Round without wrapping: a size near the top of the range must fail, not shrink.
    size_t const uAlign = cb < 16 ? 4 : 16;
    if (cb > ~(size_t)0 - (uAlign - 1)) return NULL;
    return RTMemAllocZTag(RT_ALIGN_Z(cb, uAlign), pszTag);
}

void *RTMemReallocTag(void *pvOld, size_t cbNew, const char *pszTag) {
    RT_NOREF(pszTag);
    if (rtMemShouldFail()) return NULL;
    return realloc(pvOld, cbNew ? cbNew : 1);
}

void *RTMemDupTag(const void *pvSrc, size_t cb, const char *pszTag) {
    void *pv = RTMemAllocTag(cb, pszTag);
    if (pv && cb) memcpy(pv, pvSrc, cb);
    return pv;
}

void RTMemFree(void *pv) {
    free(pv);
}

void *RTMemTmpAllocTag(size_t cb, const char *pszTag) {
    return RTMemAllocTag(cb, pszTag);
}

void *RTMemTmpAllocZTag(size_t cb, const char *pszTag) {
    return RTMemAllocZTag(cb, pszTag);
}

void RTMemTmpFree(void *pv) {
    free(pv);
}
