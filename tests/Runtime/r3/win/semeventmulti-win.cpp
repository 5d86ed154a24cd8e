// Alerts during waits (user APCs): which waits return QERR_INTERRUPTED, which go on, and that
// a resuming wait with a timeout still ends.
#include <qrt/critsect.h>
#include <qrt/semaphore.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <atomic>

#include "Runtime/r3/testplatform.h"

namespace {

struct AlertWaitArgs {
    RTSEMEVENTMULTI hMulti;
    RTSEMEVENT hEvent;
    uint32_t fFlags;   // for the manual-reset event
    uint32_t cMillies; // for the shorthands
    int iKind;         // 0 WaitEx, 1 RTSemEventWait, 2 RTSemEventWaitNoResume
    std::atomic<bool> fWaiting;
    std::atomic<bool> fDone;
    int rc;
    uint64_t cMsTook;
};

static void alertWaitThread(void *pvUser) {
    AlertWaitArgs *pArgs = (AlertWaitArgs *)pvUser;
    pArgs->fWaiting = true;
    uint64_t const msStart = TestMilliTS();
    if (pArgs->iKind == 0)
        pArgs->rc = RTSemEventMultiWaitEx(pArgs->hMulti, pArgs->fFlags, pArgs->cMillies);
    else if (pArgs->iKind == 1)
        pArgs->rc = RTSemEventWait(pArgs->hEvent, pArgs->cMillies);
    else
        pArgs->rc = RTSemEventWaitNoResume(pArgs->hEvent, pArgs->cMillies);
    pArgs->cMsTook = TestMilliTS() - msStart;
    pArgs->fDone = true;
}

static std::atomic<unsigned> g_cAlerts{0};
static void countAlert(void *) {
    g_cAlerts++;
}

struct AlertCase {
    int iLine;
    int iKind;
    uint32_t fFlags;
    uint32_t cMillies;
    unsigned cAlerts; // alerts sent, 10 ms apart
    bool fSignal;     // signal after the alerts
    int rc;
    uint32_t cMsMin, cMsMax; // how long the wait may take
};

// clang-format off
const AlertCase g_aAlerts[] = {
    // An alert ends a returning wait.
    {__LINE__, 0, 0x30, 0,                  1, false, QERR_INTERRUPTED, 0,   2000},
    {__LINE__, 0, 0x29, 5000,               1, false, QERR_INTERRUPTED, 0,   2000},
    {__LINE__, 2, 0,    RT_INDEFINITE_WAIT, 1, false, QERR_INTERRUPTED, 0,   2000},
    {__LINE__, 2, 0,    5000,               1, false, QERR_INTERRUPTED, 0,   2000},
    // A resuming wait without a timeout goes on after every alert until the signal.
    {__LINE__, 0, 0x50, 0,                  5, true,  QINF_SUCCESS,     30,  5000},
    {__LINE__, 1, 0,    RT_INDEFINITE_WAIT, 5, true,  QINF_SUCCESS,     30,  5000},
    // A resuming wait with a timeout goes on, but not beyond its time.
    {__LINE__, 0, 0x49, 100,                15, false, QERR_TIMEOUT,    80,  1000},
    {__LINE__, 1, 0,    100,                15, false, QERR_TIMEOUT,    80,  1000},
    {__LINE__, 0, 0x49, 5000,               3, true,  QINF_SUCCESS,     10,  4000},
};
// clang-format on

TEST(SemEventMultiWaitExWin, AlertsEndOrResumeWaits) {
    for (const AlertCase &c : g_aAlerts) {
        SCOPED_TRACE(c.iLine);
        AlertWaitArgs Args;
        ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&Args.hMulti, 0));
        ASSERT_EQ(QINF_SUCCESS, RTSemEventCreate(&Args.hEvent, 0));
        Args.fFlags = c.fFlags;
        Args.cMillies = c.cMillies;
        Args.iKind = c.iKind;
        Args.fWaiting = false;
        Args.fDone = false;
        Args.rc = QERR_INTERNAL_ERROR;
        g_cAlerts = 0;
        TESTTHREAD *pThread = TestThreadStart(alertWaitThread, &Args);
        ASSERT_NE(nullptr, pThread);
        while (!Args.fWaiting) TestSleepMs(1);
        TestSleepMs(10);
        // Alerts stop once a wait with a timeout has ended (a finished thread takes none).
        for (unsigned i = 0; i < c.cAlerts && !Args.fDone; i++) {
            if (!TestThreadAlert(pThread, countAlert, nullptr)) {
                EXPECT_TRUE(Args.fDone.load());
            }
            TestSleepMs(10);
        }
        if (c.fSignal) {
            EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiSignal(Args.hMulti));
            EXPECT_EQ(QINF_SUCCESS, RTSemEventSignal(Args.hEvent));
        }
        TestThreadJoin(pThread);
        EXPECT_EQ(c.rc, Args.rc);
        EXPECT_GE(Args.cMsTook + 20, c.cMsMin);
        EXPECT_LE(Args.cMsTook, c.cMsMax);
        // Alerts that arrive after a wait ended run when the thread ends; each one ran once.
        EXPECT_LE(g_cAlerts.load(), c.cAlerts);
        if (c.fSignal) {
            EXPECT_EQ(c.cAlerts, g_cAlerts.load());
        }
        EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(Args.hMulti));
        EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(Args.hEvent));
    }
}

struct EnterArgs {
    PRTCRITSECT pCritSect;
    std::atomic<bool> fWaiting;
    int rc;
};

static void enterThread(void *pvUser) {
    EnterArgs *pArgs = (EnterArgs *)pvUser;
    pArgs->fWaiting = true;
    pArgs->rc = RTCritSectEnter(pArgs->pCritSect);
    if (RT_SUCCESS(pArgs->rc)) RTCritSectLeave(pArgs->pCritSect);
}

TEST(CritSectEnterWin, AlertsDoNotEndTheWait) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, 0, "test"));
    ASSERT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
    EnterArgs Args;
    Args.pCritSect = &CritSect;
    Args.fWaiting = false;
    Args.rc = QERR_INTERNAL_ERROR;
    g_cAlerts = 0;
    TESTTHREAD *pThread = TestThreadStart(enterThread, &Args);
    ASSERT_NE(nullptr, pThread);
    while (__atomic_load_n(&CritSect.cLockers, __ATOMIC_ACQUIRE) < 1) TestSleepMs(1);
    TestSleepMs(10);
    for (int i = 0; i < 3; i++) {
        EXPECT_TRUE(TestThreadAlert(pThread, countAlert, nullptr));
        TestSleepMs(10);
    }
    EXPECT_EQ(3u, g_cAlerts.load());
    EXPECT_EQ(1, CritSect.cLockers); // still waiting
    EXPECT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect));
    TestThreadJoin(pThread);
    EXPECT_EQ(QINF_SUCCESS, Args.rc);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

} // namespace
