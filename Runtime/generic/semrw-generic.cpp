// The read/write semaphore's write side: an internal critical section guards the counts,
// writers sleep on an auto-reset event, and readers (once they exist) on a manual-reset one.
#include <qrt/semaphore.h>
#include <qrt/critsect.h>
#include <qrt/thread.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/time.h>

#define RTSEMRWGENERIC_TAG "Runtime/generic/semrw-generic"
#define RTSEMRW_MAGIC 0x19640707U
#define RTSEMRW_MAGIC_DEAD 0xE69BF8F8U

struct RTSEMRWINTERNAL {
    volatile uint32_t u32Magic;
    RTCRITSECT CritSect;
    uint32_t cReaders;
    uint32_t cWrites;      // the writer's recursion
    uint32_t cWriterReads; // read locks the writer took while writing
    uint32_t cWritesWaiting;
    RTNATIVETHREAD Writer; // NIL_RTNATIVETHREAD when none
    bool fNeedResetReadEvent;
    RTSEMEVENTMULTI ReadEvent;
    RTSEMEVENT WriteEvent;
};

static RTSEMRWINTERNAL *rtSemRWValid(RTSEMRW hRWSem) {
    RTSEMRWINTERNAL *pThis = hRWSem;
    if (!RT_VALID_PTR(pThis) || __atomic_load_n(&pThis->u32Magic, __ATOMIC_ACQUIRE) != RTSEMRW_MAGIC) return NULL;
    return pThis;
}

int RTSemRWCreate(RTSEMRW *phRWSem, uint32_t fFlags) {
    *phRWSem = NIL_RTSEMRW;
    if (fFlags & ~RTSEMRW_FLAGS_NO_LOCK_VAL) return QERR_INVALID_PARAMETER;
    RTSEMRWINTERNAL *pThis = (RTSEMRWINTERNAL *)RTMemAllocZTag(sizeof(*pThis), RTSEMRWGENERIC_TAG);
    if (!pThis) return QERR_NO_MEMORY;

    int rc = RTSemEventCreate(&pThis->WriteEvent, RTSEMEVENT_FLAGS_NO_LOCK_VAL);
    if (RT_FAILURE(rc)) goto failed_write_event;
    rc = RTSemEventMultiCreate(&pThis->ReadEvent, RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL);
    if (RT_FAILURE(rc)) goto failed_read_event;
    rc = RTCritSectInit(&pThis->CritSect, RTCRITSECT_FLAGS_NO_LOCK_VAL, "RTSemRW");
    if (RT_FAILURE(rc)) goto failed_critsect;
    rc = RTSemEventMultiSignal(pThis->ReadEvent);
    if (RT_FAILURE(rc)) goto failed_signal;

    pThis->Writer = NIL_RTNATIVETHREAD;
    pThis->fNeedResetReadEvent = true;
    __atomic_store_n(&pThis->u32Magic, RTSEMRW_MAGIC, __ATOMIC_RELEASE);
    *phRWSem = pThis;
    return QINF_SUCCESS;

failed_signal:
    RTCritSectDelete(&pThis->CritSect);
failed_critsect:
    RTSemEventMultiDestroy(pThis->ReadEvent);
failed_read_event:
    RTSemEventDestroy(pThis->WriteEvent);
failed_write_event:
    RTMemFree(pThis);
    return rc;
}

// Under the internal section: the caller becomes (or stays) the writer.
static void rtSemRWTakeWrite(RTSEMRWINTERNAL *pThis, RTNATIVETHREAD Self) {
    if (pThis->fNeedResetReadEvent) {
        RTSemEventMultiReset(pThis->ReadEvent);
        pThis->fNeedResetReadEvent = false;
    }
    pThis->cWrites++;
    pThis->Writer = Self;
}

int RTSemRWRequestWrite(RTSEMRW hRWSem, uint32_t cMillies) {
    RTSEMRWINTERNAL *pThis = rtSemRWValid(hRWSem);
    if (!pThis) return QERR_INVALID_HANDLE;
    RTNATIVETHREAD const Self = RTThreadNativeSelf();

    int rc = RTCritSectEnter(&pThis->CritSect);
    if (RT_FAILURE(rc)) return rc;
    if (pThis->cReaders == 0 && (pThis->Writer == Self || (pThis->Writer == NIL_RTNATIVETHREAD &&
                                                           (pThis->cWritesWaiting == 0 || cMillies == 0)))) {
        rtSemRWTakeWrite(pThis, Self);
        RTCritSectLeave(&pThis->CritSect);
        return QINF_SUCCESS;
    }
    if (cMillies == 0) {
        RTCritSectLeave(&pThis->CritSect);
        return QERR_TIMEOUT;
    }
    pThis->cWritesWaiting++;
    RTCritSectLeave(&pThis->CritSect);

    // Wait for a release; each wakes one writer, which checks again under the section. A
    // timed request waits only for what is left of its time on every pass.
    RTTHREAD const hSelf = RTThreadSelf();
    uint64_t const msStart = cMillies != RT_INDEFINITE_WAIT ? RTTimeMilliTS() : 0;
    uint32_t cMsLeft = cMillies;
    for (;;) {
        RTThreadBlocking(hSelf, RTTHREADSTATE_RW_WRITE, false);
        rc = RTSemEventWait(pThis->WriteEvent, cMsLeft);
        RTThreadUnblocked(hSelf, RTTHREADSTATE_RW_WRITE);
        if (RT_FAILURE(rc) && rc != QERR_TIMEOUT) break;
        if (__atomic_load_n(&pThis->u32Magic, __ATOMIC_ACQUIRE) != RTSEMRW_MAGIC) return QERR_SEM_DESTROYED;

        int rc2 = RTCritSectEnter(&pThis->CritSect);
        if (RT_FAILURE(rc2)) {
            rc = rc2;
            break;
        }
        if (pThis->cReaders == 0 && (pThis->Writer == NIL_RTNATIVETHREAD || pThis->Writer == Self)) {
            pThis->cWritesWaiting--;
            rtSemRWTakeWrite(pThis, Self);
            RTCritSectLeave(&pThis->CritSect);
            return QINF_SUCCESS;
        }
        RTCritSectLeave(&pThis->CritSect);
        if (rc == QERR_TIMEOUT) break;
        if (cMillies != RT_INDEFINITE_WAIT) {
            uint64_t const cMsElapsed = RTTimeMilliTS() - msStart;
            if (cMsElapsed >= cMillies) {
                rc = QERR_TIMEOUT;
                break;
            }
            cMsLeft = cMillies - (uint32_t)cMsElapsed;
        }
    }

    // Gave up without the semaphore: no longer a waiting writer.
    if (__atomic_load_n(&pThis->u32Magic, __ATOMIC_ACQUIRE) != RTSEMRW_MAGIC) return QERR_SEM_DESTROYED;
    if (RT_SUCCESS(RTCritSectEnter(&pThis->CritSect))) {
        pThis->cWritesWaiting--;
        RTCritSectLeave(&pThis->CritSect);
    }
    return rc;
}

int RTSemRWReleaseWrite(RTSEMRW hRWSem) {
    RTSEMRWINTERNAL *pThis = rtSemRWValid(hRWSem);
    if (!pThis) return QERR_INVALID_HANDLE;
    RTNATIVETHREAD const Self = RTThreadNativeSelf();

    int rc = RTCritSectEnter(&pThis->CritSect);
    if (RT_FAILURE(rc)) return rc;
    if (pThis->Writer != Self) {
        RTCritSectLeave(&pThis->CritSect);
        return QERR_NOT_OWNER;
    }
    if (pThis->cWrites == 1 && pThis->cWriterReads > 0) {
        RTCritSectLeave(&pThis->CritSect);
        return QERR_WRONG_ORDER;
    }
    if (--pThis->cWrites == 0) pThis->Writer = NIL_RTNATIVETHREAD;

    if (pThis->cWritesWaiting > 0)
        rc = RTSemEventSignal(pThis->WriteEvent);
    else {
        rc = RTSemEventMultiSignal(pThis->ReadEvent);
        pThis->fNeedResetReadEvent = true;
    }
    RTCritSectLeave(&pThis->CritSect);
    return rc;
}

int RTSemRWDestroy(RTSEMRW hRWSem) {
    if (hRWSem == NIL_RTSEMRW) return QINF_SUCCESS;
    RTSEMRWINTERNAL *pThis = rtSemRWValid(hRWSem);
    if (!pThis) return QERR_INVALID_HANDLE;

    if (RT_FAILURE(RTCritSectTryEnter(&pThis->CritSect))) return QERR_SEM_BUSY;
    if (pThis->cReaders > 0 || pThis->Writer != NIL_RTNATIVETHREAD) {
        RTCritSectLeave(&pThis->CritSect);
        return QERR_SEM_BUSY;
    }
    __atomic_store_n(&pThis->u32Magic, RTSEMRW_MAGIC_DEAD, __ATOMIC_RELEASE);
    int rc = RTSemEventDestroy(pThis->WriteEvent);
    int rc2 = RTSemEventMultiDestroy(pThis->ReadEvent);
    if (RT_SUCCESS(rc)) rc = rc2;
    RTCritSectLeave(&pThis->CritSect);
    RTCritSectDelete(&pThis->CritSect);
    RTMemFree(pThis);
    return rc;
}
