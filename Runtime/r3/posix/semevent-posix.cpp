// Auto-reset event semaphores on POSIX systems.
#include <qrt/semaphore.h>
#include <qrt/thread.h>
#include <qrt/err.h>

#include "r3/posix/sem-posix-internal.h"

#define RTSEMEVENTPOSIX_TAG "Runtime/r3/posix/semevent-posix"
#define RTSEMEVENT_MAGIC 0x19601110U
#define RTSEMEVENT_MAGIC_DEAD 0xE69FEEEFU

int RTSemEventCreate(RTSEMEVENT *phEventSem, uint32_t fFlags) {
    *phEventSem = NIL_RTSEMEVENT;
    if (fFlags & ~(RTSEMEVENT_FLAGS_NO_LOCK_VAL | RTSEMEVENT_FLAGS_BOOTSTRAP_HACK)) return QERR_INVALID_PARAMETER;
    RTSEMPOSIXEVENT *pThis;
    int rc = rtSemPosixEventCreate(&pThis, false, RTSEMEVENT_MAGIC, fFlags,
                                   fFlags & RTSEMEVENT_FLAGS_BOOTSTRAP_HACK ? NULL : RTSEMEVENTPOSIX_TAG);
    if (RT_SUCCESS(rc)) *phEventSem = (RTSEMEVENT)pThis;
    return rc;
}

int RTSemEventDestroy(RTSEMEVENT hEventSem) {
    return rtSemPosixEventDestroy(hEventSem, RTSEMEVENT_MAGIC, RTSEMEVENT_MAGIC_DEAD);
}

int RTSemEventSignal(RTSEMEVENT hEventSem) {
    return rtSemPosixEventSignal(hEventSem, RTSEMEVENT_MAGIC);
}

int RTSemEventWaitNoResume(RTSEMEVENT hEventSem, uint32_t cMillies) {
    if (!rtSemPosixEventValid(hEventSem, RTSEMEVENT_MAGIC)) return QERR_INVALID_HANDLE;
    RTTHREAD const hSelf = RTThreadSelf();
    RTThreadBlocking(hSelf, RTTHREADSTATE_EVENT, true);
    int rc = rtSemPosixEventWait(hEventSem, RTSEMEVENT_MAGIC, cMillies);
    RTThreadUnblocked(hSelf, RTTHREADSTATE_EVENT);
    return rc;
}
