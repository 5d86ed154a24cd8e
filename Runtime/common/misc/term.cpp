// The termination callback list: collected, newest first, under a fast mutex created once.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/once.h>
#include <qrt/semaphore.h>

#include "common/misc/once-internal.h"

#define RTTERM_TAG "Runtime/common/misc/term"

typedef struct RTTERMCALLBACKREC {
    struct RTTERMCALLBACKREC *pNext;
    PFNRTTERMCALLBACK pfnCallback;
    void *pvUser;
} RTTERMCALLBACKREC;

static RTONCE g_rtTermInitOnce = RTONCE_INITIALIZER;
static RTSEMFASTMUTEX g_hRtTermFastMutex = NIL_RTSEMFASTMUTEX;
static RTTERMCALLBACKREC *g_pRtTermHead;
static uint32_t g_cRtTermCallbacks;

static int rtTermInit(void *pvUser) {
    RT_NOREF(pvUser);
    return RTSemFastMutexCreate(&g_hRtTermFastMutex);
}

int RTTermRegisterCallback(PFNRTTERMCALLBACK pfnCallback, void *pvUser) {
    if (!RT_VALID_PTR((void *)pfnCallback)) return QERR_INVALID_POINTER;
    int rc = RTOnce(&g_rtTermInitOnce, rtTermInit, NULL, NULL);
    if (RT_FAILURE(rc)) return rc;

    RTTERMCALLBACKREC *pNew = (RTTERMCALLBACKREC *)RTMemAllocTag(sizeof(*pNew), RTTERM_TAG);
    if (!pNew) return QERR_NO_MEMORY;
    pNew->pfnCallback = pfnCallback;
    pNew->pvUser = pvUser;
    rc = RTSemFastMutexRequest(g_hRtTermFastMutex);
    if (RT_FAILURE(rc)) {
        RTMemFree(pNew);
        return rc;
    }
    pNew->pNext = g_pRtTermHead;
    g_pRtTermHead = pNew;
    g_cRtTermCallbacks++;
    RTSemFastMutexRelease(g_hRtTermFastMutex);
    return QINF_SUCCESS;
}

uint32_t rtTermCallbackCount(void) {
    if (g_hRtTermFastMutex == NIL_RTSEMFASTMUTEX || RT_FAILURE(RTSemFastMutexRequest(g_hRtTermFastMutex))) return 0;
    uint32_t const c = g_cRtTermCallbacks;
    RTSemFastMutexRelease(g_hRtTermFastMutex);
    return c;
}
