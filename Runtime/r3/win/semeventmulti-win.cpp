// Manual-reset event semaphores over Windows manual-reset events; the waits themselves are
// shared with the other platforms (Runtime/r3/semeventmulti.cpp).
#include <qrt/semaphore.h>
#include <qrt/err.h>

#include "r3/sem-internal.h"
#include "r3/win/sem-win-internal.h"

#define RTSEMEVENTMULTIWIN_TAG "Runtime/r3/win/semeventmulti-win"
#define RTSEMEVENTMULTI_MAGIC 0x19200102U
#define RTSEMEVENTMULTI_MAGIC_DEAD 0xE6DFFEFDU

int RTSemEventMultiCreate(RTSEMEVENTMULTI *phEventMultiSem, uint32_t fFlags) {
    *phEventMultiSem = NIL_RTSEMEVENTMULTI;
    if (fFlags & ~RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL) return QERR_INVALID_PARAMETER;
    RTSEMWINEVENT *pThis;
    int rc = rtSemWinEventCreate(&pThis, true, RTSEMEVENTMULTI_MAGIC, fFlags, RTSEMEVENTMULTIWIN_TAG);
    if (RT_SUCCESS(rc)) *phEventMultiSem = (RTSEMEVENTMULTI)pThis;
    return rc;
}

int RTSemEventMultiDestroy(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemWinEventDestroy(hEventMultiSem, RTSEMEVENTMULTI_MAGIC, RTSEMEVENTMULTI_MAGIC_DEAD);
}

int RTSemEventMultiSignal(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemWinEventSignal(hEventMultiSem, RTSEMEVENTMULTI_MAGIC);
}

int RTSemEventMultiReset(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemWinEventReset(hEventMultiSem, RTSEMEVENTMULTI_MAGIC);
}

bool rtSemEventMultiIsValid(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemWinEventValid(hEventMultiSem, RTSEMEVENTMULTI_MAGIC) != NULL;
}

int rtSemEventMultiWaitOne(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies) {
    return rtSemWinEventWait(hEventMultiSem, RTSEMEVENTMULTI_MAGIC, cMillies);
}
