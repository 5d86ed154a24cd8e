// Critical sections over an auto-reset event: an atomic count of lockers decides who owns the
// section, and only contended enters and leaves touch the event.
#include <qrt/critsect.h>
#include <qrt/assert.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>

int RTCritSectInit(PRTCRITSECT pCritSect, uint32_t fFlags, const char *pszName) {
    RT_NOREF(pszName);
    if (fFlags & ~RTCRITSECT_FLAGS_VALID_MASK) return QERR_INVALID_PARAMETER;
    pCritSect->u32Magic = RTCRITSECT_MAGIC;
    pCritSect->fFlags = fFlags & ~RTCRITSECT_FLAGS_IGNORED;
    pCritSect->cNestings = 0;
    pCritSect->cLockers = -1;
    pCritSect->NativeThreadOwner = NIL_RTNATIVETHREAD;
    pCritSect->pValidatorRec = NULL;
    pCritSect->EventSem = NIL_RTSEMEVENT;
    int rc = RTSemEventCreate(&pCritSect->EventSem,
                              RTSEMEVENT_FLAGS_NO_LOCK_VAL |
                                  (fFlags & RTCRITSECT_FLAGS_BOOTSTRAP_HACK ? RTSEMEVENT_FLAGS_BOOTSTRAP_HACK : 0));
    if (RT_FAILURE(rc)) {
        // The status in the magic field makes every later use fail instead of crashing.
        pCritSect->EventSem = NIL_RTSEMEVENT;
        pCritSect->u32Magic = (uint32_t)rc;
    }
    return rc;
}

// The caller got the section: it is the owner at nesting level 1.
static inline int rtCritSectTake(PRTCRITSECT pCritSect, RTNATIVETHREAD Self) {
    pCritSect->cNestings = 1;
    __atomic_store_n(&pCritSect->NativeThreadOwner, Self, __ATOMIC_RELEASE);
    return QINF_SUCCESS;
}

// The owner enters again.
static inline int rtCritSectNest(PRTCRITSECT pCritSect) {
    if (pCritSect->fFlags & RTCRITSECT_FLAGS_NO_NESTING) return QERR_SEM_NESTED;
    pCritSect->cNestings++;
    return QINF_SUCCESS;
}

int RTCritSectEnter(PRTCRITSECT pCritSect) {
    if (__atomic_load_n(&pCritSect->u32Magic, __ATOMIC_RELAXED) != RTCRITSECT_MAGIC) return QERR_SEM_DESTROYED;
    if (pCritSect->fFlags & RTCRITSECT_FLAGS_NOP) return QINF_SUCCESS;

    RTNATIVETHREAD const Self = RTThreadNativeSelf();
    if (__atomic_add_fetch(&pCritSect->cLockers, 1, __ATOMIC_ACQUIRE) > 0) {
        if (__atomic_load_n(&pCritSect->NativeThreadOwner, __ATOMIC_RELAXED) == Self) {
            int rc = rtCritSectNest(pCritSect);
            if (RT_FAILURE(rc)) __atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_RELEASE);
            return rc;
        }
        // Someone else holds it: sleep until a leave hands it over. The event is read again on
        // every pass and the magic checked after every wake, since a delete detaches the event
        // and wakes the waiters. An alert only means another pass, which the single wait makes
        // plain (and spares the timed wait's clock).
        RTTHREAD const hSelf = RTThreadSelf();
        for (;;) {
            RTThreadBlocking(hSelf, RTTHREADSTATE_CRITSECT, false);
            int rc = RTSemEventWaitNoResume(pCritSect->EventSem, RT_INDEFINITE_WAIT);
            RTThreadUnblocked(hSelf, RTTHREADSTATE_CRITSECT);
            if (__atomic_load_n(&pCritSect->u32Magic, __ATOMIC_ACQUIRE) != RTCRITSECT_MAGIC) return QERR_SEM_DESTROYED;
            if (RT_SUCCESS(rc)) break;
        }
    }
    return rtCritSectTake(pCritSect, Self);
}

int RTCritSectTryEnter(PRTCRITSECT pCritSect) {
    if (__atomic_load_n(&pCritSect->u32Magic, __ATOMIC_RELAXED) != RTCRITSECT_MAGIC) return QERR_SEM_DESTROYED;
    if (pCritSect->fFlags & RTCRITSECT_FLAGS_NOP) return QINF_SUCCESS;

    RTNATIVETHREAD const Self = RTThreadNativeSelf();
    int32_t iFree = -1;
    if (__atomic_compare_exchange_n(&pCritSect->cLockers, &iFree, 0, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        return rtCritSectTake(pCritSect, Self);
    if (__atomic_load_n(&pCritSect->NativeThreadOwner, __ATOMIC_RELAXED) == Self) {
        int rc = rtCritSectNest(pCritSect);
        if (RT_SUCCESS(rc)) __atomic_add_fetch(&pCritSect->cLockers, 1, __ATOMIC_ACQUIRE);
        return rc;
    }
    return QERR_SEM_BUSY;
}

int RTCritSectLeave(PRTCRITSECT pCritSect) {
    if (pCritSect->fFlags & RTCRITSECT_FLAGS_NOP) return QINF_SUCCESS;
    // A leave on a section nobody holds would drive the counts below their floor and make the
    // next enter wait for ever (or let two threads in); refuse it instead.
    if (pCritSect->cNestings <= 0) return QERR_NOT_OWNER;

    if (--pCritSect->cNestings > 0) {
        __atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_RELEASE);
        return QINF_SUCCESS;
    }
    __atomic_store_n(&pCritSect->NativeThreadOwner, NIL_RTNATIVETHREAD, __ATOMIC_RELEASE);
    if (__atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_RELEASE) >= 0) {
        // A waiter is (or is about to be) asleep: hand the section over.
        int rc = RTSemEventSignal(pCritSect->EventSem);
        AssertMsg(RT_SUCCESS(rc), ("RTSemEventSignal -> %Rrc\n", rc));
    }
    return QINF_SUCCESS;
}

int RTCritSectDelete(PRTCRITSECT pCritSect) {
    if (pCritSect->u32Magic != RTCRITSECT_MAGIC) return QERR_INVALID_HANDLE;
    __atomic_store_n(&pCritSect->u32Magic, RTCRITSECT_MAGIC_DEAD, __ATOMIC_RELEASE);
    pCritSect->fFlags = 0;
    pCritSect->cNestings = 0;
    pCritSect->NativeThreadOwner = NIL_RTNATIVETHREAD;
    RTSEMEVENT const hEvent = pCritSect->EventSem;
    pCritSect->EventSem = NIL_RTSEMEVENT;
    // Wake every waiter; each sees the dead magic and gives up.
    while (__atomic_load_n(&pCritSect->cLockers, __ATOMIC_ACQUIRE) >= 0) {
        __atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_RELEASE);
        RTSemEventSignal(hEvent);
    }
    __atomic_store_n(&pCritSect->cLockers, -1, __ATOMIC_RELEASE);
    return RTSemEventDestroy(hEvent);
}
