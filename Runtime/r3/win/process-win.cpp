// The process identifier, recorded once.
#include <qrt/system.h>

#include "r3/system-internal.h"

#include <windows.h>

static RTPROCESS volatile g_rtProcSelf = ~(RTPROCESS)0;

void rtProcInitSelf(void) {
    __atomic_store_n(&g_rtProcSelf, (RTPROCESS)GetCurrentProcessId(), __ATOMIC_RELAXED);
}

RTPROCESS RTProcSelf(void) {
    RTPROCESS const uPid = __atomic_load_n(&g_rtProcSelf, __ATOMIC_RELAXED);
    if (uPid != ~(RTPROCESS)0) return uPid;
    rtProcInitSelf();
    return __atomic_load_n(&g_rtProcSelf, __ATOMIC_RELAXED);
}
