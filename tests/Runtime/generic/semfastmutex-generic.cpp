// Fast and spin mutexes: creation, no nesting, and mutual exclusion between threads.
#include <qrt/semaphore.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include "Runtime/r3/testplatform.h"

namespace {

// Both mutex kinds behind one interface, so the same cases run on each.
struct MutexOps {
    const char *pszName;
    int (*pfnCreate)(void **ph);
    int (*pfnDestroy)(void *h);
    int (*pfnRequest)(void *h);
    int (*pfnRelease)(void *h);
};

const MutexOps g_aMutexes[] = {
    {"fast", [](void **ph) { return RTSemFastMutexCreate((RTSEMFASTMUTEX *)ph); },
     [](void *h) { return RTSemFastMutexDestroy((RTSEMFASTMUTEX)h); },
     [](void *h) { return RTSemFastMutexRequest((RTSEMFASTMUTEX)h); },
     [](void *h) { return RTSemFastMutexRelease((RTSEMFASTMUTEX)h); }},
    {"spin", [](void **ph) { return RTSemSpinMutexCreate((RTSEMSPINMUTEX *)ph, 0); },
     [](void *h) { return RTSemSpinMutexDestroy((RTSEMSPINMUTEX)h); },
     [](void *h) { return RTSemSpinMutexRequest((RTSEMSPINMUTEX)h); },
     [](void *h) { return RTSemSpinMutexRelease((RTSEMSPINMUTEX)h); }},
};

TEST(SemMutex, NoNestingAndHandles) {
    for (const MutexOps &Ops : g_aMutexes) {
        SCOPED_TRACE(Ops.pszName);
        void *h = nullptr;
        ASSERT_EQ(QINF_SUCCESS, Ops.pfnCreate(&h));
        EXPECT_EQ(QINF_SUCCESS, Ops.pfnRequest(h));
        EXPECT_EQ(QERR_SEM_NESTED, Ops.pfnRequest(h));
        EXPECT_EQ(QINF_SUCCESS, Ops.pfnRelease(h));
        EXPECT_EQ(QERR_NOT_OWNER, Ops.pfnRelease(h));
        EXPECT_EQ(QINF_SUCCESS, Ops.pfnDestroy(h));
        EXPECT_EQ(QINF_SUCCESS, Ops.pfnDestroy(nullptr));
        EXPECT_EQ(QERR_INVALID_HANDLE, Ops.pfnRequest((void *)(uintptr_t)16));
        EXPECT_EQ(QERR_INVALID_HANDLE, Ops.pfnRelease((void *)(uintptr_t)16));
        EXPECT_EQ(QERR_INVALID_HANDLE, Ops.pfnDestroy((void *)(uintptr_t)16));
        RTMemTestFailAfter(1);
        EXPECT_EQ(QERR_NO_MEMORY, Ops.pfnCreate(&h));
        RTMemTestFailAfter(0);
        EXPECT_EQ(nullptr, h);
    }
}

TEST(SemSpinMutexCreate, OnlyFlagOneIsAccepted) {
    const struct {
        int iLine;
        uint32_t fFlags;
        int rc;
    } aCases[] = {{__LINE__, 0, QINF_SUCCESS},
                  {__LINE__, RTSEMSPINMUTEX_FLAGS_IRQ_SAFE, QINF_SUCCESS},
                  {__LINE__, 2, QERR_INVALID_PARAMETER},
                  {__LINE__, 3, QERR_INVALID_PARAMETER}};
    for (const auto &c : aCases) {
        RTSEMSPINMUTEX h = (RTSEMSPINMUTEX)(uintptr_t)0x1234;
        EXPECT_EQ(c.rc, RTSemSpinMutexCreate(&h, c.fFlags)) << c.iLine;
        EXPECT_EQ(RT_SUCCESS(c.rc), h != NIL_RTSEMSPINMUTEX) << c.iLine;
        EXPECT_EQ(QINF_SUCCESS, RTSemSpinMutexDestroy(h)) << c.iLine;
    }
}

struct CountArgs {
    const MutexOps *pOps;
    void *h;
    volatile unsigned cCounter;
};

static void countThread(void *pvUser) {
    CountArgs *pArgs = (CountArgs *)pvUser;
    for (unsigned i = 0; i < 20000; i++) {
        pArgs->pOps->pfnRequest(pArgs->h);
        pArgs->cCounter = pArgs->cCounter + 1;
        pArgs->pOps->pfnRelease(pArgs->h);
    }
}

TEST(SemMutex, ExcludesOtherThreads) {
    for (const MutexOps &Ops : g_aMutexes) {
        SCOPED_TRACE(Ops.pszName);
        CountArgs Args = {&Ops, nullptr, 0};
        ASSERT_EQ(QINF_SUCCESS, Ops.pfnCreate(&Args.h));
        TESTTHREAD *apThreads[3];
        for (TESTTHREAD *&pThread : apThreads) {
            pThread = TestThreadStart(countThread, &Args);
            ASSERT_NE(nullptr, pThread);
        }
        for (TESTTHREAD *pThread : apThreads) TestThreadJoin(pThread);
        EXPECT_EQ(60000u, Args.cCounter);
        EXPECT_EQ(QINF_SUCCESS, Ops.pfnDestroy(Args.h));
    }
}

} // namespace
