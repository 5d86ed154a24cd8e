// Run-once: a lock-free state machine on the record's state word, with a manual-reset event
// for waiters that the first waiter creates; and the list of records with cleanup functions.
#include <qrt/cdefs.h>
#include <qrt/critsect.h>
#include <qrt/err.h>
#include <qrt/once.h>
#include <qrt/semaphore.h>
#include <qrt/time.h>

#include "common/misc/once-internal.h"

void (*g_pfnRtOnceFinishHook)(PRTONCE pOnce, uint32_t uStateSeen) = NULL;

static inline uint32_t rtOnceState(PRTONCE pOnce) {
    return __atomic_load_n(&pOnce->iState, __ATOMIC_ACQUIRE);
}

static inline bool rtOnceSetState(PRTONCE pOnce, uint32_t uOld, uint32_t uNew) {
    return __atomic_compare_exchange_n(&pOnce->iState, &uOld, uNew, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}

static inline void rtOncePause(void) {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
}

//
// The cleanup list: records whose once function succeeded and that carry a cleanup function,
// oldest first. Set up under a once record of its own.
//
static RTONCE g_rtOnceCleanupListOnce = RTONCE_INITIALIZER;
static RTCRITSECT g_rtOnceCleanupCritSect;
static PRTONCE g_pRtOnceCleanupHead;
static PRTONCE g_pRtOnceCleanupTail;

// Runs the cleanups newest first. Registered as a termination callback; nothing in this system
// calls those.
static void rtOnceRunCleanups(void *pvUser) {
    RT_NOREF(pvUser);
    if (RT_FAILURE(RTCritSectEnter(&g_rtOnceCleanupCritSect))) return;
    for (PRTONCE pOnce = g_pRtOnceCleanupTail; pOnce; pOnce = pOnce->pPrev) pOnce->pfnCleanup(pOnce->pvUserCleanup);
    RTCritSectLeave(&g_rtOnceCleanupCritSect);
}

static int rtOnceInitCleanupList(void *pvUser) {
    RT_NOREF(pvUser);
    g_pRtOnceCleanupHead = NULL;
    g_pRtOnceCleanupTail = NULL;
    int rc = RTCritSectInit(&g_rtOnceCleanupCritSect, 0, "RTOnce");
    if (RT_FAILURE(rc)) return rc;
    rc = RTTermRegisterCallback(rtOnceRunCleanups, NULL);
    if (RT_FAILURE(rc)) RTCritSectDelete(&g_rtOnceCleanupCritSect);
    return rc;
}

static void rtOnceAppendCleanup(PRTONCE pOnce, PFNRTONCECLEANUP pfnCleanup, void *pvUser) {
    pOnce->pfnCleanup = pfnCleanup;
    pOnce->pvUserCleanup = pvUser;
    RTCritSectEnter(&g_rtOnceCleanupCritSect);
    pOnce->pNext = NULL;
    pOnce->pPrev = g_pRtOnceCleanupTail;
    if (g_pRtOnceCleanupTail)
        g_pRtOnceCleanupTail->pNext = pOnce;
    else
        g_pRtOnceCleanupHead = pOnce;
    g_pRtOnceCleanupTail = pOnce;
    RTCritSectLeave(&g_rtOnceCleanupCritSect);
}

uint32_t rtOnceCleanupCount(void) {
    if (rtOnceState(&g_rtOnceCleanupListOnce) != RTONCESTATE_DONE || RT_FAILURE(g_rtOnceCleanupListOnce.rc)) return 0;
    uint32_t c = 0;
    RTCritSectEnter(&g_rtOnceCleanupCritSect);
    for (PRTONCE pOnce = g_pRtOnceCleanupHead; pOnce; pOnce = pOnce->pNext) c++;
    RTCritSectLeave(&g_rtOnceCleanupCritSect);
    return c;
}

//
// The waiters' event.
//

// Drops a reference; the last one takes the event out of the record and destroys it.
static void rtOnceReleaseEvent(PRTONCE pOnce) {
    if (__atomic_sub_fetch(&pOnce->cEventRefs, 1, __ATOMIC_SEQ_CST) == 0) {
        RTSEMEVENTMULTI hEvent = __atomic_exchange_n(&pOnce->hEventMulti, NIL_RTSEMEVENTMULTI, __ATOMIC_SEQ_CST);
        rtOnceSetState(pOnce, RTONCESTATE_DONE_HAVE_SEM, RTONCESTATE_DONE);
        RTSemEventMultiDestroy(hEvent);
    }
}

// The runner has stored the status: finish the record. A waiter may move the state between our
// reading it and our exchange (creating the event, or failing to): read it again and retry
// until one exchange succeeds, so no waiter is left on a state nobody will finish.
static int rtOnceFinish(PRTONCE pOnce, int rcOnce) {
    for (;;) {
        uint32_t const uState = rtOnceState(pOnce);
        if (g_pfnRtOnceFinishHook) g_pfnRtOnceFinishHook(pOnce, uState);
        switch (uState) {
        case RTONCESTATE_BUSY_NO_SEM:
        case RTONCESTATE_BUSY_SPIN:
            if (rtOnceSetState(pOnce, uState, RTONCESTATE_DONE)) return rcOnce;
            break;
        case RTONCESTATE_BUSY_CREATING_SEM:
            if (rtOnceSetState(pOnce, uState, RTONCESTATE_DONE_CREATING_SEM)) return rcOnce;
            break;
        case RTONCESTATE_BUSY_HAVE_SEM:
            if (rtOnceSetState(pOnce, uState, RTONCESTATE_DONE_HAVE_SEM)) {
                // Our own reference keeps the event alive until it is signalled.
                __atomic_add_fetch(&pOnce->cEventRefs, 1, __ATOMIC_SEQ_CST);
                RTSEMEVENTMULTI hEvent = __atomic_load_n(&pOnce->hEventMulti, __ATOMIC_ACQUIRE);
                __atomic_store_n(&pOnce->iState, RTONCESTATE_DONE, __ATOMIC_SEQ_CST);
                RTSemEventMultiSignal(hEvent);
                rtOnceReleaseEvent(pOnce);
                return rcOnce;
            }
            break;
        default:
            return QERR_INTERNAL_ERROR_2;
        }
    }
}

static void rtOnceBackOff(uint32_t *pcRounds) {
    *pcRounds += 2;
    if (*pcRounds % 8 == 0)
        RTThreadSleep(1);
    else
        RTThreadYield();
}

// A waiter that found the first state 2 creates the event the others then sleep on.
static int rtOnceCreateEvent(PRTONCE pOnce, bool *pfHaveRef, RTSEMEVENTMULTI *phEvent) {
    RTSEMEVENTMULTI hEvent = NIL_RTSEMEVENTMULTI;
    if (RT_FAILURE(RTSemEventMultiCreate(&hEvent, 0))) {
        // The others spin instead; if the runner finished meanwhile, finish for it.
        if (rtOnceSetState(pOnce, RTONCESTATE_BUSY_CREATING_SEM, RTONCESTATE_BUSY_SPIN) ||
            rtOnceSetState(pOnce, RTONCESTATE_DONE_CREATING_SEM, RTONCESTATE_DONE))
            return QINF_SUCCESS;
        return QERR_INTERNAL_ERROR_4;
    }
    __atomic_store_n(&pOnce->hEventMulti, hEvent, __ATOMIC_SEQ_CST);
    __atomic_add_fetch(&pOnce->cEventRefs, 1, __ATOMIC_SEQ_CST);
    if (rtOnceSetState(pOnce, RTONCESTATE_BUSY_CREATING_SEM, RTONCESTATE_BUSY_HAVE_SEM)) {
        *pfHaveRef = true;
        *phEvent = hEvent;
        return QINF_SUCCESS;
    }
    // The runner finished while we created it: nobody needs the event.
    if (!rtOnceSetState(pOnce, RTONCESTATE_DONE_CREATING_SEM, RTONCESTATE_DONE)) return QERR_INTERNAL_ERROR_5;
    __atomic_store_n(&pOnce->hEventMulti, NIL_RTSEMEVENTMULTI, __ATOMIC_SEQ_CST);
    __atomic_sub_fetch(&pOnce->cEventRefs, 1, __ATOMIC_SEQ_CST);
    RTSemEventMultiDestroy(hEvent);
    return QINF_SUCCESS;
}

// Takes a reference on the event while the state still says it is there.
static bool rtOnceRetainEvent(PRTONCE pOnce, RTSEMEVENTMULTI *phEvent, int *prc) {
    int32_t cRefs = __atomic_load_n(&pOnce->cEventRefs, __ATOMIC_ACQUIRE);
    while (rtOnceState(pOnce) == RTONCESTATE_BUSY_HAVE_SEM && cRefs > 0) {
        if (__atomic_compare_exchange_n(&pOnce->cEventRefs, &cRefs, cRefs + 1, false, __ATOMIC_SEQ_CST,
                                        __ATOMIC_SEQ_CST)) {
            *phEvent = __atomic_load_n(&pOnce->hEventMulti, __ATOMIC_ACQUIRE);
            if (*phEvent == NIL_RTSEMEVENTMULTI) *prc = QERR_INTERNAL_ERROR_2;
            return true;
        }
        rtOncePause();
    }
    return false;
}

static int rtOnceWait(PRTONCE pOnce) {
    bool fHaveRef = false;
    RTSEMEVENTMULTI hEvent = NIL_RTSEMEVENTMULTI;
    uint32_t cRounds = 0;
    int rc = QINF_SUCCESS;
    for (bool fWaiting = true; fWaiting && RT_SUCCESS(rc);) {
        uint32_t const uState = rtOnceState(pOnce);
        switch (uState) {
        case RTONCESTATE_BUSY_NO_SEM:
            if (rtOnceSetState(pOnce, uState, RTONCESTATE_BUSY_CREATING_SEM))
                rc = rtOnceCreateEvent(pOnce, &fHaveRef, &hEvent);
            break;
        case RTONCESTATE_BUSY_CREATING_SEM:
        case RTONCESTATE_BUSY_SPIN:
            rtOnceBackOff(&cRounds);
            break;
        case RTONCESTATE_BUSY_HAVE_SEM:
            if (!fHaveRef) fHaveRef = rtOnceRetainEvent(pOnce, &hEvent, &rc);
            if (!fHaveRef)
                rtOnceBackOff(&cRounds);
            else if (RT_SUCCESS(rc))
                while (rtOnceState(pOnce) == RTONCESTATE_BUSY_HAVE_SEM)
                    RTSemEventMultiWaitNoResume(hEvent, RT_INDEFINITE_WAIT);
            break;
        case RTONCESTATE_DONE_CREATING_SEM:
        case RTONCESTATE_DONE:
            fWaiting = false;
            break;
        case RTONCESTATE_DONE_HAVE_SEM:
            // The runner signals right after it leaves this state.
            if (fHaveRef) RTSemEventMultiWaitNoResume(hEvent, RT_INDEFINITE_WAIT);
            fWaiting = false;
            break;
        default:
            rc = QERR_INTERNAL_ERROR_3;
            break;
        }
    }
    if (fHaveRef) rtOnceReleaseEvent(pOnce);
    return RT_SUCCESS(rc) ? __atomic_load_n(&pOnce->rc, __ATOMIC_ACQUIRE) : rc;
}

int RTOnce(PRTONCE pOnce, PFNRTONCE pfnOnce, PFNRTONCECLEANUP pfnCleanup, void *pvUser) {
    uint32_t const uState = rtOnceState(pOnce);
    if (uState == RTONCESTATE_DONE || uState == RTONCESTATE_DONE_CREATING_SEM || uState == RTONCESTATE_DONE_HAVE_SEM)
        return __atomic_load_n(&pOnce->rc, __ATOMIC_ACQUIRE);
    if (uState < RTONCESTATE_UNINITIALIZED || uState > RTONCESTATE_BUSY_SPIN) return QERR_INTERNAL_ERROR;

    if (pfnCleanup) {
        int rc = RTOnce(&g_rtOnceCleanupListOnce, rtOnceInitCleanupList, NULL, NULL);
        if (RT_FAILURE(rc)) return rc;
    }

    if (uState == RTONCESTATE_UNINITIALIZED &&
        rtOnceSetState(pOnce, RTONCESTATE_UNINITIALIZED, RTONCESTATE_BUSY_NO_SEM)) {
        int const rcOnce = pfnOnce(pvUser);
        __atomic_store_n(&pOnce->rc, rcOnce, __ATOMIC_SEQ_CST);
        if (pfnCleanup && RT_SUCCESS(rcOnce)) rtOnceAppendCleanup(pOnce, pfnCleanup, pvUser);
        return rtOnceFinish(pOnce, rcOnce);
    }
    return rtOnceWait(pOnce);
}
