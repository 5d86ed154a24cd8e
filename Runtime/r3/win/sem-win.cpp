// The Windows event object shared by the auto-reset and manual-reset event semaphores.
#include <qrt/semaphore.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include "r3/win/sem-win-internal.h"

// The last error as a failure status; a conversion that yields success would report nothing.
static int rtSemWinLastError(void) {
    int rc = RTErrConvertFromWin32(GetLastError());
    return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
}

RTSEMWINEVENT *rtSemWinEventValid(void *hEvent, uint32_t u32Magic) {
    RTSEMWINEVENT *pThis = (RTSEMWINEVENT *)hEvent;
    if (!RT_VALID_PTR(pThis) || __atomic_load_n(&pThis->u32Magic, __ATOMIC_RELAXED) != u32Magic) return NULL;
    return pThis;
}

int rtSemWinEventCreate(RTSEMWINEVENT **ppThis, bool fManualReset, uint32_t u32Magic, uint32_t fFlags,
                        const char *pszTag) {
    *ppThis = NULL;
    RTSEMWINEVENT *pThis = (RTSEMWINEVENT *)RTMemAllocTag(sizeof(*pThis), pszTag);
    if (!pThis) return QERR_NO_MEMORY;
    pThis->hev = CreateEventW(NULL, fManualReset, FALSE, NULL);
    if (!pThis->hev) {
        int rc = rtSemWinLastError();
        RTMemFree(pThis);
        return rc;
    }
    pThis->fFlags = fFlags;
    __atomic_store_n(&pThis->u32Magic, u32Magic, __ATOMIC_RELEASE);
    *ppThis = pThis;
    return QINF_SUCCESS;
}

int rtSemWinEventDestroy(void *hEvent, uint32_t u32Magic, uint32_t u32MagicDead) {
    if (!hEvent) return QINF_SUCCESS;
    RTSEMWINEVENT *pThis = rtSemWinEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    uint32_t uExpected = u32Magic;
    if (!__atomic_compare_exchange_n(&pThis->u32Magic, &uExpected, u32MagicDead, false, __ATOMIC_ACQ_REL,
                                     __ATOMIC_RELAXED))
        return QERR_INVALID_HANDLE;
    int rc = QINF_SUCCESS;
    if (!CloseHandle(pThis->hev)) rc = rtSemWinLastError();
    pThis->hev = NULL;
    RTMemFree(pThis);
    return rc;
}

int rtSemWinEventSignal(void *hEvent, uint32_t u32Magic) {
    RTSEMWINEVENT *pThis = rtSemWinEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    return SetEvent(pThis->hev) ? QINF_SUCCESS : rtSemWinLastError();
}

int rtSemWinEventReset(void *hEvent, uint32_t u32Magic) {
    RTSEMWINEVENT *pThis = rtSemWinEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    return ResetEvent(pThis->hev) ? QINF_SUCCESS : rtSemWinLastError();
}

int rtSemWinEventWait(void *hEvent, uint32_t u32Magic, uint32_t cMillies) {
    RTSEMWINEVENT *pThis = rtSemWinEventValid(hEvent, u32Magic);
    if (!pThis) return QERR_INVALID_HANDLE;
    DWORD const dw = WaitForSingleObjectEx(pThis->hev, cMillies == RT_INDEFINITE_WAIT ? INFINITE : cMillies, TRUE);
    switch (dw) {
    case WAIT_OBJECT_0:
        return QINF_SUCCESS;
    case WAIT_TIMEOUT:
        return QERR_TIMEOUT;
    case WAIT_IO_COMPLETION:
        return QERR_INTERRUPTED;
    case WAIT_ABANDONED:
        return QERR_SEM_OWNER_DIED;
    default:
        return rtSemWinLastError();
    }
}
