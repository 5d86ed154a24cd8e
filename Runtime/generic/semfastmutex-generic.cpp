// Fast mutexes: a critical section without nesting.
#include <qrt/semaphore.h>
#include <qrt/critsect.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#define RTSEMFASTMUTEXGENERIC_TAG "Runtime/generic/semfastmutex-generic"

struct RTSEMFASTMUTEXINTERNAL {
    RTCRITSECT CritSect;
};

int RTSemFastMutexCreate(RTSEMFASTMUTEX *phFastMtx) {
    *phFastMtx = NIL_RTSEMFASTMUTEX;
    RTSEMFASTMUTEXINTERNAL *pThis = (RTSEMFASTMUTEXINTERNAL *)RTMemAllocTag(sizeof(*pThis), RTSEMFASTMUTEXGENERIC_TAG);
    if (!pThis) return QERR_NO_MEMORY;
    int rc = RTCritSectInit(&pThis->CritSect, RTCRITSECT_FLAGS_NO_NESTING, "RTSemFastMutex");
    if (RT_FAILURE(rc)) {
        RTMemFree(pThis);
        return rc;
    }
    *phFastMtx = pThis;
    return QINF_SUCCESS;
}

int RTSemFastMutexDestroy(RTSEMFASTMUTEX hFastMtx) {
    if (hFastMtx == NIL_RTSEMFASTMUTEX) return QINF_SUCCESS;
    if (!RT_VALID_PTR(hFastMtx)) return QERR_INVALID_HANDLE;
    int rc = RTCritSectDelete(&hFastMtx->CritSect);
    if (RT_SUCCESS(rc)) RTMemFree(hFastMtx);
    return rc;
}

int RTSemFastMutexRequest(RTSEMFASTMUTEX hFastMtx) {
    if (!RT_VALID_PTR(hFastMtx)) return QERR_INVALID_HANDLE;
    return RTCritSectEnter(&hFastMtx->CritSect);
}

int RTSemFastMutexRelease(RTSEMFASTMUTEX hFastMtx) {
    if (!RT_VALID_PTR(hFastMtx)) return QERR_INVALID_HANDLE;
    return RTCritSectLeave(&hFastMtx->CritSect);
}
