// The read/write semaphore's write side: recursion, timeouts, ownership, waiting writers and
// destruction while held.
#include <qrt/semaphore.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <atomic>

#include "Runtime/r3/testplatform.h"

namespace {

struct RWArgs {
    RTSEMRW hRWSem;
    uint32_t cMillies;
    bool fRelease;
    std::atomic<bool> fStarted;
    int rcRequest;
    int rcRelease;
    uint64_t cMsTook;
};

static void requestThread(void *pvUser) {
    RWArgs *pArgs = (RWArgs *)pvUser;
    pArgs->fStarted = true;
    uint64_t const msStart = TestMilliTS();
    pArgs->rcRequest = RTSemRWRequestWrite(pArgs->hRWSem, pArgs->cMillies);
    pArgs->cMsTook = TestMilliTS() - msStart;
    if (pArgs->fRelease && RT_SUCCESS(pArgs->rcRequest)) pArgs->rcRelease = RTSemRWReleaseWrite(pArgs->hRWSem);
}

static void releaseThread(void *pvUser) {
    RWArgs *pArgs = (RWArgs *)pvUser;
    pArgs->rcRelease = RTSemRWReleaseWrite(pArgs->hRWSem);
}

// Runs pfn on another thread and waits for it.
static void onOtherThread(PFNTESTTHREAD pfn, RWArgs *pArgs) {
    TESTTHREAD *pThread = TestThreadStart(pfn, pArgs);
    ASSERT_NE(nullptr, pThread);
    TestThreadJoin(pThread);
}

static RWArgs *initArgs(RWArgs *pArgs, RTSEMRW hRWSem, uint32_t cMillies, bool fRelease) {
    pArgs->hRWSem = hRWSem;
    pArgs->cMillies = cMillies;
    pArgs->fRelease = fRelease;
    pArgs->fStarted = false;
    pArgs->rcRequest = pArgs->rcRelease = QERR_INTERNAL_ERROR;
    pArgs->cMsTook = 0;
    return pArgs;
}

TEST(SemRWCreate, FlagsAndOutOfMemory) {
    RTSEMRW hRWSem = (RTSEMRW)(uintptr_t)0x1234;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTSemRWCreate(&hRWSem, 2));
    EXPECT_EQ(NIL_RTSEMRW, hRWSem);
    // Each allocation of the creation in turn: every failure is undone and reported.
    for (uint32_t i = 1; i <= 4; i++) {
        RTMemTestFailAfter(i);
        int rc = RTSemRWCreate(&hRWSem, RTSEMRW_FLAGS_NO_LOCK_VAL);
        RTMemTestFailAfter(0);
        if (RT_SUCCESS(rc)) {
            EXPECT_EQ(4u, i) << "creation takes four allocations";
            EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(hRWSem));
        } else {
            EXPECT_EQ(QERR_NO_MEMORY, rc) << i;
            EXPECT_EQ(NIL_RTSEMRW, hRWSem);
        }
    }
    ASSERT_EQ(QINF_SUCCESS, RTSemRWCreate(&hRWSem, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(hRWSem));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(NIL_RTSEMRW));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemRWDestroy((RTSEMRW)(uintptr_t)16));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemRWRequestWrite((RTSEMRW)(uintptr_t)16, 0));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemRWReleaseWrite((RTSEMRW)(uintptr_t)16));
}

TEST(SemRWRequestWrite, HolderRecursesOthersTimeOut) {
    RTSEMRW hRWSem;
    ASSERT_EQ(QINF_SUCCESS, RTSemRWCreate(&hRWSem, 0));
    ASSERT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, RT_INDEFINITE_WAIT));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, 100));

    RWArgs Args;
    initArgs(&Args, hRWSem, 0, true);
    onOtherThread(requestThread, &Args);
    EXPECT_EQ(QERR_TIMEOUT, Args.rcRequest);
    EXPECT_LT(Args.cMsTook, 1000u); // at once, no wait

    initArgs(&Args, hRWSem, 60, true);
    onOtherThread(requestThread, &Args);
    EXPECT_EQ(QERR_TIMEOUT, Args.rcRequest);
    EXPECT_GE(Args.cMsTook + 20, 60u);

    for (int i = 0; i < 3; i++) EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem)) << i;
    EXPECT_EQ(QERR_NOT_OWNER, RTSemRWReleaseWrite(hRWSem));
    initArgs(&Args, hRWSem, 0, true);
    onOtherThread(requestThread, &Args);
    EXPECT_EQ(QINF_SUCCESS, Args.rcRequest);
    EXPECT_EQ(QINF_SUCCESS, Args.rcRelease);
    EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(hRWSem));
}

TEST(SemRWReleaseWrite, NonOwnerIsRefusedAndTheOwnerCarriesOn) {
    RTSEMRW hRWSem;
    ASSERT_EQ(QINF_SUCCESS, RTSemRWCreate(&hRWSem, 0));
    ASSERT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, RT_INDEFINITE_WAIT));
    RWArgs Args;
    initArgs(&Args, hRWSem, 0, false);
    onOtherThread(releaseThread, &Args);
    EXPECT_EQ(QERR_NOT_OWNER, Args.rcRelease);
    // The refusal left the internal lock free: the owner releases and requests again.
    EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(hRWSem));
}

TEST(SemRWRequestWrite, WaitingWriterGetsItOnRelease) {
    for (uint32_t cMillies : {RT_INDEFINITE_WAIT, 10000u}) {
        SCOPED_TRACE(cMillies);
        RTSEMRW hRWSem;
        ASSERT_EQ(QINF_SUCCESS, RTSemRWCreate(&hRWSem, 0));
        ASSERT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, RT_INDEFINITE_WAIT));
        RWArgs Args;
        initArgs(&Args, hRWSem, cMillies, true);
        TESTTHREAD *pThread = TestThreadStart(requestThread, &Args);
        ASSERT_NE(nullptr, pThread);
        while (!Args.fStarted) TestSleepMs(1);
        TestSleepMs(30);
        // A writer is waiting: a zero-timeout request by a third party would still take a free
        // semaphore, but it is held; the holder's release hands it to the waiter.
        EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem));
        TestThreadJoin(pThread);
        EXPECT_EQ(QINF_SUCCESS, Args.rcRequest);
        EXPECT_EQ(QINF_SUCCESS, Args.rcRelease);
        EXPECT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, 0));
        EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem));
        EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(hRWSem));
    }
}

TEST(SemRWDestroy, HeldSemaphoreIsBusy) {
    RTSEMRW hRWSem;
    ASSERT_EQ(QINF_SUCCESS, RTSemRWCreate(&hRWSem, 0));
    ASSERT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, RT_INDEFINITE_WAIT));
    EXPECT_EQ(QERR_SEM_BUSY, RTSemRWDestroy(hRWSem));
    // Still fully usable afterwards.
    EXPECT_EQ(QINF_SUCCESS, RTSemRWRequestWrite(hRWSem, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem));
    EXPECT_EQ(QERR_SEM_BUSY, RTSemRWDestroy(hRWSem));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWReleaseWrite(hRWSem));
    EXPECT_EQ(QINF_SUCCESS, RTSemRWDestroy(hRWSem));
}

} // namespace
