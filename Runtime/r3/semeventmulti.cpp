// The waits of manual-reset events: the flags word, the timeout arithmetic and what an alert
// does, over each platform's single wait.
#include <qrt/semaphore.h>
#include <qrt/thread.h>
#include <qrt/err.h>
#include <qrt/time.h>

#include "r3/sem-internal.h"

// Exactly one of the alert modes; either INDEFINITE alone, or one kind of timeout (relative or
// absolute) in one unit (nanoseconds or milliseconds).
bool rtSemWaitFlagsAreValid(uint32_t fFlags) {
    if (fFlags & ~RTSEMWAIT_F_VALID_MASK) return false;
    uint32_t const fAlert = fFlags & (RTSEMWAIT_F_ALERT_RETURNS | RTSEMWAIT_F_ALERT_RESUMES);
    if (fAlert != RTSEMWAIT_F_ALERT_RETURNS && fAlert != RTSEMWAIT_F_ALERT_RESUMES) return false;
    uint32_t const fKind = fFlags & (RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_ABSOLUTE);
    uint32_t const fUnit = fFlags & (RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_MILLISECS);
    if (fFlags & RTSEMWAIT_F_INDEFINITE) return fKind == 0 && fUnit == 0;
    return (fKind == RTSEMWAIT_F_RELATIVE || fKind == RTSEMWAIT_F_ABSOLUTE) &&
           (fUnit == RTSEMWAIT_F_NANOSECS || fUnit == RTSEMWAIT_F_MILLISECS);
}

uint64_t rtSemWaitNanoToMilli(uint64_t cNanos) {
    return cNanos >= UINT64_MAX - 500000 ? UINT64_MAX / 1000000 : (cNanos + 500000) / 1000000;
}

int RTSemEventMultiWaitEx(RTSEMEVENTMULTI hEventMultiSem, uint32_t fFlags, uint64_t uTimeout) {
    if (!rtSemEventMultiIsValid(hEventMultiSem)) return QERR_INVALID_HANDLE;
    if (!rtSemWaitFlagsAreValid(fFlags)) return QERR_INVALID_PARAMETER;

    // The wait time of one platform wait and the deadline on the millisecond clock after which
    // an alert no longer resumes the wait. Without a timeout the deadline is never reached.
    uint32_t cMsWait = RT_INDEFINITE_WAIT;
    uint64_t msDeadline = UINT64_MAX;
    if (!(fFlags & RTSEMWAIT_F_INDEFINITE)) {
        if (fFlags & RTSEMWAIT_F_NANOSECS) uTimeout = rtSemWaitNanoToMilli(uTimeout);
        uint64_t cMs;
        if (fFlags & RTSEMWAIT_F_ABSOLUTE) {
            uint64_t const msNow = RTTimeMilliTS();
            cMs = uTimeout > msNow ? uTimeout - msNow : 0;
            msDeadline = uTimeout;
        } else {
            cMs = uTimeout;
            if (fFlags & RTSEMWAIT_F_ALERT_RESUMES) {
                uint64_t const msNow = RTTimeMilliTS();
                msDeadline = uTimeout < UINT64_MAX - msNow ? msNow + uTimeout : UINT64_MAX;
            }
        }
        if (cMs < RT_INDEFINITE_WAIT) cMsWait = (uint32_t)cMs;
    }

    RTTHREAD const hSelf = RTThreadSelf();
    RTThreadBlocking(hSelf, RTTHREADSTATE_EVENT_MULTI, true);
    int rc = rtSemEventMultiWaitOne(hEventMultiSem, cMsWait);
    if (fFlags & RTSEMWAIT_F_ALERT_RESUMES) {
        while (rc == QERR_INTERRUPTED && (msDeadline == UINT64_MAX || RTTimeMilliTS() < msDeadline))
            rc = rtSemEventMultiWaitOne(hEventMultiSem, cMsWait);
        if (rc == QERR_INTERRUPTED) rc = QERR_TIMEOUT;
    }
    RTThreadUnblocked(hSelf, RTTHREADSTATE_EVENT_MULTI);
    return rc;
}

int RTSemEventMultiWait(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies) {
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventMultiWaitEx(hEventMultiSem, RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_ALERT_RESUMES, 0);
    return RTSemEventMultiWaitEx(hEventMultiSem,
                                 RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_ALERT_RESUMES, cMillies);
}

int RTSemEventMultiWaitNoResume(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies) {
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventMultiWaitEx(hEventMultiSem, RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_ALERT_RETURNS, 0);
    return RTSemEventMultiWaitEx(hEventMultiSem,
                                 RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_ALERT_RETURNS, cMillies);
}
