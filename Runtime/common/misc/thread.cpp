// The calling thread's record and the bookkeeping around waits.
#include <qrt/thread.h>
#include <qrt/cdefs.h>

#include "common/misc/thread-internal.h"

RTTHREAD RTThreadSelf(void) {
    // The registry keeps each thread's record in a thread-local slot that only process
    // initialisation allocates; without the slot no thread has a record.
    return NIL_RTTHREAD;
}

// The record behind hThread when it is plausible and alive, else null.
static RTTHREADINT *rtThreadLive(RTTHREAD hThread) {
    RTTHREADINT *pThread = hThread;
    if (!RT_VALID_PTR(pThread) || __atomic_load_n(&pThread->u32Magic, __ATOMIC_RELAXED) != RTTHREADINT_MAGIC)
        return NULL;
    return pThread;
}

void RTThreadBlocking(RTTHREAD hThread, RTTHREADSTATE enmState, bool fReallySleeping) {
    RTTHREADINT *pThread = rtThreadLive(hThread);
    if (!pThread) return;
    uint32_t uExpected = RTTHREADSTATE_RUNNING;
    __atomic_compare_exchange_n(&pThread->enmState, &uExpected, (uint32_t)enmState, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_RELAXED);
    __atomic_store_n(&pThread->fReallySleeping, fReallySleeping, __ATOMIC_RELAXED);
}

void RTThreadUnblocked(RTTHREAD hThread, RTTHREADSTATE enmState) {
    RTTHREADINT *pThread = rtThreadLive(hThread);
    if (!pThread) return;
    __atomic_store_n(&pThread->fReallySleeping, false, __ATOMIC_RELAXED);
    uint32_t uExpected = (uint32_t)enmState;
    __atomic_compare_exchange_n(&pThread->enmState, &uExpected, (uint32_t)RTTHREADSTATE_RUNNING, false,
                                __ATOMIC_SEQ_CST, __ATOMIC_RELAXED);
}
