// Spin mutexes in user mode: a critical section without nesting.
#include <qrt/semaphore.h>
#include <qrt/critsect.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#define RTSEMSPINMUTEXR3_TAG "Runtime/r3/generic/semspinmutex-r3-generic"

struct RTSEMSPINMUTEXINTERNAL {
    RTCRITSECT CritSect;
};

int RTSemSpinMutexCreate(RTSEMSPINMUTEX *phSpinMtx, uint32_t fFlags) {
    *phSpinMtx = NIL_RTSEMSPINMUTEX;
    if (fFlags & ~RTSEMSPINMUTEX_FLAGS_IRQ_SAFE) return QERR_INVALID_PARAMETER;
    RTSEMSPINMUTEXINTERNAL *pThis = (RTSEMSPINMUTEXINTERNAL *)RTMemAllocTag(sizeof(*pThis), RTSEMSPINMUTEXR3_TAG);
    if (!pThis) return QERR_NO_MEMORY;
    int rc =
        RTCritSectInit(&pThis->CritSect, RTCRITSECT_FLAGS_NO_NESTING | RTCRITSECT_FLAGS_NO_LOCK_VAL, "RTSemSpinMutex");
    if (RT_FAILURE(rc)) {
        RTMemFree(pThis);
        return rc;
    }
    *phSpinMtx = pThis;
    return QINF_SUCCESS;
}

int RTSemSpinMutexDestroy(RTSEMSPINMUTEX hSpinMtx) {
    if (hSpinMtx == NIL_RTSEMSPINMUTEX) return QINF_SUCCESS;
    if (!RT_VALID_PTR(hSpinMtx)) return QERR_INVALID_HANDLE;
    int rc = RTCritSectDelete(&hSpinMtx->CritSect);
    if (RT_SUCCESS(rc)) RTMemFree(hSpinMtx);
    return rc;
}

int RTSemSpinMutexRequest(RTSEMSPINMUTEX hSpinMtx) {
    if (!RT_VALID_PTR(hSpinMtx)) return QERR_INVALID_HANDLE;
    return RTCritSectEnter(&hSpinMtx->CritSect);
}

int RTSemSpinMutexRelease(RTSEMSPINMUTEX hSpinMtx) {
    if (!RT_VALID_PTR(hSpinMtx)) return QERR_INVALID_HANDLE;
    return RTCritSectLeave(&hSpinMtx->CritSect);
}
