// The resuming wait of auto-reset events, over each platform's single wait.
#include <qrt/semaphore.h>
#include <qrt/err.h>
#include <qrt/time.h>

int RTSemEventWait(RTSEMEVENT hEventSem, uint32_t cMillies) {
    int rc;
    if (cMillies == RT_INDEFINITE_WAIT) {
        do rc = RTSemEventWaitNoResume(hEventSem, RT_INDEFINITE_WAIT);
        while (rc == QERR_INTERRUPTED);
        return rc;
    }
    // After an alert, wait only for what is left of the timeout.
    uint64_t const msStart = RTTimeMilliTS();
    uint32_t cMsLeft = cMillies;
    for (;;) {
        rc = RTSemEventWaitNoResume(hEventSem, cMsLeft);
        if (rc != QERR_INTERRUPTED) return rc;
        uint64_t const cMsElapsed = RTTimeMilliTS() - msStart;
        if (cMsElapsed >= cMillies) return QERR_TIMEOUT;
        cMsLeft = cMillies - (uint32_t)cMsElapsed;
    }
}
