// Critical sections: flags, nesting, try-enter, stray leaves, contention and deletion while a
// thread waits.
#include <qrt/critsect.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "Runtime/r3/testplatform.h"

namespace {

struct FlagsCase {
    int iLine;
    uint32_t fFlags;
    int rc;
    uint32_t fStored;
};

// clang-format off
const FlagsCase g_aFlags[] = {
    {__LINE__, 0,          QINF_SUCCESS,           0},
    {__LINE__, 1,          QINF_SUCCESS,           1},
    {__LINE__, 15,         QINF_SUCCESS,           15},
    {__LINE__, 16,         QINF_SUCCESS,           0},
    {__LINE__, 17,         QINF_SUCCESS,           1},
    {__LINE__, 31,         QINF_SUCCESS,           15},
    {__LINE__, 32,         QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x80000000, QERR_INVALID_PARAMETER, 0},
};
// clang-format on

TEST(CritSectInit, FlagsAreCheckedAndSixteenIsDropped) {
    for (const FlagsCase &c : g_aFlags) {
        SCOPED_TRACE(c.iLine);
        RTCRITSECT CritSect;
        memset(&CritSect, 0, sizeof(CritSect));
        ASSERT_EQ(c.rc, RTCritSectInit(&CritSect, c.fFlags, "test"));
        if (RT_FAILURE(c.rc)) {
            EXPECT_EQ(0u, CritSect.u32Magic);
            continue;
        }
        EXPECT_EQ(RTCRITSECT_MAGIC, CritSect.u32Magic);
        EXPECT_EQ(c.fStored, CritSect.fFlags);
        EXPECT_EQ(-1, CritSect.cLockers);
        EXPECT_EQ(NIL_RTNATIVETHREAD, CritSect.NativeThreadOwner);
        EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
        EXPECT_EQ(RTCRITSECT_MAGIC_DEAD, CritSect.u32Magic);
    }
}

TEST(CritSectInit, EventFailureMakesTheSectionUnusable) {
    RTCRITSECT CritSect;
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_MEMORY, RTCritSectInit(&CritSect, 0, "test"));
    RTMemTestFailAfter(0);
    EXPECT_EQ((uint32_t)QERR_NO_MEMORY, CritSect.u32Magic);
    EXPECT_EQ(QERR_SEM_DESTROYED, RTCritSectEnter(&CritSect));
    EXPECT_EQ(QERR_SEM_DESTROYED, RTCritSectTryEnter(&CritSect));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTCritSectDelete(&CritSect));
}

// A thread that tries to enter once and reports what it got.
struct TryEnterArgs {
    PRTCRITSECT pCritSect;
    int rc;
    bool fLeave;
};

static void tryEnterThread(void *pvUser) {
    TryEnterArgs *pArgs = (TryEnterArgs *)pvUser;
    pArgs->rc = RTCritSectTryEnter(pArgs->pCritSect);
    if (pArgs->fLeave && RT_SUCCESS(pArgs->rc)) RTCritSectLeave(pArgs->pCritSect);
}

static int tryEnterFromOtherThread(PRTCRITSECT pCritSect) {
    TryEnterArgs Args = {pCritSect, QERR_INTERNAL_ERROR, true};
    TESTTHREAD *pThread = TestThreadStart(tryEnterThread, &Args);
    EXPECT_NE(nullptr, pThread);
    if (pThread) TestThreadJoin(pThread);
    return Args.rc;
}

TEST(CritSectEnter, OwnerNestsAndReleasesAfterAsManyLeaves) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, 0, "test"));
    for (int i = 1; i <= 3; i++) {
        ASSERT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
        EXPECT_EQ(i, CritSect.cNestings);
        EXPECT_EQ(i - 1, CritSect.cLockers);
    }
    EXPECT_EQ(QINF_SUCCESS, RTCritSectTryEnter(&CritSect));
    EXPECT_EQ(4, CritSect.cNestings);
    EXPECT_EQ(RTThreadNativeSelf(), CritSect.NativeThreadOwner);
    for (int i = 3; i >= 1; i--) {
        ASSERT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect));
        EXPECT_EQ(QERR_SEM_BUSY, tryEnterFromOtherThread(&CritSect)) << i;
    }
    ASSERT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect));
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(NIL_RTNATIVETHREAD, CritSect.NativeThreadOwner);
    EXPECT_EQ(QINF_SUCCESS, tryEnterFromOtherThread(&CritSect));
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

TEST(CritSectEnter, NoNestingRefusesReentryAndKeepsTheCount) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, RTCRITSECT_FLAGS_NO_NESTING, "test"));
    ASSERT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
    EXPECT_EQ(QERR_SEM_NESTED, RTCritSectEnter(&CritSect));
    EXPECT_EQ(0, CritSect.cLockers);
    EXPECT_EQ(QERR_SEM_NESTED, RTCritSectTryEnter(&CritSect));
    EXPECT_EQ(0, CritSect.cLockers);
    EXPECT_EQ(1, CritSect.cNestings);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect));
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(QINF_SUCCESS, tryEnterFromOtherThread(&CritSect));
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

TEST(CritSectEnter, NopSectionIgnoresEveryCall) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, RTCRITSECT_FLAGS_NOP, "test"));
    EXPECT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
    TryEnterArgs Args = {&CritSect, QERR_INTERNAL_ERROR, false};
    TESTTHREAD *pThread = TestThreadStart(tryEnterThread, &Args);
    ASSERT_NE(nullptr, pThread);
    TestThreadJoin(pThread);
    EXPECT_EQ(QINF_SUCCESS, Args.rc);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect));
    EXPECT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect)); // more leaves than enters, no effect
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(0, CritSect.cNestings);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

TEST(CritSectLeave, StrayLeaveChangesNothingAndIsRefused) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, 0, "test"));
    EXPECT_EQ(QERR_NOT_OWNER, RTCritSectLeave(&CritSect));
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(0, CritSect.cNestings);
    // The section still works for everyone: no wait for ever, no two owners.
    ASSERT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
    EXPECT_EQ(QERR_SEM_BUSY, tryEnterFromOtherThread(&CritSect));
    EXPECT_EQ(QINF_SUCCESS, RTCritSectLeave(&CritSect));
    EXPECT_EQ(QERR_NOT_OWNER, RTCritSectLeave(&CritSect)); // one leave too many
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(QINF_SUCCESS, tryEnterFromOtherThread(&CritSect));
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

static void leaveThread(void *pvUser) {
    TryEnterArgs *pArgs = (TryEnterArgs *)pvUser;
    pArgs->rc = RTCritSectLeave(pArgs->pCritSect);
}

TEST(CritSectLeave, AnyThreadMayLeave) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, 0, "test"));
    ASSERT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
    TryEnterArgs Args = {&CritSect, QERR_INTERNAL_ERROR, false};
    TESTTHREAD *pThread = TestThreadStart(leaveThread, &Args);
    ASSERT_NE(nullptr, pThread);
    TestThreadJoin(pThread);
    EXPECT_EQ(QINF_SUCCESS, Args.rc);
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(NIL_RTNATIVETHREAD, CritSect.NativeThreadOwner);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

// Several threads bump a counter under the section; anyone seeing another inside is a fault.
struct ContentionArgs {
    PRTCRITSECT pCritSect;
    unsigned cRounds;
    volatile unsigned cCounter;
    std::atomic<unsigned> cInside;
    std::atomic<unsigned> cOverlaps;
    std::atomic<unsigned> cFailures;
};

static void contentionThread(void *pvUser) {
    ContentionArgs *pArgs = (ContentionArgs *)pvUser;
    for (unsigned i = 0; i < pArgs->cRounds; i++) {
        if (RT_FAILURE(RTCritSectEnter(pArgs->pCritSect))) {
            pArgs->cFailures++;
            continue;
        }
        if (pArgs->cInside++ != 0) pArgs->cOverlaps++;
        if (i % 3 == 0) RTCritSectEnter(pArgs->pCritSect); // nest now and then
        pArgs->cCounter = pArgs->cCounter + 1;
        if (i % 3 == 0) RTCritSectLeave(pArgs->pCritSect);
        pArgs->cInside--;
        if (RT_FAILURE(RTCritSectLeave(pArgs->pCritSect))) pArgs->cFailures++;
    }
}

TEST(CritSectEnter, ContendedEntersFromFourThreads) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, 0, "test"));
    ContentionArgs Args;
    Args.pCritSect = &CritSect;
    Args.cRounds = 20000;
    Args.cCounter = 0;
    Args.cInside = 0;
    Args.cOverlaps = 0;
    Args.cFailures = 0;
    TESTTHREAD *apThreads[4];
    for (TESTTHREAD *&pThread : apThreads) {
        pThread = TestThreadStart(contentionThread, &Args);
        ASSERT_NE(nullptr, pThread);
    }
    for (TESTTHREAD *pThread : apThreads) TestThreadJoin(pThread);
    EXPECT_EQ(4u * Args.cRounds, Args.cCounter);
    EXPECT_EQ(0u, Args.cOverlaps.load());
    EXPECT_EQ(0u, Args.cFailures.load());
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
}

static void enterThread(void *pvUser) {
    TryEnterArgs *pArgs = (TryEnterArgs *)pvUser;
    pArgs->rc = RTCritSectEnter(pArgs->pCritSect);
}

TEST(CritSectDelete, WaiterWakesWithDestroyed) {
    RTCRITSECT CritSect;
    ASSERT_EQ(QINF_SUCCESS, RTCritSectInit(&CritSect, 0, "test"));
    ASSERT_EQ(QINF_SUCCESS, RTCritSectEnter(&CritSect));
    TryEnterArgs Args = {&CritSect, QINF_SUCCESS, false};
    TESTTHREAD *pThread = TestThreadStart(enterThread, &Args);
    ASSERT_NE(nullptr, pThread);
    // Wait until the waiter has counted itself in, then give it time to fall asleep.
    for (unsigned i = 0; i < 5000 && __atomic_load_n(&CritSect.cLockers, __ATOMIC_ACQUIRE) < 1; i++) TestSleepMs(1);
    EXPECT_EQ(1, CritSect.cLockers);
    TestSleepMs(20);
    EXPECT_EQ(QINF_SUCCESS, RTCritSectDelete(&CritSect));
    TestThreadJoin(pThread);
    EXPECT_EQ(QERR_SEM_DESTROYED, Args.rc);
    EXPECT_EQ(RTCRITSECT_MAGIC_DEAD, CritSect.u32Magic);
    EXPECT_EQ(-1, CritSect.cLockers);
    EXPECT_EQ(QERR_SEM_DESTROYED, RTCritSectEnter(&CritSect));
    EXPECT_EQ(QERR_SEM_DESTROYED, RTCritSectTryEnter(&CritSect));
    EXPECT_EQ(QERR_NOT_OWNER, RTCritSectLeave(&CritSect));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTCritSectDelete(&CritSect));
}

TEST(CritSectEnter, UninitialisedSectionIsRefused) {
    RTCRITSECT CritSect;
    memset(&CritSect, 0, sizeof(CritSect));
    EXPECT_EQ(QERR_SEM_DESTROYED, RTCritSectEnter(&CritSect));
    EXPECT_EQ(QERR_SEM_DESTROYED, RTCritSectTryEnter(&CritSect));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTCritSectDelete(&CritSect));
}

} // namespace
