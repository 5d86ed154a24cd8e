// The POSIX event object shared by the auto-reset and manual-reset event semaphores.
#include <qrt/semaphore.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include "r3/posix/sem-posix-internal.h"

#include <errno.h>
#include <time.h>

RTSEMPOSIXEVENT *rtSemPosixEventValid(void *hEvent, uint32_t u32Magic) {
    RTSEMPOSIXEVENT *pThis = (RTSEMPOSIXEVENT *)hEvent;
    if (!RT_VALID_PTR(pThis) || __atomic_load_n(&pThis->u32Magic, __ATOMIC_RELAXED) != u32Magic) return NULL;
    return pThis;
}

int rtSemPosixEventCreate(RTSEMPOSIXEVENT **ppThis, bool fManualReset, uint32_t u32Magic, uint32_t fFlags,
                          const char *pszTag) {
    *ppThis = NULL;
    RTSEMPOSIXEVENT *pThis = (RTSEMPOSIXEVENT *)RTMemAllocZTag(sizeof(*pThis), pszTag);
    if (!pThis) return QERR_NO_MEMORY;
    int rc = QINF_SUCCESS;
    pthread_condattr_t Attr;
    int err = pthread_condattr_init(&Attr);
    if (err == 0) {
        err = pthread_condattr_setclock(&Attr, CLOCK_MONOTONIC);
        if (err == 0) err = pthread_cond_init(&pThis->Cond, &Attr);
        pthread_condattr_destroy(&Attr);
    }
    if (err == 0) {
        err = pthread_mutex_init(&pThis->Mtx, NULL);
        if (err != 0) pthread_cond_destroy(&pThis->Cond);
    }
    if (err != 0) {
        rc = RTErrConvertFromErrno(err);
        RTMemFree(pThis);
        return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
    }
    pThis->fFlags = fFlags;
    pThis->fManualReset = fManualReset;
    __atomic_store_n(&pThis->u32Magic, u32Magic, __ATOMIC_RELEASE);
    *ppThis = pThis;
    return rc;
}

static void rtSemPosixEventFree(RTSEMPOSIXEVENT *pThis) {
    pthread_cond_destroy(&pThis->Cond);
    pthread_mutex_destroy(&pThis->Mtx);
    RTMemFree(pThis);
}

int rtSemPosixEventDestroy(void *hEvent, uint32_t u32Magic, uint32_t u32MagicDead) {
    if (!hEvent) return QINF_SUCCESS;
    RTSEMPOSIXEVENT *pThis = rtSemPosixEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    pthread_mutex_lock(&pThis->Mtx);
    if (pThis->u32Magic != u32Magic) {
        pthread_mutex_unlock(&pThis->Mtx);
        return QERR_INVALID_HANDLE;
    }
    __atomic_store_n(&pThis->u32Magic, u32MagicDead, __ATOMIC_RELEASE);
    bool const fFree = pThis->cWaiters == 0;
    pthread_cond_broadcast(&pThis->Cond);
    pthread_mutex_unlock(&pThis->Mtx);
    if (fFree) rtSemPosixEventFree(pThis);
    return QINF_SUCCESS;
}

int rtSemPosixEventSignal(void *hEvent, uint32_t u32Magic) {
    RTSEMPOSIXEVENT *pThis = rtSemPosixEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    pthread_mutex_lock(&pThis->Mtx);
    pThis->fSignalled = true;
    pThis->uGeneration++;
    if (pThis->fManualReset)
        pthread_cond_broadcast(&pThis->Cond);
    else
        pthread_cond_signal(&pThis->Cond);
    pthread_mutex_unlock(&pThis->Mtx);
    return QINF_SUCCESS;
}

int rtSemPosixEventReset(void *hEvent, uint32_t u32Magic) {
    RTSEMPOSIXEVENT *pThis = rtSemPosixEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    pthread_mutex_lock(&pThis->Mtx);
    pThis->fSignalled = false;
    pthread_mutex_unlock(&pThis->Mtx);
    return QINF_SUCCESS;
}

int rtSemPosixEventWait(void *hEvent, uint32_t u32Magic, uint32_t cMillies) {
    RTSEMPOSIXEVENT *pThis = rtSemPosixEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;

    struct timespec Deadline;
    if (cMillies != RT_INDEFINITE_WAIT) {
        clock_gettime(CLOCK_MONOTONIC, &Deadline);
        Deadline.tv_sec += cMillies / 1000;
        Deadline.tv_nsec += (long)(cMillies % 1000) * 1000000;
        if (Deadline.tv_nsec >= 1000000000) {
            Deadline.tv_sec++;
            Deadline.tv_nsec -= 1000000000;
        }
    }

    pthread_mutex_lock(&pThis->Mtx);
    pThis->cWaiters++;
    uint32_t const uGeneration = pThis->uGeneration;
    int rc = QINF_SUCCESS;
    bool fTimedOut = false;
    for (;;) {
        if (pThis->u32Magic != u32Magic) {
            rc = QERR_SEM_DESTROYED;
            break;
        }
        // A manual-reset event also releases those who waited when it was signalled and reset.
        if (pThis->fSignalled || (pThis->fManualReset && pThis->uGeneration != uGeneration)) {
            if (!pThis->fManualReset) pThis->fSignalled = false;
            break;
        }
        if (fTimedOut) {
            rc = QERR_TIMEOUT;
            break;
        }
        int err = cMillies == RT_INDEFINITE_WAIT ? pthread_cond_wait(&pThis->Cond, &pThis->Mtx)
                                                 : pthread_cond_timedwait(&pThis->Cond, &pThis->Mtx, &Deadline);
        fTimedOut = err == ETIMEDOUT;
    }
    bool const fFree = --pThis->cWaiters == 0 && pThis->u32Magic != u32Magic;
    pthread_mutex_unlock(&pThis->Mtx);
    if (fFree) rtSemPosixEventFree(pThis);
    return rc;
}
