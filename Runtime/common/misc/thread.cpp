// The thread registry: one record per thread the runtime knows, kept in an AVL tree by native
// thread id under a read/write semaphore; adoption, creation, waiting, names, and the
// bookkeeping around waits.
#include <string.h>

#include <qrt/assert.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/thread.h>

#include "common/misc/thread-internal.h"

#define RTTHREAD_TAG "Runtime/common/misc/thread"

// The registry. The lock is created by rtThreadInit and never destroyed once it succeeded; the
// tree and counts change only under it, the counts atomically so that readers need no lock.
static RTSEMRW volatile g_hRtThreadRWSem = NIL_RTSEMRW;
static RTTHREADINT *g_pRtThreadTree;
static uint32_t volatile g_cRtThreadsRegistered;
static uint32_t volatile g_acRtThreadTypes[RTTHREADTYPE_END];
static bool volatile g_frtThreadInitialized;

//
// The tree.
//

static inline uint8_t rtThreadAvlHeight(const RTTHREADINT *pNode) {
    return pNode ? pNode->cAvlHeight : 0;
}

static inline void rtThreadAvlFixHeight(RTTHREADINT *pNode) {
    uint8_t const cLeft = rtThreadAvlHeight(pNode->pAvlLeft);
    uint8_t const cRight = rtThreadAvlHeight(pNode->pAvlRight);
    pNode->cAvlHeight = (uint8_t)(1 + (cLeft > cRight ? cLeft : cRight));
}

static RTTHREADINT *rtThreadAvlRotateRight(RTTHREADINT *pNode) {
    RTTHREADINT *pTop = pNode->pAvlLeft;
    pNode->pAvlLeft = pTop->pAvlRight;
    pTop->pAvlRight = pNode;
    rtThreadAvlFixHeight(pNode);
    rtThreadAvlFixHeight(pTop);
    return pTop;
}

static RTTHREADINT *rtThreadAvlRotateLeft(RTTHREADINT *pNode) {
    RTTHREADINT *pTop = pNode->pAvlRight;
    pNode->pAvlRight = pTop->pAvlLeft;
    pTop->pAvlLeft = pNode;
    rtThreadAvlFixHeight(pNode);
    rtThreadAvlFixHeight(pTop);
    return pTop;
}

static RTTHREADINT *rtThreadAvlBalance(RTTHREADINT *pNode) {
    rtThreadAvlFixHeight(pNode);
    int const iBalance = (int)rtThreadAvlHeight(pNode->pAvlLeft) - (int)rtThreadAvlHeight(pNode->pAvlRight);
    if (iBalance > 1) {
        if (rtThreadAvlHeight(pNode->pAvlLeft->pAvlLeft) < rtThreadAvlHeight(pNode->pAvlLeft->pAvlRight))
            pNode->pAvlLeft = rtThreadAvlRotateLeft(pNode->pAvlLeft);
        return rtThreadAvlRotateRight(pNode);
    }
    if (iBalance < -1) {
        if (rtThreadAvlHeight(pNode->pAvlRight->pAvlRight) < rtThreadAvlHeight(pNode->pAvlRight->pAvlLeft))
            pNode->pAvlRight = rtThreadAvlRotateRight(pNode->pAvlRight);
        return rtThreadAvlRotateLeft(pNode);
    }
    return pNode;
}

// Inserts pNew (keyed by its NativeThread); *pfInserted is false when the key is taken.
static RTTHREADINT *rtThreadAvlInsert(RTTHREADINT *pRoot, RTTHREADINT *pNew, bool *pfInserted) {
    if (!pRoot) {
        pNew->pAvlLeft = pNew->pAvlRight = NULL;
        pNew->cAvlHeight = 1;
        *pfInserted = true;
        return pNew;
    }
    if (pNew->NativeThread < pRoot->NativeThread)
        pRoot->pAvlLeft = rtThreadAvlInsert(pRoot->pAvlLeft, pNew, pfInserted);
    else if (pNew->NativeThread > pRoot->NativeThread)
        pRoot->pAvlRight = rtThreadAvlInsert(pRoot->pAvlRight, pNew, pfInserted);
    else {
        *pfInserted = false;
        return pRoot;
    }
    return rtThreadAvlBalance(pRoot);
}

static RTTHREADINT *rtThreadAvlRemoveMin(RTTHREADINT *pRoot, RTTHREADINT **ppMin) {
    if (!pRoot->pAvlLeft) {
        *ppMin = pRoot;
        return pRoot->pAvlRight;
    }
    pRoot->pAvlLeft = rtThreadAvlRemoveMin(pRoot->pAvlLeft, ppMin);
    return rtThreadAvlBalance(pRoot);
}

// Removes the node keyed Key when it is pWanted; *ppRemoved gets it (null when not found).
static RTTHREADINT *rtThreadAvlRemove(RTTHREADINT *pRoot, RTNATIVETHREAD Key, RTTHREADINT *pWanted,
                                      RTTHREADINT **ppRemoved) {
    if (!pRoot) return NULL;
    if (Key < pRoot->NativeThread)
        pRoot->pAvlLeft = rtThreadAvlRemove(pRoot->pAvlLeft, Key, pWanted, ppRemoved);
    else if (Key > pRoot->NativeThread)
        pRoot->pAvlRight = rtThreadAvlRemove(pRoot->pAvlRight, Key, pWanted, ppRemoved);
    else {
        if (pRoot != pWanted) return pRoot;
        *ppRemoved = pRoot;
        RTTHREADINT *pLeft = pRoot->pAvlLeft;
        RTTHREADINT *pRight = pRoot->pAvlRight;
        pRoot->pAvlLeft = pRoot->pAvlRight = NULL;
        pRoot->cAvlHeight = 0;
        if (!pRight) return pLeft;
        RTTHREADINT *pMin = NULL;
        pRight = rtThreadAvlRemoveMin(pRight, &pMin);
        pMin->pAvlLeft = pLeft;
        pMin->pAvlRight = pRight;
        return rtThreadAvlBalance(pMin);
    }
    return rtThreadAvlBalance(pRoot);
}

static RTTHREADINT *rtThreadAvlGet(RTTHREADINT *pRoot, RTNATIVETHREAD Key) {
    while (pRoot && pRoot->NativeThread != Key) pRoot = Key < pRoot->NativeThread ? pRoot->pAvlLeft : pRoot->pAvlRight;
    return pRoot;
}

//
// Records.
//

RTTHREADINT *rtThreadValidate(RTTHREAD hThread) {
    RTTHREADINT *pThread = hThread;
    if (!RT_VALID_PTR(pThread) || __atomic_load_n(&pThread->u32Magic, __ATOMIC_ACQUIRE) != RTTHREADINT_MAGIC)
        return NULL;
    return pThread;
}

// Copies at most 15 bytes of the name, never cutting a UTF-8 sequence.
static void rtThreadCopyName(char *pszDst, const char *pszSrc) {
    size_t cch = strlen(pszSrc);
    if (cch > RTTHREAD_NAME_LEN) {
        cch = RTTHREAD_NAME_LEN;
        while (cch > 0 && ((unsigned char)pszSrc[cch] & 0xC0) == 0x80) cch--;
    }
    memcpy(pszDst, pszSrc, cch);
    pszDst[cch] = '\0';
}

static RTTHREADINT *rtThreadAlloc(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName) {
    RTTHREADINT *pThread = (RTTHREADINT *)RTMemAllocZTag(sizeof(*pThread), RTTHREAD_TAG);
    if (!pThread) return NULL;
    pThread->NativeThread = 0;
    pThread->u32Magic = RTTHREADINT_MAGIC;
    rtThreadCopyName(pThread->szName, pszName);
    pThread->cRefs = (fFlags & RTTHREADFLAGS_WAITABLE) ? 3 : 2;
    pThread->enmState = RTTHREADSTATE_INITIALIZING;
    pThread->rc = QERR_PROCESS_RUNNING;
    pThread->enmType = enmType;
    pThread->fFlags = fFlags;
    pThread->fIntFlags = fIntFlags;
    pThread->EventUser = NIL_RTSEMEVENTMULTI;
    pThread->EventTerminated = NIL_RTSEMEVENTMULTI;
    if (RT_SUCCESS(RTSemEventMultiCreate(&pThread->EventUser, 0))) {
        if (RT_SUCCESS(RTSemEventMultiCreate(&pThread->EventTerminated, 0))) return pThread;
        RTSemEventMultiDestroy(pThread->EventUser);
    }
    pThread->u32Magic = RTTHREADINT_MAGIC_DEAD;
    RTMemFree(pThread);
    return NULL;
}

uint32_t rtThreadRelease(RTTHREADINT *pThread) {
    int32_t cRefs = __atomic_load_n(&pThread->cRefs, __ATOMIC_ACQUIRE);
    if (cRefs <= 0) return 0;
    cRefs = __atomic_sub_fetch(&pThread->cRefs, 1, __ATOMIC_ACQ_REL);
    if (cRefs == 0) rtThreadDestroy(pThread);
    return cRefs > 0 ? (uint32_t)cRefs : 0;
}

void rtThreadDestroy(RTTHREADINT *pThread) {
    if (__atomic_load_n(&pThread->fIntFlags, __ATOMIC_ACQUIRE) & RTTHREADINT_FLAGS_IN_TREE) {
        // A reference of our own while it leaves the tree, dropped without a second destroy.
        __atomic_add_fetch(&pThread->cRefs, 1, __ATOMIC_ACQ_REL);
        rtThreadRemove(pThread);
        __atomic_sub_fetch(&pThread->cRefs, 1, __ATOMIC_ACQ_REL);
    }
    // No held-lock records are ever kept in this system.
    pThread->LockValidator.pHeldLocks = NULL;
    __atomic_store_n(&pThread->u32Magic, RTTHREADINT_MAGIC_DEAD, __ATOMIC_RELEASE);
    pThread->NativeThread = 0;
    pThread->enmType = RTTHREADTYPE_INVALID;
    RTSemEventMultiDestroy(pThread->EventUser);
    pThread->EventUser = NIL_RTSEMEVENTMULTI;
    RTSemEventMultiDestroy(pThread->EventTerminated);
    pThread->EventTerminated = NIL_RTSEMEVENTMULTI;
    if (rtThreadNativeGetSelf() == pThread) rtThreadNativeSetSelf(NULL);
    rtThreadNativeDestroy(pThread);
    RTMemFree(pThread);
}

//
// The registry.
//

void rtThreadLockRW(void) {
    if (__atomic_load_n(&g_hRtThreadRWSem, __ATOMIC_ACQUIRE) == NIL_RTSEMRW) rtThreadInit();
    int rc = RTSemRWRequestWrite(__atomic_load_n(&g_hRtThreadRWSem, __ATOMIC_ACQUIRE), RT_INDEFINITE_WAIT);
    AssertRC(rc);
}

void rtThreadUnLockRW(void) {
    int rc = RTSemRWReleaseWrite(__atomic_load_n(&g_hRtThreadRWSem, __ATOMIC_ACQUIRE));
    AssertRC(rc);
}

// Takes a registered record out of the tree and the counts; under the lock.
static void rtThreadUnlinkLocked(RTTHREADINT *pThread) {
    RTTHREADINT *pRemoved = NULL;
    g_pRtThreadTree = rtThreadAvlRemove(g_pRtThreadTree, pThread->NativeThread, pThread, &pRemoved);
    if (pRemoved) {
        __atomic_sub_fetch(&g_cRtThreadsRegistered, 1, __ATOMIC_SEQ_CST);
        if (pThread->enmType < RTTHREADTYPE_END)
            __atomic_sub_fetch(&g_acRtThreadTypes[pThread->enmType], 1, __ATOMIC_SEQ_CST);
    }
}

void rtThreadInsert(RTTHREADINT *pThread, RTNATIVETHREAD NativeThread) {
    rtThreadLockRW();
    if (__atomic_load_n(&pThread->enmState, __ATOMIC_ACQUIRE) != RTTHREADSTATE_TERMINATED) {
        // A record still registered under this id belongs to a thread that is gone (ids are
        // reused): it leaves the registry, and an adopted one loses the reference its thread
        // held.
        RTTHREADINT *pOld = rtThreadAvlGet(g_pRtThreadTree, NativeThread);
        if (pOld && pOld != pThread) {
            __atomic_and_fetch(&pOld->fIntFlags, ~RTTHREADINT_FLAGS_IN_TREE, __ATOMIC_SEQ_CST);
            rtThreadUnlinkLocked(pOld);
            if (pOld->fIntFlags & RTTHREADINT_FLAGS_ALIEN) rtThreadRelease(pOld);
        }
        if (pOld != pThread) {
            pThread->NativeThread = NativeThread;
            bool fInserted = false;
            g_pRtThreadTree = rtThreadAvlInsert(g_pRtThreadTree, pThread, &fInserted);
            if (fInserted) {
                __atomic_or_fetch(&pThread->fIntFlags, RTTHREADINT_FLAGS_IN_TREE, __ATOMIC_SEQ_CST);
                __atomic_add_fetch(&g_cRtThreadsRegistered, 1, __ATOMIC_SEQ_CST);
                if (pThread->enmType < RTTHREADTYPE_END)
                    __atomic_add_fetch(&g_acRtThreadTypes[pThread->enmType], 1, __ATOMIC_SEQ_CST);
            } else
                AssertMsg(fInserted, ("Lock problem? %p (%RTnthrd) %s\n", pThread, NativeThread, pThread->szName));
        }
    }
    rtThreadUnLockRW();
}

void rtThreadRemove(RTTHREADINT *pThread) {
    rtThreadLockRW();
    if (__atomic_fetch_and(&pThread->fIntFlags, ~RTTHREADINT_FLAGS_IN_TREE, __ATOMIC_SEQ_CST) &
        RTTHREADINT_FLAGS_IN_TREE)
        rtThreadUnlinkLocked(pThread);
    rtThreadUnLockRW();
}

uint32_t rtThreadRegisteredCount(void) {
    return __atomic_load_n(&g_cRtThreadsRegistered, __ATOMIC_SEQ_CST);
}

uint32_t rtThreadRegisteredCountOfType(RTTHREADTYPE enmType) {
    return (unsigned)enmType < RTTHREADTYPE_END ? __atomic_load_n(&g_acRtThreadTypes[enmType], __ATOMIC_SEQ_CST) : 0;
}

int rtThreadAdopt(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName) {
    if (enmType <= RTTHREADTYPE_INVALID || enmType >= RTTHREADTYPE_END || !pszName) return QERR_INVALID_PARAMETER;
    RTTHREADINT *pThread =
        rtThreadAlloc(enmType, fFlags & ~RTTHREADFLAGS_WAITABLE, fIntFlags | RTTHREADINT_FLAGS_ALIEN, pszName);
    if (!pThread) return QERR_NO_MEMORY;
    if (!rtThreadNativeSetSelf(pThread)) {
        rtThreadDestroy(pThread);
        return QERR_FAILED_TO_SET_SELF_TLS;
    }
    rtThreadNativeInformDebugger(pThread);
    rtThreadInsert(pThread, RTThreadNativeSelf());
    __atomic_store_n(&pThread->enmState, (uint32_t)RTTHREADSTATE_RUNNING, __ATOMIC_RELEASE);
    // The thread's slot keeps the one reference left.
    rtThreadRelease(pThread);
    return QINF_SUCCESS;
}

int rtThreadInit(void) {
    if (__atomic_load_n(&g_hRtThreadRWSem, __ATOMIC_ACQUIRE) != NIL_RTSEMRW) return QINF_ALREADY_INITIALIZED;
    RTSEMRW hRWSem = NIL_RTSEMRW;
    int rc = RTSemRWCreate(&hRWSem, RTSEMRW_FLAGS_NO_LOCK_VAL);
    if (RT_FAILURE(rc)) return rc;
    __atomic_store_n(&g_hRtThreadRWSem, hRWSem, __ATOMIC_RELEASE);

    rc = rtThreadNativeInit();
    if (RT_SUCCESS(rc)) {
        rc = rtThreadAdopt(RTTHREADTYPE_DEFAULT, 0, RTTHREADINT_FLAGS_MAIN, "main");
        if (RT_SUCCESS(rc)) {
            __atomic_store_n(&g_frtThreadInitialized, true, __ATOMIC_RELEASE);
            return QINF_SUCCESS;
        }
        // The slot goes too: every retry would otherwise take another one, and a process that
        // runs out of slots can no longer load libraries.
        rtThreadNativeUninit();
    }
    __atomic_store_n(&g_hRtThreadRWSem, NIL_RTSEMRW, __ATOMIC_RELEASE);
    RTSemRWDestroy(hRWSem);
    return rc;
}

//
// Created threads.
//

int rtThreadMain(RTTHREADINT *pThread, RTNATIVETHREAD NativeThread) {
    rtThreadNativeSetSelf(pThread);
    rtThreadInsert(pThread, NativeThread);
    rtThreadNativeInformDebugger(pThread);
    __atomic_store_n(&pThread->enmState, (uint32_t)RTTHREADSTATE_RUNNING, __ATOMIC_RELEASE);

    int const rc = pThread->pfnThread(pThread, pThread->pvUser);

    pThread->rc = rc;
    __atomic_store_n(&pThread->enmState, (uint32_t)RTTHREADSTATE_TERMINATED, __ATOMIC_RELEASE);
    rtThreadRemove(pThread);
    RTSemEventMultiSignal(pThread->EventTerminated);
    rtThreadNativeSetSelf(NULL);
    rtThreadRelease(pThread);
    return rc;
}

int RTThreadCreate(PRTTHREAD phThread, PFNRTTHREAD pfnThread, void *pvUser, size_t cbStack, RTTHREADTYPE enmType,
                   uint32_t fFlags, const char *pszName) {
    if (!RT_VALID_PTR(phThread)) return QERR_INVALID_POINTER;
    *phThread = NIL_RTTHREAD;
    if (!pfnThread || !pszName || enmType <= RTTHREADTYPE_INVALID || enmType >= RTTHREADTYPE_END ||
        (fFlags & ~RTTHREADFLAGS_MASK))
        return QERR_INVALID_PARAMETER;
    RTTHREADINT *pThread = rtThreadAlloc(enmType, fFlags, 0, pszName);
    if (!pThread) return QERR_NO_MEMORY;
    pThread->pfnThread = pfnThread;
    pThread->pvUser = pvUser;
    pThread->cbStack = cbStack;
    int rc = rtThreadNativeCreate(pThread);
    if (RT_FAILURE(rc)) {
        rtThreadDestroy(pThread);
        return rc;
    }
    *phThread = pThread;
    // The creator's reference; the thread keeps its own (and the waiter's, when waitable).
    rtThreadRelease(pThread);
    return QINF_SUCCESS;
}

int RTThreadWait(RTTHREAD hThread, uint32_t cMillies, int *prc) {
    RTTHREADINT *pThread = rtThreadValidate(hThread);
    if (!pThread || !(__atomic_load_n(&pThread->fFlags, __ATOMIC_ACQUIRE) & RTTHREADFLAGS_WAITABLE))
        return QERR_INVALID_HANDLE;
    if (pThread == rtThreadNativeGetSelf()) return QERR_DEADLOCK;
    int rc = RTSemEventMultiWait(pThread->EventTerminated, cMillies);
    if (RT_SUCCESS(rc)) {
        if (prc) *prc = pThread->rc;
        // The waiter's reference goes, once.
        if (__atomic_fetch_and(&pThread->fFlags, ~RTTHREADFLAGS_WAITABLE, __ATOMIC_SEQ_CST) & RTTHREADFLAGS_WAITABLE)
            rtThreadRelease(pThread);
    }
    return rc;
}

const char *RTThreadGetName(RTTHREAD hThread) {
    RTTHREADINT *pThread = rtThreadValidate(hThread);
    return pThread ? pThread->szName : NULL;
}

RTNATIVETHREAD RTThreadGetNative(RTTHREAD hThread) {
    RTTHREADINT *pThread = rtThreadValidate(hThread);
    return pThread ? pThread->NativeThread : NIL_RTNATIVETHREAD;
}

RTTHREAD RTThreadFromNative(RTNATIVETHREAD hNativeThread) {
    if (__atomic_load_n(&g_hRtThreadRWSem, __ATOMIC_ACQUIRE) == NIL_RTSEMRW) return NIL_RTTHREAD;
    rtThreadLockRW();
    RTTHREADINT *pThread = rtThreadAvlGet(g_pRtThreadTree, hNativeThread);
    rtThreadUnLockRW();
    return pThread;
}

//
// The calling thread.
//

RTTHREAD RTThreadSelf(void) {
    return rtThreadNativeGetSelf();
}

const char *RTThreadSelfName(void) {
    RTTHREADINT *pThread = rtThreadNativeGetSelf();
    if (!rtThreadValidate(pThread)) return NULL;
    // A reference only while looking, taken only from a live count and never dropped as the
    // last one: destroying the record here would free the name being returned. A record whose
    // last other reference went meanwhile keeps ours and reports no name.
    int32_t cRefs = __atomic_load_n(&pThread->cRefs, __ATOMIC_ACQUIRE);
    do {
        if (cRefs <= 0) return NULL;
    } while (
        !__atomic_compare_exchange_n(&pThread->cRefs, &cRefs, cRefs + 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE));
    const char *pszName = pThread->szName;
    cRefs = __atomic_load_n(&pThread->cRefs, __ATOMIC_ACQUIRE);
    do {
        if (cRefs <= 1) return NULL;
    } while (
        !__atomic_compare_exchange_n(&pThread->cRefs, &cRefs, cRefs - 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE));
    return pszName;
}

// The record behind hThread when it is plausible and alive, else null.
static RTTHREADINT *rtThreadLive(RTTHREAD hThread) {
    return rtThreadValidate(hThread);
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
