// Auto-reset events: creation flags, signal and wait, timeouts, wake-ups across threads and
// handle checks.
#include <qrt/semaphore.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <cstring>

#include "Runtime/r3/testplatform.h"

namespace {

TEST(SemEventCreate, FlagsAreBits) {
    const struct {
        int iLine;
        uint32_t fFlags;
        int rc;
    } aCases[] = {
        {__LINE__, 0, QINF_SUCCESS},           {__LINE__, 1, QINF_SUCCESS},
        {__LINE__, 4, QINF_SUCCESS},           {__LINE__, 5, QINF_SUCCESS},
        {__LINE__, 2, QERR_INVALID_PARAMETER}, {__LINE__, 8, QERR_INVALID_PARAMETER},
        {__LINE__, 7, QERR_INVALID_PARAMETER}, {__LINE__, 0x80000001, QERR_INVALID_PARAMETER},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTSEMEVENT hEvent = (RTSEMEVENT)(uintptr_t)0x1234;
        EXPECT_EQ(c.rc, RTSemEventCreate(&hEvent, c.fFlags));
        if (RT_SUCCESS(c.rc)) {
            EXPECT_NE(NIL_RTSEMEVENT, hEvent);
            EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(hEvent));
        } else
            EXPECT_EQ(NIL_RTSEMEVENT, hEvent);
    }
}

TEST(SemEventCreate, OutOfMemory) {
    RTSEMEVENT hEvent;
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_MEMORY, RTSemEventCreate(&hEvent, 0));
    RTMemTestFailAfter(0);
    EXPECT_EQ(NIL_RTSEMEVENT, hEvent);
}

TEST(SemEvent, OneSignalReleasesOneWait) {
    RTSEMEVENT hEvent;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventCreate(&hEvent, 0));
    EXPECT_EQ(QERR_TIMEOUT, RTSemEventWaitNoResume(hEvent, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventSignal(hEvent));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventSignal(hEvent)); // signals do not add up
    EXPECT_EQ(QINF_SUCCESS, RTSemEventWait(hEvent, 0));
    EXPECT_EQ(QERR_TIMEOUT, RTSemEventWait(hEvent, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventSignal(hEvent));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventWait(hEvent, RT_INDEFINITE_WAIT));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(hEvent));
}

TEST(SemEvent, TimedWaitTakesAboutItsTime) {
    RTSEMEVENT hEvent;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventCreate(&hEvent, 0));
    for (uint32_t cMs : {30u, 80u}) {
        uint64_t const msStart = TestMilliTS();
        EXPECT_EQ(QERR_TIMEOUT, RTSemEventWait(hEvent, cMs));
        uint64_t const cMsTook = TestMilliTS() - msStart;
        // The clock moves in steps of about 16 ms on some hosts.
        EXPECT_GE(cMsTook + 20, cMs);
        EXPECT_LT(cMsTook, cMs + 1000);
        EXPECT_EQ(QERR_TIMEOUT, RTSemEventWaitNoResume(hEvent, 1));
    }
    EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(hEvent));
}

struct WaitArgs {
    RTSEMEVENT hEvent;
    uint32_t cMillies;
    int rc;
};

static void waitThread(void *pvUser) {
    WaitArgs *pArgs = (WaitArgs *)pvUser;
    pArgs->rc = RTSemEventWait(pArgs->hEvent, pArgs->cMillies);
}

TEST(SemEvent, SignalWakesWaiterOnAnotherThread) {
    for (uint32_t cMillies : {RT_INDEFINITE_WAIT, 10000u}) {
        SCOPED_TRACE(cMillies);
        RTSEMEVENT hEvent;
        ASSERT_EQ(QINF_SUCCESS, RTSemEventCreate(&hEvent, 0));
        WaitArgs Args = {hEvent, cMillies, QERR_INTERNAL_ERROR};
        TESTTHREAD *pThread = TestThreadStart(waitThread, &Args);
        ASSERT_NE(nullptr, pThread);
        TestSleepMs(20);
        uint64_t const msStart = TestMilliTS();
        EXPECT_EQ(QINF_SUCCESS, RTSemEventSignal(hEvent));
        TestThreadJoin(pThread);
        EXPECT_EQ(QINF_SUCCESS, Args.rc);
        EXPECT_LT(TestMilliTS() - msStart, 5000u);
        EXPECT_EQ(QERR_TIMEOUT, RTSemEventWait(hEvent, 0)); // the waiter took the signal
        EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(hEvent));
    }
}

TEST(SemEvent, HandlesAreChecked) {
    EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(NIL_RTSEMEVENT));
    RTSEMEVENT const hNear = (RTSEMEVENT)(uintptr_t)16;
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventSignal(hNear));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventWait(hNear, 0));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventWaitNoResume(hNear, RT_INDEFINITE_WAIT));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventDestroy(hNear));
    // A record with the wrong magic, e.g. a manual-reset event passed by mistake.
    RTSEMEVENTMULTI hMulti;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&hMulti, 0));
    RTSEMEVENT const hWrong = (RTSEMEVENT)(void *)hMulti;
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventSignal(hWrong));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventWait(hWrong, 0));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventDestroy(hWrong));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(hMulti));
}

} // namespace
