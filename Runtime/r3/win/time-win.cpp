// The monotonic clock on Windows, sleeping and yielding. The clock's source is chosen on the
// first reading: the tick count on the oldest NT, else RtlGetInterruptTimePrecise where the
// system has it (Windows 10 and later) and otherwise the interrupt time of the shared page.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/time.h>

#include "r3/system-internal.h"
#include "r3/win/init-win-internal.h"
#include "r3/win/time-win-internal.h"

#include <windows.h>
#include <intrin.h>

// The interrupt time in the shared user-data page: low word, then the two high words.
#define RTTIMEWIN_SHARED_INTERRUPT_TIME ((const volatile uint32_t *)(uintptr_t)0x7ffe0008)

static uint32_t volatile g_enmRtTimeWinSource = RTTIMEWINSOURCE_NONE;
static PFNRTLGETINTERRUPTTIMEPRECISE volatile g_pfnRtTimeWinPrecise;

static RT_NOINLINE RTTIMEWINSOURCE rtTimeWinSelect(void) {
    RTSYSOSTYPE const enmOsType = rtSystemGetOsType();
    uint32_t const uGetVersion = enmOsType == RTSYSOSTYPE_UNKNOWN ? (uint32_t)GetVersion() : 0;
    PFNRTLGETINTERRUPTTIMEPRECISE pfn = NULL;
    if (rtTimeWinChooseSource(enmOsType, uGetVersion, true) != RTTIMEWINSOURCE_TICKS)
        pfn = rtR3WinNtDll()->pfnRtlGetInterruptTimePrecise;
    RTTIMEWINSOURCE const enmSource = rtTimeWinChooseSource(enmOsType, uGetVersion, pfn != NULL);
    if (pfn) (void)__atomic_exchange_n(&g_pfnRtTimeWinPrecise, pfn, __ATOMIC_ACQ_REL);
    __atomic_store_n(&g_enmRtTimeWinSource, (uint32_t)enmSource, __ATOMIC_RELEASE);
    return enmSource;
}

uint64_t RTTimeNanoTS(void) {
    RTTIMEWINSOURCE enmSource = (RTTIMEWINSOURCE)__atomic_load_n(&g_enmRtTimeWinSource, __ATOMIC_ACQUIRE);
    if (RT_UNLIKELY(enmSource == RTTIMEWINSOURCE_NONE)) enmSource = rtTimeWinSelect();
    switch (enmSource) {
    case RTTIMEWINSOURCE_PRECISE: {
        ULONGLONG uQpcIgnored;
        return (uint64_t)__atomic_load_n(&g_pfnRtTimeWinPrecise, __ATOMIC_ACQUIRE)(&uQpcIgnored) * 100;
    }
    case RTTIMEWINSOURCE_SHARED:
        return rtTimeWinReadSplit64([](unsigned iWord) -> uint32_t { return RTTIMEWIN_SHARED_INTERRUPT_TIME[iWord]; }) *
               100;
    default:
        return (uint64_t)GetTickCount() * UINT64_C(1000000);
    }
}

int RTThreadSleep(uint32_t cMillies) {
    Sleep(cMillies);
    return QINF_SUCCESS;
}

bool RTThreadYield(void) {
    uint64_t const uStart = __rdtsc();
    Sleep(0);
    return __rdtsc() - uStart > 1500;
}
