// Run-once: one run however many threads ask, every caller sees its status, failures are not
// retried, states that cannot be are refused, the runner finishes even when a waiter moves the
// state under it, waiters spin when their event cannot be made; the cleanup and termination
// lists.
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/once.h>
#include <qrt/time.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "Runtime/r3/testplatform.h"
#include "common/misc/once-internal.h"

namespace {

struct OnceUser {
    std::atomic<unsigned> cRuns{0};
    unsigned cMsRun = 0; // how long the once function takes
    int rc = QINF_SUCCESS;
};

int onceFunction(void *pvUser) {
    OnceUser *pUser = (OnceUser *)pvUser;
    pUser->cRuns++;
    if (pUser->cMsRun) TestSleepMs(pUser->cMsRun);
    return pUser->rc;
}

// Many threads released at once on one record.
struct OnceRace {
    RTONCE *pOnce;
    OnceUser *pUser;
    std::atomic<bool> *pfGo;
    int rc;
};

void onceRaceThread(void *pvUser) {
    OnceRace *pRace = (OnceRace *)pvUser;
    while (!pRace->pfGo->load()) {
    }
    pRace->rc = RTOnce(pRace->pOnce, onceFunction, NULL, pRace->pUser);
}

std::vector<int> tstRaceOnce(RTONCE *pOnce, OnceUser *pUser, unsigned cThreads) {
    std::atomic<bool> fGo{false};
    std::vector<OnceRace> Races(cThreads, OnceRace{pOnce, pUser, &fGo, QERR_INTERNAL_ERROR});
    std::vector<TESTTHREAD *> Threads;
    for (OnceRace &Race : Races) Threads.push_back(TestThreadStart(onceRaceThread, &Race));
    fGo = true;
    std::vector<int> Results;
    for (size_t i = 0; i < Threads.size(); i++) {
        EXPECT_NE(nullptr, Threads[i]);
        if (Threads[i]) TestThreadJoin(Threads[i]);
        Results.push_back(Races[i].rc);
    }
    return Results;
}

// The state the runner found when it came to finish.
std::atomic<uint32_t> g_uTstStateAtFinish{0};

void recordFinishHook(PRTONCE pOnce, uint32_t uStateSeen) {
    (void)pOnce;
    g_uTstStateAtFinish = uStateSeen;
}

struct RaceCase {
    int iLine;
    int rc;
    unsigned cMsRun;
};

// clang-format off
const RaceCase g_aRaces[] = {
    {__LINE__, QINF_SUCCESS,       0},
    {__LINE__, QINF_SUCCESS,       100},  // waiters sleep on the event
    {__LINE__, QWRN_TRAILING_CHARS, 30},  // an informational status comes back as it is
    {__LINE__, QERR_ACCESS_DENIED, 50},   // a failure too, and is not retried
};
// clang-format on

TEST(Once, ManyThreadsOneRunEveryCallerSeesTheStatus) {
    for (const RaceCase &c : g_aRaces) {
        SCOPED_TRACE(c.iLine);
        RTONCE Once = RTONCE_INITIALIZER;
        OnceUser User;
        User.rc = c.rc;
        User.cMsRun = c.cMsRun;
        g_uTstStateAtFinish = 0;
        g_pfnRtOnceFinishHook = recordFinishHook;
        std::vector<int> const Results = tstRaceOnce(&Once, &User, 8);
        g_pfnRtOnceFinishHook = NULL;
        EXPECT_EQ(1u, User.cRuns.load());
        for (int rc : Results) EXPECT_EQ(c.rc, rc);
        // A slow run makes the waiters sleep on the event.
        if (c.cMsRun >= 50) {
            EXPECT_EQ(RTONCESTATE_BUSY_HAVE_SEM, g_uTstStateAtFinish.load());
        }
        EXPECT_EQ(RTONCESTATE_DONE, Once.iState);
        // Later callers get the same without a run; the waiters' event is gone.
        EXPECT_EQ(c.rc, RTOnce(&Once, onceFunction, NULL, &User));
        EXPECT_EQ(1u, User.cRuns.load());
        EXPECT_EQ(NIL_RTSEMEVENTMULTI, Once.hEventMulti);
        EXPECT_EQ(0, Once.cEventRefs);
    }
}

struct StateCase {
    int iLine;
    uint32_t iState;
    int rc; // 1: the stored status
};

// clang-format off
const StateCase g_aStates[] = {
    {__LINE__, 0,          QERR_INTERNAL_ERROR},
    {__LINE__, 8,          QERR_INTERNAL_ERROR},
    {__LINE__, 15,         QERR_INTERNAL_ERROR},
    {__LINE__, 17,         QERR_INTERNAL_ERROR},
    {__LINE__, 0xFFFFFFFF, QERR_INTERNAL_ERROR},
    {__LINE__, 6,          1}, // finished states return what is stored
    {__LINE__, 7,          1},
    {__LINE__, 16,         1},
};
// clang-format on

TEST(Once, StatesItCannotBeInAreRefused) {
    for (const StateCase &c : g_aStates) {
        SCOPED_TRACE(c.iLine);
        RTONCE Once = RTONCE_INITIALIZER;
        Once.iState = c.iState;
        Once.rc = QERR_DISK_FULL;
        OnceUser User;
        EXPECT_EQ(c.rc == 1 ? QERR_DISK_FULL : c.rc, RTOnce(&Once, onceFunction, NULL, &User));
        EXPECT_EQ(0u, User.cRuns.load());
        EXPECT_EQ(c.iState, Once.iState);
    }
}

//
// A waiter that moves the state while the runner finishes.
//

struct FinishRace {
    RTONCE *pOnce;
    TESTTHREAD *pWaiter;
    int rcWaiter;
    unsigned cHookCalls;
    bool fMoved;
};
FinishRace *g_pFinishRace;

void finishWaiterThread(void *pvUser) {
    FinishRace *pRace = (FinishRace *)pvUser;
    pRace->rcWaiter = RTOnce(pRace->pOnce, onceFunction, NULL, NULL);
}

// The once function: a waiter has begun creating the event (state 3) and waits.
int finishOnceFunction(void *pvUser) {
    FinishRace *pRace = (FinishRace *)pvUser;
    __atomic_store_n(&pRace->pOnce->iState, RTONCESTATE_BUSY_CREATING_SEM, __ATOMIC_SEQ_CST);
    pRace->pWaiter = TestThreadStart(finishWaiterThread, pRace);
    TestSleepMs(20);
    return QINF_TRY_AGAIN;
}

// The runner has read state 3 and is about to change it to 6: right then the waiter's event
// creation fails and it moves the state to 5.
void finishHook(PRTONCE pOnce, uint32_t uStateSeen) {
    if (pOnce != g_pFinishRace->pOnce) return;
    g_pFinishRace->cHookCalls++;
    if (uStateSeen == RTONCESTATE_BUSY_CREATING_SEM && !g_pFinishRace->fMoved) {
        g_pFinishRace->fMoved = true;
        uint32_t uOld = RTONCESTATE_BUSY_CREATING_SEM;
        __atomic_compare_exchange_n(&pOnce->iState, &uOld, RTONCESTATE_BUSY_SPIN, false, __ATOMIC_SEQ_CST,
                                    __ATOMIC_SEQ_CST);
    }
}

TEST(Once, TheRunnerFinishesWhenAWaiterMovesTheState) {
    RTONCE Once = RTONCE_INITIALIZER;
    FinishRace Race = {&Once, nullptr, QERR_INTERNAL_ERROR, 0, false};
    g_pFinishRace = &Race;
    g_pfnRtOnceFinishHook = finishHook;
    int const rc = RTOnce(&Once, finishOnceFunction, NULL, &Race);
    g_pfnRtOnceFinishHook = NULL;
    EXPECT_EQ(QINF_TRY_AGAIN, rc);
    EXPECT_TRUE(Race.fMoved);
    EXPECT_EQ(2u, Race.cHookCalls); // saw 3, lost the exchange, saw 5 and finished
    EXPECT_EQ(RTONCESTATE_DONE, Once.iState);
    // The waiter spinning on state 5 got out, with the status.
    ASSERT_NE(nullptr, Race.pWaiter);
    TestThreadJoin(Race.pWaiter);
    EXPECT_EQ(QINF_TRY_AGAIN, Race.rcWaiter);
}

TEST(Once, WaitersSpinWhenTheirEventCannotBeMade) {
    for (int iRound = 0; iRound < 3; iRound++) {
        SCOPED_TRACE(iRound);
        RTONCE Once = RTONCE_INITIALIZER;
        OnceUser User;
        User.rc = QWRN_TRAILING_SPACES;
        User.cMsRun = 100;
        g_uTstStateAtFinish = 0;
        g_pfnRtOnceFinishHook = recordFinishHook;
        RTMemTestFailAfter(1); // the first waiter's event
        std::vector<int> const Results = tstRaceOnce(&Once, &User, 8);
        RTMemTestFailAfter(0);
        g_pfnRtOnceFinishHook = NULL;
        EXPECT_EQ(RTONCESTATE_BUSY_SPIN, g_uTstStateAtFinish.load()); // no event: everybody spun
        EXPECT_EQ(1u, User.cRuns.load());
        for (int rc : Results) EXPECT_EQ(QWRN_TRAILING_SPACES, rc);
        EXPECT_EQ(RTONCESTATE_DONE, Once.iState);
        EXPECT_EQ(NIL_RTSEMEVENTMULTI, Once.hEventMulti);
    }
}

//
// The cleanup and termination lists.
//

void cleanupFunction(void *pvUser) {
    (void)pvUser;
}

TEST(Once, SuccessfulRunsWithACleanupAreListed) {
    // Listed records stay listed for good, so they are static here, as they are in the runtime
    // (fresh ones on every repetition of the test).
    static RTONCE s_aOnces[32];
    static OnceUser s_aUsers[32];
    static unsigned s_iNext = 0;
    ASSERT_LE(s_iNext + 2, 32u);
    RTONCE *pOnceOk = &s_aOnces[s_iNext];
    RTONCE *pOnceMore = &s_aOnces[s_iNext + 1];
    *pOnceOk = RTONCE_INITIALIZER;
    *pOnceMore = RTONCE_INITIALIZER;
    OnceUser *pUser = &s_aUsers[s_iNext];
    s_iNext += 2;

    EXPECT_EQ(QINF_SUCCESS, RTOnce(pOnceOk, onceFunction, cleanupFunction, pUser));
    uint32_t const cListed = rtOnceCleanupCount();
    EXPECT_GE(cListed, 1u);
    EXPECT_EQ(cleanupFunction, pOnceOk->pfnCleanup);
    EXPECT_EQ(pUser, pOnceOk->pvUserCleanup);
    // A second call lists nothing more.
    EXPECT_EQ(QINF_SUCCESS, RTOnce(pOnceOk, onceFunction, cleanupFunction, pUser));
    EXPECT_EQ(cListed, rtOnceCleanupCount());

    // A failed run is not listed.
    RTONCE OnceFail = RTONCE_INITIALIZER;
    OnceUser UserFail;
    UserFail.rc = QERR_NOT_SUPPORTED;
    EXPECT_EQ(QERR_NOT_SUPPORTED, RTOnce(&OnceFail, onceFunction, cleanupFunction, &UserFail));
    EXPECT_EQ(cListed, rtOnceCleanupCount());
    EXPECT_EQ(nullptr, OnceFail.pfnCleanup);

    // Appended at the tail.
    EXPECT_EQ(QINF_SUCCESS, RTOnce(pOnceMore, onceFunction, cleanupFunction, pUser));
    EXPECT_EQ(cListed + 1, rtOnceCleanupCount());
    EXPECT_EQ(pOnceMore, pOnceOk->pNext);
    EXPECT_EQ(pOnceOk, pOnceMore->pPrev);
    EXPECT_EQ(nullptr, pOnceMore->pNext);
}

void termCallback(void *pvUser) {
    (void)pvUser;
}

TEST(Once, TerminationCallbacks) {
    ASSERT_EQ(QINF_SUCCESS, RTTermRegisterCallback(termCallback, NULL));
    uint32_t const c = rtTermCallbackCount();
    EXPECT_GE(c, 1u);
    EXPECT_EQ(QERR_INVALID_POINTER, RTTermRegisterCallback(NULL, NULL));
    EXPECT_EQ(QERR_INVALID_POINTER, RTTermRegisterCallback((PFNRTTERMCALLBACK)(uintptr_t)0x10, NULL));
    EXPECT_EQ(c, rtTermCallbackCount());
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_MEMORY, RTTermRegisterCallback(termCallback, NULL));
    RTMemTestFailAfter(0);
    EXPECT_EQ(c, rtTermCallbackCount());
    EXPECT_EQ(QINF_SUCCESS, RTTermRegisterCallback(termCallback, (void *)&c));
    EXPECT_EQ(c + 1, rtTermCallbackCount());
}

} // namespace
