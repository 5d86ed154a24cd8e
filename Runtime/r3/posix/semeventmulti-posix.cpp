// Manual-reset event semaphores on POSIX systems; the waits themselves are shared with the
// other platforms (Runtime/r3/semeventmulti.cpp).
#include <qrt/semaphore.h>
#include <qrt/err.h>

#include "r3/sem-internal.h"
#include "r3/posix/sem-posix-internal.h"

#define RTSEMEVENTMULTIPOSIX_TAG "Runtime/r3/posix/semeventmulti-posix"
#define RTSEMEVENTMULTI_MAGIC 0x19200102U
#define RTSEMEVENTMULTI_MAGIC_DEAD 0xE6DFFEFDU

int RTSemEventMultiCreate(RTSEMEVENTMULTI *phEventMultiSem, uint32_t fFlags) {
    *phEventMultiSem = NIL_RTSEMEVENTMULTI;
    if (fFlags & ~RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL) return QERR_INVALID_PARAMETER;
    RTSEMPOSIXEVENT *pThis;
    int rc = rtSemPosixEventCreate(&pThis, true, RTSEMEVENTMULTI_MAGIC, fFlags, RTSEMEVENTMULTIPOSIX_TAG);
    if (RT_SUCCESS(rc)) *phEventMultiSem = (RTSEMEVENTMULTI)pThis;
    return rc;
}

int RTSemEventMultiDestroy(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemPosixEventDestroy(hEventMultiSem, RTSEMEVENTMULTI_MAGIC, RTSEMEVENTMULTI_MAGIC_DEAD);
}

int RTSemEventMultiSignal(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemPosixEventSignal(hEventMultiSem, RTSEMEVENTMULTI_MAGIC);
}

int RTSemEventMultiReset(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemPosixEventReset(hEventMultiSem, RTSEMEVENTMULTI_MAGIC);
}

bool rtSemEventMultiIsValid(RTSEMEVENTMULTI hEventMultiSem) {
    return rtSemPosixEventValid(hEventMultiSem, RTSEMEVENTMULTI_MAGIC) != NULL;
}

int rtSemEventMultiWaitOne(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies) {
    return rtSemPosixEventWait(hEventMultiSem, RTSEMEVENTMULTI_MAGIC, cMillies);
}
