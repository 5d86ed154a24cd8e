// The calling thread's identity and the wait bookkeeping on thread records.
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include <cstring>

#include <qrt/err.h>
#include <qrt/mem.h>

#include <cstdlib>
#include <string>

#include "Runtime/r3/init-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "common/misc/thread-internal.h"

namespace {

// In a fresh process: the test program itself may have initialised the runtime already.
static void noRecordWithoutRegistry() {
    exit(RTThreadSelf() == NIL_RTTHREAD && RTThreadSelfName() == nullptr ? 0 : 1);
}

TEST(ThreadSelf, NoRecordWithoutRegistry) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(noRecordWithoutRegistry(), testing::ExitedWithCode(0), "");
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

//
// The registry.
//

class ThreadRegistry : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, tstRuntimeInit()); }
};

TEST_F(ThreadRegistry, MainThreadAdoptedAsMain) {
    EXPECT_EQ(QINF_ALREADY_INITIALIZED, rtThreadInit());
    RTTHREAD hSelf = RTThreadSelf();
    ASSERT_NE(NIL_RTTHREAD, hSelf);
    EXPECT_STREQ("main", RTThreadSelfName());
    EXPECT_STREQ("main", RTThreadGetName(hSelf));
    EXPECT_EQ(RTThreadNativeSelf(), RTThreadGetNative(hSelf));
    EXPECT_EQ(hSelf, RTThreadFromNative(RTThreadNativeSelf()));
    RTTHREADINT *pSelf = hSelf;
    EXPECT_EQ((uint32_t)RTTHREADSTATE_RUNNING, pSelf->enmState);
    EXPECT_EQ((uint32_t)RTTHREADTYPE_DEFAULT, pSelf->enmType);
    EXPECT_EQ(RTTHREADINT_FLAGS_ALIEN | RTTHREADINT_FLAGS_IN_TREE | RTTHREADINT_FLAGS_MAIN, pSelf->fIntFlags);
    EXPECT_EQ(1, pSelf->cRefs);
    EXPECT_EQ(QERR_PROCESS_RUNNING, pSelf->rc);
    EXPECT_GE(rtThreadRegisteredCount(), 1u);
    EXPECT_GE(rtThreadRegisteredCountOfType(RTTHREADTYPE_DEFAULT), 1u);
}

struct TSTTHREADRUN {
    RTTHREAD hSeen;
    std::string Name;
    RTNATIVETHREAD Native;
    uint32_t cRegistered;
    int rcReturn;
    RTTLS iTls;
    void *pvTlsSeen; // what the thread found in the slot before setting its own
};

static int threadRecordsItself(RTTHREAD hSelf, void *pvUser) {
    TSTTHREADRUN *pRun = (TSTTHREADRUN *)pvUser;
    pRun->hSeen = RTThreadSelf() == hSelf ? hSelf : NIL_RTTHREAD;
    pRun->Name = RTThreadSelfName() ? RTThreadSelfName() : "(none)";
    pRun->Native = RTThreadGetNative(hSelf);
    pRun->cRegistered = rtThreadRegisteredCount();
    if (pRun->iTls != NIL_RTTLS) {
        pRun->pvTlsSeen = RTTlsGet(pRun->iTls);
        RTTlsSet(pRun->iTls, pRun);
        if (RTTlsGet(pRun->iTls) != pRun) return -1;
    }
    return pRun->rcReturn;
}

TEST_F(ThreadRegistry, CreatedThreadsAreNamedRegisteredAndWaitedFor) {
    uint32_t const cBefore = rtThreadRegisteredCount();
    const struct {
        int iLine;
        const char *pszName;
        const char *pszStored;
        RTTHREADTYPE enmType;
        int rcReturn;
    } aCases[] = {
        {__LINE__, "worker", "worker", RTTHREADTYPE_WORKER, 0},
        {__LINE__, "exactly15chars!", "exactly15chars!", RTTHREADTYPE_IO, 42},
        {__LINE__, "a-name-of-twenty-chr", "a-name-of-twent", RTTHREADTYPE_DEFAULT, -7},
        // A name is never cut inside a character.
        {__LINE__, "fourteen-chars\xc3\xa9", "fourteen-chars", RTTHREADTYPE_TIMER, 1},
        {__LINE__, "", "", RTTHREADTYPE_POLLER, 2},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TSTTHREADRUN Run = {NIL_RTTHREAD, "", NIL_RTNATIVETHREAD, 0, c.rcReturn, NIL_RTTLS, nullptr};
        RTTHREAD hThread = NIL_RTTHREAD;
        ASSERT_EQ(QINF_SUCCESS,
                  RTThreadCreate(&hThread, threadRecordsItself, &Run, 0, c.enmType, RTTHREADFLAGS_WAITABLE, c.pszName));
        EXPECT_STREQ(c.pszStored, RTThreadGetName(hThread));
        int rcThread = 12345;
        ASSERT_EQ(QINF_SUCCESS, RTThreadWait(hThread, 10000, &rcThread));
        EXPECT_EQ(c.rcReturn, rcThread);
        EXPECT_EQ(hThread, Run.hSeen);
        EXPECT_EQ(c.pszStored, Run.Name);
        EXPECT_NE(RTThreadNativeSelf(), Run.Native);
        EXPECT_EQ(cBefore + 1, Run.cRegistered);
    }
    EXPECT_EQ(cBefore, rtThreadRegisteredCount());
}

TEST_F(ThreadRegistry, CreationAndWaitRefuseWhatTheyCannotDo) {
    RTTHREAD hThread = (RTTHREAD)(uintptr_t)0x5000;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTThreadCreate(&hThread, nullptr, nullptr, 0, RTTHREADTYPE_DEFAULT, 0, "x"));
    EXPECT_EQ(NIL_RTTHREAD, hThread);
    EXPECT_EQ(QERR_INVALID_PARAMETER,
              RTThreadCreate(&hThread, threadRecordsItself, nullptr, 0, RTTHREADTYPE_INVALID, 0, "x"));
    EXPECT_EQ(QERR_INVALID_PARAMETER,
              RTThreadCreate(&hThread, threadRecordsItself, nullptr, 0, RTTHREADTYPE_END, 0, "x"));
    EXPECT_EQ(QERR_INVALID_PARAMETER,
              RTThreadCreate(&hThread, threadRecordsItself, nullptr, 0, RTTHREADTYPE_DEFAULT, 2, "x"));
    EXPECT_EQ(QERR_INVALID_PARAMETER,
              RTThreadCreate(&hThread, threadRecordsItself, nullptr, 0, RTTHREADTYPE_DEFAULT, 0, nullptr));
    EXPECT_EQ(QERR_INVALID_POINTER,
              RTThreadCreate(nullptr, threadRecordsItself, nullptr, 0, RTTHREADTYPE_DEFAULT, 0, "x"));

    // The main thread was adopted, not created waitable; nobody waits for himself either.
    EXPECT_EQ(QERR_INVALID_HANDLE, RTThreadWait(RTThreadSelf(), 0, nullptr));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTThreadWait(NIL_RTTHREAD, 0, nullptr));
    RTTHREADINT Dead;
    memset(&Dead, 0, sizeof(Dead));
    Dead.u32Magic = RTTHREADINT_MAGIC_DEAD;
    Dead.fFlags = RTTHREADFLAGS_WAITABLE;
    EXPECT_EQ(QERR_INVALID_HANDLE, RTThreadWait(&Dead, 0, nullptr));
    EXPECT_EQ(nullptr, RTThreadGetName(&Dead));
    EXPECT_EQ(NIL_RTNATIVETHREAD, RTThreadGetNative(&Dead));

    // A running thread is not waited out by a zero timeout; the handle stays good until a
    // successful wait.
    static RTSEMEVENTMULTI s_hGo;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&s_hGo, 0));
    struct Blocker {
        static int run(RTTHREAD, void *) { return RTSemEventMultiWait(s_hGo, RT_INDEFINITE_WAIT); }
    };
    ASSERT_EQ(QINF_SUCCESS, RTThreadCreate(&hThread, Blocker::run, nullptr, 0, RTTHREADTYPE_WORKER,
                                           RTTHREADFLAGS_WAITABLE, "blocker"));
    EXPECT_EQ(QERR_TIMEOUT, RTThreadWait(hThread, 0, nullptr));
    RTSemEventMultiSignal(s_hGo);
    int rcThread = -1;
    EXPECT_EQ(QINF_SUCCESS, RTThreadWait(hThread, 10000, &rcThread));
    EXPECT_EQ(QINF_SUCCESS, rcThread);
    RTSemEventMultiDestroy(s_hGo);
}

TEST_F(ThreadRegistry, TlsValuesArePerThread) {
    RTTLS iTls = RTTlsAlloc();
    ASSERT_NE(NIL_RTTLS, iTls);
    int iMine = 1;
    EXPECT_EQ(nullptr, RTTlsGet(iTls));
    EXPECT_EQ(QINF_SUCCESS, RTTlsSet(iTls, &iMine));
    TSTTHREADRUN aRuns[2];
    RTTHREAD ahThreads[2];
    for (unsigned i = 0; i < 2; i++) {
        aRuns[i] = TSTTHREADRUN{NIL_RTTHREAD, "", NIL_RTNATIVETHREAD, 0, 0, iTls, &iMine};
        ASSERT_EQ(QINF_SUCCESS, RTThreadCreate(&ahThreads[i], threadRecordsItself, &aRuns[i], 0, RTTHREADTYPE_WORKER,
                                               RTTHREADFLAGS_WAITABLE, "tls"));
    }
    for (unsigned i = 0; i < 2; i++) {
        int rcThread = 1;
        ASSERT_EQ(QINF_SUCCESS, RTThreadWait(ahThreads[i], 10000, &rcThread));
        EXPECT_EQ(0, rcThread);                 // each saw its own value after setting it
        EXPECT_EQ(nullptr, aRuns[i].pvTlsSeen); // and none before
    }
    EXPECT_EQ(&iMine, RTTlsGet(iTls)); // ours is untouched
    EXPECT_EQ(QINF_SUCCESS, RTTlsFree(iTls));
    EXPECT_EQ(QINF_SUCCESS, RTTlsFree(NIL_RTTLS));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTTlsSet(NIL_RTTLS, &iMine));
    EXPECT_EQ(nullptr, RTTlsGet(NIL_RTTLS));
}

// A failed registry initialisation leaves no thread-local slot behind, at whatever step it
// failed: the next slot handed out is the one it had taken. In a fresh process, where the
// registry does not exist yet.
static void initFailuresFreeTheirSlot() {
    // The native id's own slot is made on first use, once per process: not during the probes.
    RTThreadNativeSelf();
    unsigned cFailures = 0;
    for (uint32_t iFailAt = 1; iFailAt < 64; iFailAt++) {
        RTTLS const iProbe = RTTlsAlloc();
        RTTlsFree(iProbe);
        RTMemTestFailAfter(iFailAt);
        int rc = rtThreadInit();
        RTMemTestFailAfter(0);
        if (RT_SUCCESS(rc)) {
            bool const fOk = cFailures > 0 && RTThreadSelfName() && !strcmp(RTThreadSelfName(), "main");
            exit(fOk ? 0 : 2);
        }
        cFailures++;
        RTTLS const iAfter = RTTlsAlloc();
        RTTlsFree(iAfter);
        if (iAfter != iProbe) exit(4);
        if (RTThreadSelf() != NIL_RTTHREAD) exit(5);
    }
    exit(6);
}

TEST(ThreadRegistryInit, FailuresFreeTheSlotAndCanBeRetried) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(initFailuresFreeTheirSlot(), testing::ExitedWithCode(0), "");
}

// Names of records that are not live: none, and nothing is read from a record once its last
// reference is gone.
TEST(ThreadSelfName, OnlyLiveRecordsHaveNames) {
    RTTHREADINT Rec;
    memset(&Rec, 0, sizeof(Rec));
    memcpy(Rec.szName, "rec", 4);
    Rec.u32Magic = RTTHREADINT_MAGIC;
    Rec.cRefs = 1;
    EXPECT_STREQ("rec", RTThreadGetName(&Rec));
    Rec.u32Magic = RTTHREADINT_MAGIC_DEAD;
    EXPECT_EQ(nullptr, RTThreadGetName(&Rec));
}

// The calling thread's own name, from records put into its slot on a thread of the test's own.
struct TSTSELFNAME {
    int32_t cRefs;
    uint32_t u32Magic;
    const char *pszName; // RTThreadSelfName's answer
    int32_t cRefsAfter;
};

static void selfNameThread(void *pvUser) {
    TSTSELFNAME *pCase = (TSTSELFNAME *)pvUser;
    RTTHREADINT Rec;
    memset(&Rec, 0, sizeof(Rec));
    memcpy(Rec.szName, "rec", 4);
    Rec.u32Magic = pCase->u32Magic;
    Rec.cRefs = pCase->cRefs;
    rtThreadNativeSetSelf(&Rec);
    const char *psz = RTThreadSelfName();
    pCase->pszName = psz == Rec.szName ? "rec" : psz ? "(other)" : nullptr;
    pCase->cRefsAfter = Rec.cRefs;
    rtThreadNativeSetSelf(nullptr);
}

TEST_F(ThreadRegistry, SelfNameNeverDropsTheLastReference) {
    const struct {
        int iLine;
        int32_t cRefs;
        uint32_t u32Magic;
        const char *pszName;
    } aCases[] = {
        {__LINE__, 1, RTTHREADINT_MAGIC, "rec"},
        {__LINE__, 3, RTTHREADINT_MAGIC, "rec"},
        // A record whose count already reached 0 is being destroyed: no name, and no reference
        // taken (taking and dropping one would destroy it a second time).
        {__LINE__, 0, RTTHREADINT_MAGIC, nullptr},
        {__LINE__, 1, RTTHREADINT_MAGIC_DEAD, nullptr},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TSTSELFNAME Case = {c.cRefs, c.u32Magic, "unset", -99};
        TESTTHREAD *pThread = TestThreadStart(selfNameThread, &Case);
        ASSERT_NE(nullptr, pThread);
        TestThreadJoin(pThread);
        if (c.pszName)
            EXPECT_STREQ(c.pszName, Case.pszName);
        else
            EXPECT_EQ(nullptr, Case.pszName);
        EXPECT_EQ(c.cRefs, Case.cRefsAfter); // the count is where it was: nothing was destroyed
    }
}

} // namespace
