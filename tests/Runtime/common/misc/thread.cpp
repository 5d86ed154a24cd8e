// The calling thread's identity and the wait bookkeeping on thread records.
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include <cstring>

#include "Runtime/r3/testplatform.h"
#include "common/misc/thread-internal.h"

namespace {

TEST(ThreadSelf, NoRecordWithoutRegistry) {
    EXPECT_EQ(NIL_RTTHREAD, RTThreadSelf());
}

static void nativeSelfThread(void *pvUser) {
    *(RTNATIVETHREAD *)pvUser = RTThreadNativeSelf();
}

TEST(ThreadNativeSelf, StablePerThreadAndDistinct) {
    RTNATIVETHREAD const Self = RTThreadNativeSelf();
    EXPECT_NE(NIL_RTNATIVETHREAD, Self);
    EXPECT_EQ(Self, RTThreadNativeSelf());
    RTNATIVETHREAD aOthers[2] = {NIL_RTNATIVETHREAD, NIL_RTNATIVETHREAD};
    // Both threads run at the same time, so their ids cannot be reused between them.
    TESTTHREAD *p1 = TestThreadStart(nativeSelfThread, &aOthers[0]);
    TESTTHREAD *p2 = TestThreadStart(nativeSelfThread, &aOthers[1]);
    ASSERT_NE(nullptr, p1);
    ASSERT_NE(nullptr, p2);
    TestThreadJoin(p1);
    TestThreadJoin(p2);
    for (RTNATIVETHREAD Other : aOthers) {
        EXPECT_NE(NIL_RTNATIVETHREAD, Other);
        EXPECT_NE(Self, Other);
    }
}

TEST(ThreadBlocking, StateMovesOnlyFromRunningAndBack) {
    const struct {
        int iLine;
        uint32_t uMagic;
        RTTHREADSTATE enmStart;
        RTTHREADSTATE enmWait;
        bool fSleeping;
        RTTHREADSTATE enmBlocked; // state after RTThreadBlocking
        bool fSleepingBlocked;
        RTTHREADSTATE enmUnblock; // state passed to RTThreadUnblocked
        RTTHREADSTATE enmAfter;
    } aCases[] = {
        {__LINE__, RTTHREADINT_MAGIC, RTTHREADSTATE_RUNNING, RTTHREADSTATE_CRITSECT, false, RTTHREADSTATE_CRITSECT,
         false, RTTHREADSTATE_CRITSECT, RTTHREADSTATE_RUNNING},
        {__LINE__, RTTHREADINT_MAGIC, RTTHREADSTATE_RUNNING, RTTHREADSTATE_EVENT, true, RTTHREADSTATE_EVENT, true,
         RTTHREADSTATE_EVENT, RTTHREADSTATE_RUNNING},
        // Unblocking with another state leaves the blocked state alone.
        {__LINE__, RTTHREADINT_MAGIC, RTTHREADSTATE_RUNNING, RTTHREADSTATE_EVENT_MULTI, true, RTTHREADSTATE_EVENT_MULTI,
         true, RTTHREADSTATE_RW_WRITE, RTTHREADSTATE_EVENT_MULTI},
        // A thread that is not running keeps its state; the sleeping flag still follows.
        {__LINE__, RTTHREADINT_MAGIC, RTTHREADSTATE_INITIALIZING, RTTHREADSTATE_EVENT, true, RTTHREADSTATE_INITIALIZING,
         true, RTTHREADSTATE_EVENT, RTTHREADSTATE_INITIALIZING},
        // A dead record is left untouched.
        {__LINE__, RTTHREADINT_MAGIC_DEAD, RTTHREADSTATE_RUNNING, RTTHREADSTATE_EVENT, true, RTTHREADSTATE_RUNNING,
         false, RTTHREADSTATE_EVENT, RTTHREADSTATE_RUNNING},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTTHREADINT Thread;
        memset(&Thread, 0, sizeof(Thread));
        Thread.u32Magic = c.uMagic;
        Thread.enmState = c.enmStart;
        RTThreadBlocking(&Thread, c.enmWait, c.fSleeping);
        EXPECT_EQ((uint32_t)c.enmBlocked, Thread.enmState);
        EXPECT_EQ(c.fSleepingBlocked, Thread.fReallySleeping);
        RTThreadUnblocked(&Thread, c.enmUnblock);
        EXPECT_EQ((uint32_t)c.enmAfter, Thread.enmState);
        EXPECT_FALSE(Thread.fReallySleeping);
    }
    // Implausible handles are ignored.
    RTThreadBlocking((RTTHREAD)(uintptr_t)16, RTTHREADSTATE_EVENT, true);
    RTThreadUnblocked((RTTHREAD)(uintptr_t)16, RTTHREADSTATE_EVENT);
    RTThreadBlocking(NIL_RTTHREAD, RTTHREADSTATE_EVENT, true);
    RTThreadUnblocked(NIL_RTTHREAD, RTTHREADSTATE_EVENT);
}

} // namespace
